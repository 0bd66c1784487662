#pragma once

class QWidget;

namespace platform {

// Paints at once what has changed in the widget's window since it was last
// painted, as a window's update on the desktop does: a handler that holds the
// thread shows its progress without the whole window drawn again each time.
void Refresh(QWidget *widget);

} // namespace platform
