#pragma once

#include <QLabel>
#include <QPixmap>

namespace controls {

// A picture on a form. It looks the same while its window is disabled, as a
// picture does on the desktop the desk comes from: a window disabled for a
// moment (a connection test) neither greys its banner nor repaints it.
class ImageBox : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_scaled; // the picture at the box's size, when stretched
};

} // namespace controls
