#pragma once

#include <QFont>

namespace platform {

// The face every window of the desk is drawn in, message boxes included. Their
// captions were laid out for a small, narrow face and their widths rely on it;
// the program carries the face, registered at the first call.
inline constexpr qreal DeskPointSize = 8;
QFont DeskFont(bool bold = false, qreal pointSize = DeskPointSize);

} // namespace platform
