#pragma once

namespace platform {

namespace Pointer {
inline constexpr int Default = 0;
inline constexpr int Hourglass = 11;
} // namespace Pointer

// The application-wide mouse pointer, as a busy handler sets and restores it.
void SetMousePointer(int pointer);
int MousePointer();

} // namespace platform
