#pragma once

#include <QString>
#include <QVariant>

class QWidget;

namespace modControls {

// How a control shows its value; the control's "Tag" keeps the raw value.
namespace FormatCode {
inline constexpr int General = 0;
inline constexpr int Date = 1;
inline constexpr int Amount2 = 2;
inline constexpr int PlainText = 3;
inline constexpr int Euro2 = 4;
inline constexpr int Percent = 5;
inline constexpr int Integer = 6;
inline constexpr int Euro3 = 7;
inline constexpr int Amount3 = 8;
inline constexpr int DateTime = 9;
inline constexpr int Euro4 = 10;
} // namespace FormatCode

// Puts a value (Null included) into any kind of control. Conversion errors
// reach the caller.
void SetControlValue(QWidget *control, const QVariant &value, int code);
// Shows the control's Tag in the code's format.
void ApplyFormat(QWidget *control, int code);
// For a control's got-focus: puts the raw value up for editing.
void SelectOnFocus(QWidget *control, int code);
// For a control's lost-focus: stores the typed value in Tag and formats it;
// an error is shown in a message box.
void FormatOnLostFocus(QWidget *control, int code);

// The first character of the user locale's decimal separator; "" when the
// system cannot tell.
QString DecimalChar();
// The value's text with every `find` replaced; "" unless both are one
// character long.
QString ReplaceChar(const QVariant &value, const QString &find, const QString &replacement);

} // namespace modControls
