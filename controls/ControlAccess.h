#pragma once

#include <QString>
#include <QVariant>

class QComboBox;
class QWidget;

// The properties the control helpers read and write, on every kind of
// control of the desk.
namespace controls {

// In the order a control is recognised: the first that matches decides.
enum class ControlKind {
    TextBox,       // QLineEdit
    ComboBox,      // QComboBox; its Style tells the three kinds apart
    DatePicker,    // QDateEdit, then QDateTimeEdit
    MaskedEditBox, // MaskEdBox
    OptionButton,  // QRadioButton
    CheckBox,      // QCheckBox
    Label,         // QLabel
    ListBox,       // QListWidget
    Other,
};
ControlKind kindOf(const QWidget *control);

namespace ComboStyle {
inline constexpr int DropDownCombo = 0; // editable, list dropped down
inline constexpr int SimpleCombo = 1;   // editable, list always shown
inline constexpr int DropDownList = 2;  // choice from the list only
} // namespace ComboStyle
int Style(const QComboBox *combo);

// The raw value every control keeps in its dynamic property "Tag".
QString Tag(const QWidget *control);
void setTag(QWidget *control, const QString &tag);

// Raise 438 for a control without a text; a drop-down list takes only a
// text of its list (383 otherwise), a masked box only one fitting its mask.
QString Text(const QWidget *control);
void setText(QWidget *control, const QString &text);
// Selects the whole text; 438 for a control without one.
void selectAll(QWidget *control);

// Lists of combo boxes and list boxes; -1 is no selection. A missing
// ItemData counts as 0.
int ListIndex(const QWidget *control);
void setListIndex(QWidget *control, int index);
int ListCount(const QWidget *control);
QString List(const QWidget *control, int index);
QVariant ItemData(const QWidget *control, int index);

// Option buttons and check boxes: 1 on, 0 off.
void setValue(QWidget *control, int value);

} // namespace controls
