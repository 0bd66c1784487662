#pragma once

#include <QString>
#include <QVariant>

class QWidget;

namespace modCode {

// Literal kinds the statements of the desk paste, numbered as the desk's
// callers have always numbered them.
enum class LiteralKind {
    Date = 1,
    Number = 2,
    TextOrNull = 3,
    TextOrEmpty = 4,
    DateTime = 5,
    LikePattern = 6,
    OtherNumber = 7,
};

// The literal that stands for the value in a statement, with its own quotes;
// the empty text for an unknown kind. Conversion errors reach the caller.
QString SqlLiteral(const QVariant &value, LiteralKind kind);
// A control stands for its current value (a line edit for its text).
QString SqlLiteral(const QWidget *control, LiteralKind kind);

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
