#pragma once

#include <QColor>

namespace controls {

// The contrast of two colours as readers measure it: 1 (none) to 21 (black on white).
double contrastRatio(const QColor &first, const QColor &second);

// The colour a disabled box's text is drawn in: greyed toward the background
// as the disabled look wants, but never below `minimum` against it.
QColor readableDisabledText(const QColor &text, const QColor &background, double minimum);

} // namespace controls
