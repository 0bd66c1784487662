#include "controls/ControlAccess.h"

#include "controls/MaskEdBox.h"
#include "controls/SimpleComboBox.h"
#include "platform/runtime/RuntimeError.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

namespace controls {

namespace {
const char *const TagProperty = "Tag";

platform::RuntimeError notSupported()
{
    return platform::RuntimeError(platform::ErrorNumber::MethodNotSupported,
                                  QStringLiteral("Object doesn't support this property or method"));
}

platform::RuntimeError readOnlyText()
{
    return platform::RuntimeError(platform::ErrorNumber::PropertyReadOnly,
                                  QStringLiteral("'Text' property is read-only"));
}
} // namespace

ControlKind kindOf(const QWidget *control)
{
    if (!control)
        return ControlKind::Other;
    const bool masked = qobject_cast<const MaskEdBox *>(control) != nullptr;
    if (qobject_cast<const QLineEdit *>(control) && !masked)
        return ControlKind::TextBox;
    if (qobject_cast<const QComboBox *>(control))
        return ControlKind::ComboBox;
    if (qobject_cast<const QDateEdit *>(control))
        return ControlKind::DatePicker;
    if (masked)
        return ControlKind::MaskedEditBox;
    if (qobject_cast<const QDateTimeEdit *>(control))
        return ControlKind::DatePicker;
    if (qobject_cast<const QRadioButton *>(control))
        return ControlKind::OptionButton;
    if (qobject_cast<const QCheckBox *>(control))
        return ControlKind::CheckBox;
    if (qobject_cast<const QLabel *>(control))
        return ControlKind::Label;
    if (qobject_cast<const QListWidget *>(control))
        return ControlKind::ListBox;
    return ControlKind::Other;
}

int Style(const QComboBox *combo)
{
    if (qobject_cast<const SimpleComboBox *>(combo))
        return ComboStyle::SimpleCombo;
    return combo->isEditable() ? ComboStyle::DropDownCombo : ComboStyle::DropDownList;
}

QString Tag(const QWidget *control)
{
    return control->property(TagProperty).toString();
}

void setTag(QWidget *control, const QString &tag)
{
    control->setProperty(TagProperty, tag);
}

QString Text(const QWidget *control)
{
    if (const auto *box = qobject_cast<const QLineEdit *>(control))
        return box->text();
    if (const auto *combo = qobject_cast<const QComboBox *>(control))
        return combo->currentText();
    if (const auto *list = qobject_cast<const QListWidget *>(control))
        return list->currentItem() ? list->currentItem()->text() : QString();
    throw notSupported();
}

void setText(QWidget *control, const QString &text)
{
    if (auto *masked = qobject_cast<MaskEdBox *>(control)) {
        masked->setMaskedText(text);
    } else if (auto *box = qobject_cast<QLineEdit *>(control)) {
        box->setText(text);
    } else if (auto *combo = qobject_cast<QComboBox *>(control)) {
        if (combo->isEditable()) {
            combo->setEditText(text);
            return;
        }
        const int index = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index < 0)
            throw readOnlyText();
        combo->setCurrentIndex(index);
    } else if (qobject_cast<QListWidget *>(control)) {
        throw readOnlyText();
    } else {
        throw notSupported();
    }
}

void selectAll(QWidget *control)
{
    if (auto *box = qobject_cast<QLineEdit *>(control)) {
        box->setSelection(0, static_cast<int>(box->text().size()));
    } else if (auto *combo = qobject_cast<QComboBox *>(control)) {
        if (QLineEdit *edit = combo->lineEdit())
            edit->setSelection(0, static_cast<int>(edit->text().size()));
    } else {
        throw notSupported();
    }
}

int ListIndex(const QWidget *control)
{
    if (const auto *combo = qobject_cast<const QComboBox *>(control))
        return combo->currentIndex();
    if (const auto *list = qobject_cast<const QListWidget *>(control))
        return list->currentItem() && list->currentItem()->isSelected() ? list->currentRow() : -1;
    throw notSupported();
}

void setListIndex(QWidget *control, int index)
{
    if (auto *combo = qobject_cast<QComboBox *>(control)) {
        combo->setCurrentIndex(index);
    } else if (auto *list = qobject_cast<QListWidget *>(control)) {
        if (index < 0)
            list->clearSelection();
        list->setCurrentRow(index);
    } else {
        throw notSupported();
    }
}

int ListCount(const QWidget *control)
{
    if (const auto *combo = qobject_cast<const QComboBox *>(control))
        return combo->count();
    if (const auto *list = qobject_cast<const QListWidget *>(control))
        return list->count();
    throw notSupported();
}

QString List(const QWidget *control, int index)
{
    if (const auto *combo = qobject_cast<const QComboBox *>(control))
        return combo->itemText(index);
    if (const auto *list = qobject_cast<const QListWidget *>(control))
        return list->item(index) ? list->item(index)->text() : QString();
    throw notSupported();
}

QVariant ItemData(const QWidget *control, int index)
{
    QVariant data;
    if (const auto *combo = qobject_cast<const QComboBox *>(control))
        data = combo->itemData(index);
    else if (const auto *list = qobject_cast<const QListWidget *>(control))
        data = list->item(index) ? list->item(index)->data(Qt::UserRole) : QVariant();
    else
        throw notSupported();
    return data.isValid() ? data : QVariant(0);
}

void setValue(QWidget *control, int value)
{
    if (auto *check = qobject_cast<QCheckBox *>(control)) {
        check->setCheckState(value ? Qt::Checked : Qt::Unchecked);
    } else if (auto *option = qobject_cast<QRadioButton *>(control)) {
        // Qt keeps the checked button of an exclusive group checked; the
        // desk may still turn it off.
        QButtonGroup *group = option->group();
        const bool groupExclusive = group && group->exclusive();
        const bool autoExclusive = option->autoExclusive();
        if (!value) {
            if (group)
                group->setExclusive(false);
            option->setAutoExclusive(false);
        }
        option->setChecked(value != 0);
        option->setAutoExclusive(autoExclusive);
        if (group)
            group->setExclusive(groupExclusive);
    } else {
        throw notSupported();
    }
}

} // namespace controls
