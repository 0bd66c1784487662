#pragma once

#include <QString>

namespace platform::sql {

// The text as names are compared at the desk: accents dropped and case
// folded across Unicode, so "José" and "JOSE" fold alike.
QString foldCaseAndAccents(const QString &text);

// Orders two texts as the desk's "=" on member columns does: case, accents
// and trailing blanks are ignored. Negative, zero or positive.
int compareIgnoringCaseAndAccents(const QString &left, const QString &right);

} // namespace platform::sql
