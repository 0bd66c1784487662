#include "platform/MousePointer.h"

#include <QApplication>
#include <QCursor>

namespace platform {

namespace {
int current = Pointer::Default;
}

void SetMousePointer(int pointer)
{
    // Only one override cursor is ever kept, so restoring is never unbalanced.
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    if (pointer == Pointer::Hourglass)
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    current = pointer;
}

int MousePointer()
{
    return current;
}

} // namespace platform
