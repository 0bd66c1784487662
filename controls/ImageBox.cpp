#include "controls/ImageBox.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>

namespace controls {

void ImageBox::changeEvent(QEvent *event)
{
    // Nothing of the picture changes with the window's enabled state.
    if (event->type() == QEvent::EnabledChange)
        return;
    QLabel::changeEvent(event);
}

void ImageBox::paintEvent(QPaintEvent *)
{
    const QPixmap picture = pixmap();
    if (picture.isNull())
        return;
    QPainter painter(this);
    const QRect area = contentsRect();
    if (!hasScaledContents()) {
        painter.drawPixmap(QStyle::alignedRect(layoutDirection(), alignment(), picture.size(), area), picture);
        return;
    }
    if (m_scaled.size() != area.size() || m_scaled.isNull())
        m_scaled = picture.scaled(area.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    painter.drawPixmap(area.topLeft(), m_scaled);
}

} // namespace controls
