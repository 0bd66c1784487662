#include "app/frmMainResults.h"

#include "controls/Twips.h"
#include "platform/RuntimeError.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QPushButton>
#include <QSet>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
enum Column { NumberColumn, NameColumn, CompanyColumn, EmailColumn, ColumnCount };
constexpr int KeyRole = Qt::UserRole;
} // namespace

frmMainResults::frmMainResults(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmMainResults"));
    setWindowTitle(QStringLiteral("Vários resultados encontrados"));
    setModal(true);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame2 = new QFrame(this);
    Frame2->setObjectName(QStringLiteral("Frame2"));

    ListView1 = new QTreeWidget(Frame1);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setColumnCount(ColumnCount);
    ListView1->setHeaderLabels({QStringLiteral("Nº Empresa"), QStringLiteral("Nome"), QString(), QString()});
    ListView1->setColumnWidth(NumberColumn, controls::twipsToPixels(1500));
    ListView1->setColumnWidth(NameColumn, controls::twipsToPixels(8500));
    // Company and e-mail are carried for the caller, not shown.
    ListView1->setColumnHidden(CompanyColumn, true);
    ListView1->setColumnHidden(EmailColumn, true);
    ListView1->setRootIsDecorated(false);
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
    ListView1->clear();
}

void frmMainResults::addItems(const std::vector<Row> &rows)
{
    static const QIcon icon(QStringLiteral(":/velunas/member.png"));
    QSet<QString> keys;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
        keys.insert(ListView1->topLevelItem(i)->data(NumberColumn, KeyRole).toString());
    QList<QTreeWidgetItem *> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const Row &row : rows) {
        if (keys.contains(row.key)) {
            qDeleteAll(items);
            throw platform::RuntimeError(35602, QStringLiteral("Key is not unique in collection"));
        }
        keys.insert(row.key);
        auto *item = new QTreeWidgetItem({row.text, row.subItem1, row.subItem2, row.subItem3});
        item->setData(NumberColumn, KeyRole, row.key);
        item->setIcon(NumberColumn, icon);
        items.append(item);
    }
    // One insertion, one repaint, however many rows.
    ListView1->addTopLevelItems(items);
}

int frmMainResults::itemCount() const
{
    return ListView1->topLevelItemCount();
}

std::optional<frmMainResults::Row> frmMainResults::selectedRow() const
{
    const QTreeWidgetItem *item = ListView1->currentItem();
    if (!item)
        return std::nullopt;
    return Row{item->data(NumberColumn, KeyRole).toString(), item->text(NumberColumn), item->text(NameColumn),
               item->text(CompanyColumn), item->text(EmailColumn)};
}

void frmMainResults::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // A confirmation always has a row to take.
    if (!ListView1->currentItem() && ListView1->topLevelItemCount() > 0)
        ListView1->setCurrentItem(ListView1->topLevelItem(0));
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

bool frmMainResults::Unload()
{
    if (isVisible()) {
        hide(); // hiding ends the modal show; the caller reads the choice
        return false;
    }
    return true;
}

void frmMainResults::closeEvent(QCloseEvent *event)
{
    Unload();
    event->ignore();
}

void frmMainResults::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
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
