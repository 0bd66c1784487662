#pragma once

#include "platform/db/sql/SqlTokenizer.h"

namespace platform::sql {

// Joins each constant run of text literals and CHAR(n) (n below 128) linked by
// "+" into one literal, the quote written doubled. The desk writes every
// apostrophe as ' + CHAR(39) + ', and a long run of those is a chain deep
// enough to overflow an engine's parser or stack. A run is joined only where
// the server would add it first: not after another additive or multiplying
// operator, and its last piece not bound to a following "*", "/" or "%".
QList<Token> foldTextRuns(const QList<Token> &tokens);

// The text a closed literal stands for; false for an unterminated one.
bool literalValue(const QString &literal, QString &value);

// The text between quotes, each quote inside written twice: a literal with
// "'", a quoted name (or an FTS5 phrase) with '"'.
QString quoted(QString value, QChar quote = QLatin1Char('\''));

} // namespace platform::sql
