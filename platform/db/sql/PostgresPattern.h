#pragma once

#include <QChar>
#include <QString>

namespace platform {

// The comparison PostgreSQL runs for "x LIKE 'pattern'" once x is folded
// (velunas_fold): the pattern folded here by the same rules, then written as
// "LIKE '...'" with PostgreSQL's backslash escapes, or as "SIMILAR TO '...'"
// when it holds a [set], which LIKE lacks there. Both forms reach a trigram
// index on the folded column. `pattern` is the literal's text, unquoted.
QString postgresPatternMatch(const QString &pattern, QChar escape);

} // namespace platform
