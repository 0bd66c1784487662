#pragma once

#include <QString>

#include <functional>

namespace platform {

// Styles of the single-OK message boxes the desk shows.
namespace MessageBoxStyle {
inline constexpr int OkOnly = 0;
inline constexpr int Critical = 16;
inline constexpr int Question = 32;
inline constexpr int Exclamation = 48;
inline constexpr int Information = 64;
} // namespace MessageBoxStyle

struct MessageBoxCall
{
    QString text;
    int style = 0;
    QString title;
};

// The title a box gets when its caller gives none.
QString applicationTitle();

// Shows a modal message box with one OK button; an empty title means the
// application's title. Returns 1, the code of OK.
int MsgBox(const QString &text, int style = MessageBoxStyle::OkOnly, const QString &title = QString());

// Every box goes through this seam: tests install a handler that records the
// call and answers at once. An empty handler restores the real box.
using MessageBoxHandler = std::function<int(const MessageBoxCall &)>;
void setMessageBoxHandler(MessageBoxHandler handler);

} // namespace platform
