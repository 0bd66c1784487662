#pragma once

#include <QString>
#include <QVariant>

class QWidget;

namespace modControls {

// How a control shows its value; the control's "Tag" keeps the raw value.
enum class FormatCode {
    General = 0,
    Date = 1,
    Amount2 = 2,
    PlainText = 3,
    Euro2 = 4,
    Percent = 5,
    Integer = 6,
    Euro3 = 7,
    Amount3 = 8,
    DateTime = 9,
    Euro4 = 10,
};

// Puts a value (Null included) into any kind of control. Conversion errors
// reach the caller.
void SetControlValue(QWidget *control, const QVariant &value, FormatCode code);
// Shows the control's Tag in the code's format.
void ApplyFormat(QWidget *control, FormatCode code);
// For a control's got-focus: puts the raw value up for editing.
void SelectOnFocus(QWidget *control, FormatCode code);
// For a control's lost-focus: stores the typed value in Tag and formats it;
// an error is shown in a message box.
void FormatOnLostFocus(QWidget *control, FormatCode code);

// The first character of the user locale's decimal separator; "" when the
// system cannot tell.
QString DecimalChar();
// The value's text with every `find` replaced; "" unless both are one
// character long.
QString ReplaceChar(const QVariant &value, const QString &find, const QString &replacement);

} // namespace modControls
