#pragma once

#include <QString>
#include <QVariant>

class QWidget;

namespace modCode {

// Literal kinds the statements of the desk paste.
namespace LiteralKind {
inline constexpr int Date = 1;
inline constexpr int Number = 2;
inline constexpr int TextOrNull = 3;
inline constexpr int TextOrEmpty = 4;
inline constexpr int DateTime = 5;
inline constexpr int LikePattern = 6;
inline constexpr int OtherNumber = 7;
} // namespace LiteralKind

// The literal that stands for the value in a statement, with its own quotes;
// the empty text for an unknown kind. Conversion errors reach the caller.
QString SqlLiteral(const QVariant &value, int kind);
// A control stands for its current value (a line edit for its text).
QString SqlLiteral(const QWidget *control, int kind);

// Escapes every apostrophe as "' + CHAR(39) + '"; the argument receives the
// result too. Reports its own errors and then returns "".
QString Trtf(QString &text);

// Whether the text reads as a number once its "," and "." are taken as the
// locale's separators.
bool IsLocaleNumeric(const QVariant &value);

// The user locale's separators, asked of the operating system each time.
QString ThousandSeparator();
QString DecimalSeparator();

// The separators IsLocaleNumeric cached on first use; they are kept for the
// life of the process, so only tests empty them.
void resetSeparatorCaches();

} // namespace modCode
