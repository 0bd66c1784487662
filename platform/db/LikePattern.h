#pragma once

#include <QChar>
#include <QString>

namespace platform::sql {

// Whether text matches a LIKE pattern under the server's rules: "%" any run,
// "_" one character, "[abc]", "[a-f]" and "[^x]" one character of (or not of)
// a set; case and accents are ignored. A character after `escape` stands for
// itself; an unclosed "[" stands for itself.
bool matchesLike(const QString &text, const QString &pattern, QChar escape = QChar());

} // namespace platform::sql
