#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace platform::sql {

// The one folding under which names are compared at the desk, on every
// engine (schema/postgresql.sql holds the same rules as velunas_fold):
// each character is taken apart by Unicode compatibility decomposition (NFKD),
// its combining marks (U+0300..036F, 1AB0..1AFF, 1DC0..1DFF, 20D0..20FF,
// FE20..FE2F) dropped, the letters that have no decomposition written plain
// (ł ø đ ħ ı ð ŧ ŋ ĸ ƒ, ß as ss, æ as ae, œ as oe, þ as th), the typographic
// apostrophes, dashes and double quotes read as ' - ", and case folded.
// It works character by character, so a folded text is the folded
// characters one after the other.
QString foldCaseAndAccents(const QString &text);

// Appends the folded form of UTF-8 text to `out`. Latin text folds through a
// table without allocating; bytes that are not UTF-8 pass through as they are.
void appendFolded(std::string &out, std::string_view utf8);

// Orders two texts as the desk's "=" on member columns does: folded alike,
// trailing blanks ignored. Negative, zero or positive.
int compareIgnoringCaseAndAccents(const QString &left, const QString &right);
int compareFolded(std::string_view left, std::string_view right);

// The length of the UTF-8 sequence that starts at `at` (1 for a byte that
// starts none), and the code point it holds.
size_t utf8Length(std::string_view text, size_t at);
char32_t utf8CodePoint(std::string_view text, size_t at, size_t length);

} // namespace platform::sql
