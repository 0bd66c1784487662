#include "platform/ui/DisabledWindow.h"

#include <QApplication>
#include <QEvent>
#include <QPaintEvent>
#include <QPointer>
#include <QWidget>

namespace platform {

// Keeps the window's controls from redrawing for the change of state, and
// notes the ones painted in their disabled look meanwhile.
class DisabledWindow::Watch : public QObject
{
public:
    explicit Watch(QWidget *form) : m_window(form) { qApp->installEventFilter(this); }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_window || !watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        if (widget != m_window && !m_window->isAncestorOf(widget))
            return false;
        if (event->type() == QEvent::EnabledChange)
            return true;
        if (event->type() == QEvent::Paint && !widget->isEnabled())
            m_painted.append({widget, static_cast<QPaintEvent *>(event)->region()});
        return false;
    }

    void finish()
    {
        qApp->removeEventFilter(this);
        for (const auto &[widget, region] : std::as_const(m_painted))
            if (widget)
                widget->update(region);
    }

    QPointer<QWidget> m_window;

private:
    QList<std::pair<QPointer<QWidget>, QRegion>> m_painted;
};

DisabledWindow::DisabledWindow(QWidget *window)
{
    if (!window)
        return;
    m_watch = std::make_unique<Watch>(window);
    window->setEnabled(false);
}

DisabledWindow::~DisabledWindow()
{
    if (!m_watch)
        return;
    if (m_watch->m_window)
        m_watch->m_window->setEnabled(true);
    m_watch->finish();
}

} // namespace platform
