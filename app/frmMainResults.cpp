#include "app/frmMainResults.h"

#include "app/ResultsModel.h"

#include "controls/Twips.h"
#include "platform/runtime/RuntimeError.h"
#include "platform/ui/DeskFont.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
enum Column { NumberColumn = ResultsModel::NumberColumn, NameColumn = ResultsModel::NameColumn };
} // namespace

frmMainResults::frmMainResults(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmMainResults"));
    setWindowTitle(QStringLiteral("Vários resultados encontrados"));
    setModal(true);
    setFont(platform::DeskFont());

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame2 = new QFrame(this);
    Frame2->setObjectName(QStringLiteral("Frame2"));

    ListView1 = new QTreeView(Frame1);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    m_rows = new ResultsModel(ListView1);
    ListView1->setModel(m_rows);
    ListView1->setColumnWidth(NumberColumn, controls::twipsToPixels(1500));
    ListView1->setColumnWidth(NameColumn, controls::twipsToPixels(8500));
    // Company and e-mail are carried for the caller, not shown.
    ListView1->setColumnHidden(ResultsModel::CompanyColumn, true);
    ListView1->setColumnHidden(ResultsModel::EmailColumn, true);
    ListView1->setRootIsDecorated(false);
    // Every row is one line: the list need not measure each of 100,000 to lay them out.
    ListView1->setUniformRowHeights(true);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->viewport()->installEventFilter(this);

    Command2 = new QPushButton(QStringLiteral("&OK"), Frame2);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command1 = new QPushButton(QStringLiteral("&Cancelar"), Frame2);
    Command1->setObjectName(QStringLiteral("Command1"));
    // Neither button answers to Enter or Escape.
    for (QPushButton *button : {Command1, Command2}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    auto *listLayout = new QVBoxLayout(Frame1);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->addWidget(ListView1);
    auto *buttons = new QHBoxLayout(Frame2);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addStretch();
    buttons->addWidget(Command2);
    buttons->addWidget(Command1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addWidget(Frame2);
    resize(controls::twipsToPixels(1500 + 8500) + 40, 420);

    connect(Command1, &QPushButton::clicked, this, &frmMainResults::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmMainResults::Command2_Click);
}

void frmMainResults::clearItems()
{
    m_rows->clear();
}

void frmMainResults::addItems(const std::vector<Row> &rows)
{
    m_rows->append(rows);
}

void frmMainResults::addRows(const platform::ResultTable &table)
{
    m_rows->appendTable(table);
}

int frmMainResults::itemCount() const
{
    return m_rows->rowCount();
}

std::optional<frmMainResults::Row> frmMainResults::selectedRow() const
{
    const QModelIndex current = ListView1->currentIndex();
    if (!current.isValid())
        return std::nullopt;
    return m_rows->rowAt(current.row());
}

void frmMainResults::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // A confirmation always has a row to take.
    if (!ListView1->currentIndex().isValid() && m_rows->rowCount() > 0)
        ListView1->setCurrentIndex(m_rows->index(0, NumberColumn));
    ListView1->setFocus();
}

void frmMainResults::Command2_Click()
{
    Cancelar = false;
    close();
}

void frmMainResults::Command1_Click()
{
    Cancelar = true;
    close();
}

bool frmMainResults::Form_Unload()
{
    if (isVisible()) {
        hide(); // hiding ends the modal show; the caller reads the choice
        return false;
    }
    return true;
}

void frmMainResults::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->ignore();
}

void frmMainResults::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    // Enter on a focused button clicks it, as in the main window; neither
    // button is the default, so Enter and Escape elsewhere do nothing.
    if (enter && (focusWidget() == Command1 || focusWidget() == Command2)) {
        event->accept();
        static_cast<QPushButton *>(focusWidget())->click();
        return;
    }
    if (enter || event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool frmMainResults::eventFilter(QObject *watched, QEvent *event)
{
    // A double click anywhere in the list confirms the row selected then.
    if (watched == ListView1->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        Command2_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
