#include "platform/ui/ControlValue.h"

#include "platform/runtime/RuntimeError.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

namespace platform {

QVariant ControlValue(const QWidget *control)
{
    if (!control)
        return QVariant();
    if (const auto *box = qobject_cast<const QLineEdit *>(control))
        return box->text();
    if (const auto *combo = qobject_cast<const QComboBox *>(control))
        return combo->currentText();
    if (const auto *dateOnly = qobject_cast<const QDateEdit *>(control))
        return dateOnly->date();
    if (const auto *picker = qobject_cast<const QDateTimeEdit *>(control))
        return QDateTime(picker->date(), picker->time(), Qt::UTC);
    if (const auto *check = qobject_cast<const QCheckBox *>(control))
        return static_cast<int>(check->checkState() == Qt::PartiallyChecked ? 2 : check->isChecked() ? 1 : 0);
    if (const auto *option = qobject_cast<const QRadioButton *>(control))
        return option->isChecked();
    if (const auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    if (const auto *list = qobject_cast<const QListWidget *>(control))
        return list->currentItem() ? list->currentItem()->text() : QString();
    throw RuntimeError(ErrorNumber::MethodNotSupported,
                       QStringLiteral("Object doesn't support this property or method"));
}

} // namespace platform
