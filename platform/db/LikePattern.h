#pragma once

#include <QChar>
#include <QList>
#include <QString>

namespace platform::sql {

// Whether text matches a LIKE pattern under the server's rules: "%" any run,
// "_" one character, "[abc]", "[a-f]" and "[^x]" one character of (or not of)
// a set; case and accents are ignored. A character after `escape` stands for
// itself; an unclosed "[" stands for itself.
bool matchesLike(const QString &text, const QString &pattern, QChar escape = QChar());

// A pattern read once and matched against many texts, as one statement does
// row after row.
class LikeMatcher
{
public:
    LikeMatcher(const QString &pattern, QChar escape);
    ~LikeMatcher();
    Q_DISABLE_COPY_MOVE(LikeMatcher)
    bool matches(const QString &text) const;
    QChar escape() const { return m_escape; }

    struct Element;

private:
    QChar m_escape;
    QList<Element> m_elements;
    qsizetype m_fixed = 0; // elements that take exactly one character each
};

} // namespace platform::sql
