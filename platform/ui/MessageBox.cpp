#include "platform/ui/MessageBox.h"

#include "platform/ui/DeskFont.h"

#include <QApplication>
#include <QMessageBox>
#include <QRegularExpression>

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

// The desk's texts break their lines with the pairs 10, 13 or 13, 10 (or a
// lone 13); each is drawn as one break, where Qt would draw the 13 as a blank.
QString drawnLines(QString text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n\r|\r"));
    return text.replace(lineBreak, QStringLiteral("\n"));
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
    QMessageBox box(iconOf(style), call.title, drawnLines(call.text), QMessageBox::Ok, QApplication::activeWindow());
    box.setFont(DeskFont());
    box.exec();
    return 1;
}

void setMessageBoxHandler(MessageBoxHandler newHandler)
{
    handler() = std::move(newHandler);
}

} // namespace platform
