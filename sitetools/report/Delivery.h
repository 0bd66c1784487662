#pragma once

#include <QDateTime>
#include <QString>

namespace report {

// The register code an undone delivery keeps in the delivery table: never a
// code the desk gives (1 or 2), so the row matches no member any more while
// its number still counts in the desk's next number.
inline constexpr qint32 UndoneCode = 0;

// Where a delivered member was found, read from the two registers: the
// delivery row itself only holds the code of the search step that took the
// member, which does not tell the registers apart.
enum class Association { Unknown, Haldor, Mirva, Both };

QString associationName(Association association);

// One row of the delivery table, as the report reads it.
struct Delivery
{
    qint32 number = 0;
    QDateTime when;
    QString whenText; // a stored date the engine did not read as one, as it is
    qint32 socioId = 0;
    qint32 code = 0; // base_dados
    QString noTap;
    QString nome;
    QString empresa;
    QString email;
    Association association = Association::Unknown;

    bool undone() const { return code == UndoneCode; }
};

} // namespace report
