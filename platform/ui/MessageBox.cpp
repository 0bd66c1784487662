#include "platform/ui/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {

namespace {

MessageBoxHandler &handler()
{
    static MessageBoxHandler current;
    return current;
}

QMessageBox::Icon iconOf(int style)
{
    switch (style & 0x70) {
    case MessageBoxStyle::Critical:
        return QMessageBox::Critical;
    case MessageBoxStyle::Question:
        return QMessageBox::Question;
    case MessageBoxStyle::Exclamation:
        return QMessageBox::Warning;
    case MessageBoxStyle::Information:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

QString applicationTitle()
{
    return QStringLiteral("Velunas");
}

int MsgBox(const QString &text, int style, const QString &title)
{
    const MessageBoxCall call{text, style, title.isEmpty() ? applicationTitle() : title};
    if (handler())
        return handler()(call);
    QMessageBox box(iconOf(style), call.title, call.text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
    return 1;
}

void setMessageBoxHandler(MessageBoxHandler newHandler)
{
    handler() = std::move(newHandler);
}

} // namespace platform
