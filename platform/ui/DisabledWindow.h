#pragma once

#include <memory>

class QWidget;

namespace platform {

// Disables a window while it lives, as the desktop disables one: its controls
// take no input but keep their look, so neither disabling nor enabling it
// again repaints the window. What is painted meanwhile is painted again after.
class DisabledWindow
{
public:
    explicit DisabledWindow(QWidget *window);
    ~DisabledWindow();
    DisabledWindow(const DisabledWindow &) = delete;
    DisabledWindow &operator=(const DisabledWindow &) = delete;

private:
    class Watch;
    std::unique_ptr<Watch> m_watch;
};

} // namespace platform
