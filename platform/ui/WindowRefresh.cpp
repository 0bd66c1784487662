#include "platform/ui/WindowRefresh.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace platform {

void Refresh(QWidget *widget)
{
    if (!widget || !widget->isVisible())
        return;
    // The request the event loop would deliver later, delivered now: the
    // window paints its changed parts and hands them to the display.
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(widget->window(), &request);
}

} // namespace platform
