#pragma once

#include <QFont>

namespace platform {

// The face the desk's windows are drawn in. Their captions were laid out for
// a small, narrow face and their widths rely on it.
inline constexpr qreal DeskPointSize = 8;
QFont DeskFont(bool bold = false, qreal pointSize = DeskPointSize);

} // namespace platform
