#include "controls/ControlAccess.h"
#include "controls/FormatTexts.h"
#include "controls/MaskEdBox.h"
#include "controls/modControls.h"
#include "platform/runtime/Conversions.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>

namespace modControls {

namespace {
using namespace controls;
using enum FormatCode;

// The first index whose ItemData equals the number, or -1.
int indexOfItemData(const QWidget *control, const QVariant &value)
{
    const double wanted = platform::CDbl(value);
    for (int index = 0; index < ListCount(control); ++index)
        if (platform::CDbl(ItemData(control, index)) == wanted)
            return index;
    return -1;
}

int indexOfListText(const QWidget *control, const QString &text)
{
    for (int index = 0; index < ListCount(control); ++index)
        if (List(control, index) == text)
            return index;
    return -1;
}

void selectIfFound(QWidget *control, int index)
{
    if (index >= 0)
        setListIndex(control, index);
}

// Numbers are looked for among the ItemData, anything else among the texts.
void selectMatching(QWidget *control, const QVariant &value)
{
    if (platform::IsNumeric(value))
        selectIfFound(control, indexOfItemData(control, value));
    else
        selectIfFound(control, indexOfListText(control, platform::CStr(value)));
}

void setComboText(QWidget *combo, const QVariant &value)
{
    if (platform::IsNull(value)) {
        setText(combo, QString());
        return;
    }
    const QString text = platform::CStr(value);
    setText(combo, text);
    selectIfFound(combo, indexOfListText(combo, text));
}

void setComboValue(QComboBox *combo, const QVariant &value, FormatCode code)
{
    const int style = Style(combo);
    if (style == ComboStyle::DropDownList) {
        if (platform::IsNull(value))
            setListIndex(combo, -1);
        else
            selectMatching(combo, value);
    } else if (style == ComboStyle::SimpleCombo || code == PlainText) {
        setComboText(combo, value);
    } else if (!platform::IsNull(value)) {
        selectMatching(combo, value);
    }
}

// Text boxes, masked boxes and labels alike: `show` writes the text (a
// label's caption), `showTag` shows the Tag in a code's format.
template <typename Show, typename ShowTag>
void setTextLike(QWidget *control, const QVariant &value, FormatCode code, Show show, ShowTag showTag)
{
    if (platform::IsNull(value)) {
        show(QString());
        setTag(control, QString());
        return;
    }
    const QString text = platform::CStr(value);
    switch (code) {
    case General:
        if (platform::IsNumeric(value))
            setTag(control, text);
        show(text);
        break;
    case Date:
        setTag(control, QString());
        show(platform::Format(text, formattexts::DateFormat));
        break;
    case Amount2:
    case Euro2:
    case Percent:
    case Euro3:
    case Amount3:
    case Euro4:
        setTag(control, text);
        showTag(code);
        break;
    case PlainText:
        setTag(control, QString());
        show(text);
        break;
    case Integer:
        setTag(control, text);
        show(platform::CStr(platform::CLng(value)));
        break;
    case FormatCode::DateTime:
        setTag(control, QString());
        show(platform::Format(text, formattexts::DateTimeFormat));
        break;
    default:
        break;
    }
}

void setMaskedValue(MaskEdBox *box, const QVariant &value, FormatCode code)
{
    const bool dateCode = code == General || code == Date || code == FormatCode::DateTime;
    if (dateCode && formattexts::isDateMask(box->Mask())) {
        if (platform::IsNull(value)) {
            if (box->Text() != box->emptyMask())
                box->setMaskedText(box->emptyMask());
        } else if (platform::IsDate(value)) {
            box->setMaskedText(platform::Format(value, box->Format()));
        } else {
            box->setMaskedText(platform::CStr(value));
        }
        return;
    }
    if (code == Euro4)
        return;
    setTextLike(
        box, value, code, [box](const QString &text) { setText(box, text); },
        [box](FormatCode shownCode) { ApplyFormat(box, shownCode == Amount3 ? Euro3 : shownCode); });
}

void setLabelValue(QWidget *label, const QVariant &value, FormatCode code)
{
    auto showCaption = [label](const QString &caption) { qobject_cast<QLabel *>(label)->setText(caption); };
    if (code == Euro4)
        return;
    if (code == Integer && !platform::IsNull(value) && !platform::IsNumeric(value)) {
        setTag(label, platform::CStr(value));
        showCaption(platform::CStr(value));
        return;
    }
    setTextLike(label, value, code, showCaption, [label, showCaption](FormatCode shownCode) {
        showCaption(platform::Format(Tag(label), formattexts::applyFormat(shownCode)));
    });
}

void setDatePickerValue(QDateTimeEdit *picker, const QVariant &value)
{
    const QDateTime date = platform::IsDate(value) ? platform::CDate(value) : platform::EmptyDate();
    picker->setDate(date.date());
    picker->setTime(date.time());
}

void setChoiceValue(QWidget *control, const QVariant &value)
{
    const bool on = platform::IsNumeric(value) && platform::Round(platform::CDbl(value), 0) != 0;
    setValue(control, on ? 1 : 0);
}

// A box shows a value put into it from its first character, as on the desktop
// the desk comes from; Qt would leave the cursor after the last one.
void showFromStart(QWidget *control)
{
    auto *box = qobject_cast<QLineEdit *>(control);
    if (auto *combo = qobject_cast<QComboBox *>(control))
        box = combo->lineEdit();
    if (box)
        box->setCursorPosition(0); // which also drops any selection
}

void setListBoxValue(QWidget *list, const QVariant &value)
{
    if (platform::IsNumeric(value))
        selectIfFound(list, indexOfItemData(list, value));
    else
        setListIndex(list, -1);
}
} // namespace

void SetControlValue(QWidget *control, const QVariant &value, FormatCode code)
{
    switch (kindOf(control)) {
    case ControlKind::TextBox:
        setTextLike(
            control, value, code, [control](const QString &text) { setText(control, text); },
            [control](FormatCode shownCode) { ApplyFormat(control, shownCode); });
        break;
    case ControlKind::ComboBox:
        setComboValue(qobject_cast<QComboBox *>(control), value, code);
        break;
    case ControlKind::DatePicker:
        setDatePickerValue(qobject_cast<QDateTimeEdit *>(control), value);
        break;
    case ControlKind::MaskedEditBox:
        setMaskedValue(qobject_cast<MaskEdBox *>(control), value, code);
        break;
    case ControlKind::OptionButton:
    case ControlKind::CheckBox:
        setChoiceValue(control, value);
        break;
    case ControlKind::Label:
        setLabelValue(control, value, code);
        break;
    case ControlKind::ListBox:
        setListBoxValue(control, value);
        break;
    case ControlKind::Other:
        break;
    }
    showFromStart(control);
}

} // namespace modControls
