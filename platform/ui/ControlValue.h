#pragma once

#include <QVariant>

class QWidget;

namespace platform {

// The value a control stands for where a value is expected: a line edit's
// (or masked box's) text, a combo's or label's text, a date picker's date,
// a check box's 0/1/2, an option button's truth value, a list's chosen text.
// Raises 438 for a control that has no value; no control is Null.
QVariant ControlValue(const QWidget *control);

} // namespace platform
