#include "platform/ui/MousePointer.h"

#include <QCursor>
#include <QWidget>

namespace platform {

namespace {

// A control's own pointer (the text box's I-beam), kept while the window is busy.
constexpr char SavedPointer[] = "velunasSavedPointer";

// The window's controls that show a pointer of their own; windows it owns are not its controls.
QList<QWidget *> controlsWithOwnPointer(QWidget *form)
{
    QList<QWidget *> controls;
    for (QWidget *child : form->findChildren<QWidget *>())
        if (child->window() == form && child->testAttribute(Qt::WA_SetCursor))
            controls << child;
    return controls;
}

} // namespace

void SetMousePointer(QWidget *form, int pointer)
{
    if (!form)
        return;
    const bool busy = pointer == Pointer::Hourglass;
    for (QWidget *control : controlsWithOwnPointer(form)) {
        const QVariant saved = control->property(SavedPointer);
        if (busy && !saved.isValid()) {
            control->setProperty(SavedPointer, QVariant::fromValue(control->cursor()));
            control->setCursor(Qt::WaitCursor);
        } else if (!busy && saved.isValid()) {
            control->setCursor(saved.value<QCursor>());
            control->setProperty(SavedPointer, QVariant());
        }
    }
    if (busy)
        form->setCursor(Qt::WaitCursor);
    else
        form->unsetCursor();
}

int MousePointer(const QWidget *form)
{
    const bool busy = form && form->testAttribute(Qt::WA_SetCursor) && form->cursor().shape() == Qt::WaitCursor;
    return busy ? Pointer::Hourglass : Pointer::Default;
}

} // namespace platform
