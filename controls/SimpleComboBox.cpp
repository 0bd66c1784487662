#include "controls/SimpleComboBox.h"

#include <QEvent>
#include <QLineEdit>
#include <QListView>

namespace controls {

SimpleComboBox::SimpleComboBox(QWidget *parent) : QComboBox(parent), m_list(new QListView(this))
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    m_list->setModel(model());
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(m_list, &QListView::clicked, this, [this](const QModelIndex &index) { setCurrentIndex(index.row()); });
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_list->setCurrentIndex(model()->index(index, modelColumn()));
        if (index < 0)
            m_list->clearSelection();
    });
}

QSize SimpleComboBox::sizeHint() const
{
    const QSize edit = lineEdit()->sizeHint();
    return QSize(qMax(edit.width(), m_list->sizeHint().width()), edit.height() * 4);
}

QSize SimpleComboBox::minimumSizeHint() const
{
    const QSize edit = lineEdit()->minimumSizeHint();
    return QSize(edit.width(), edit.height() * 2);
}

bool SimpleComboBox::event(QEvent *event)
{
    const bool handled = QComboBox::event(event);
    // The combo box places its text box after these; the list takes the rest.
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Polish:
    case QEvent::StyleChange:
    case QEvent::FontChange:
    case QEvent::LayoutDirectionChange:
        layOutParts();
        break;
    default:
        break;
    }
    return handled;
}

void SimpleComboBox::paintEvent(QPaintEvent *)
{
    // The text box and the list paint themselves; there is no drop-down button.
}

void SimpleComboBox::layOutParts()
{
    const int editHeight = qMin(height(), lineEdit()->sizeHint().height());
    lineEdit()->setGeometry(0, 0, width(), editHeight);
    m_list->setGeometry(0, editHeight, width(), qMax(0, height() - editHeight));
}

} // namespace controls
