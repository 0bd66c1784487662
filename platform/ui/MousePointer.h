#pragma once

class QWidget;

namespace platform {

namespace Pointer {
inline constexpr int Default = 0;
inline constexpr int Hourglass = 11;
} // namespace Pointer

// The mouse pointer of one window, as a busy handler sets and restores it.
// Only that window and its controls show it: the boxes and windows it opens
// while busy keep their own pointer.
void SetMousePointer(QWidget *form, int pointer);
int MousePointer(const QWidget *form);

} // namespace platform
