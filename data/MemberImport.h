#pragma once

#include "data/DemoDatabase.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Loads a member register of the embedded database from a spreadsheet's CSV
// export, for a site that keeps its members in a spreadsheet. The header row
// names the columns of the register's view; the whole register is replaced
// in one transaction, and the delivery table is never touched. The register's
// index is made current in that same transaction, at its COMMIT through the
// desk's connection (data/RegisterIndex.h says how a writer on the sqlite3 API
// does the same).
namespace memberimport {

struct Rejection
{
    int line = 0;
    QString reason;
};

struct Rows
{
    QList<demo::Member> members;
    QList<Rejection> rejected;
    QStringList ignoredColumns; // header names that map onto no column
    QString problem;            // why nothing can be loaded; empty when rows can be
};

struct Outcome
{
    bool loaded = false;
    qsizetype rowsLoaded = 0;
    QList<Rejection> rejected;
    QStringList ignoredColumns;
    QString problem; // why the register was left as it was
    // The other register of the folder (haldor.db beside mirva.db), and the
    // loaded ids it holds too: ids must not overlap between the registers.
    QString otherRegister;
    QList<qint64> sharedIds;
};

// The header names each column accepts, compared without regard to case,
// accents, blanks and punctuation: "Nº Sócio" is "no_socio".
QList<QStringList> acceptedHeaderNames();

Rows readMembers(const QByteArray &csv);

// Replaces the members of a register file that holds the member table.
Outcome importMembers(const QString &registerFile, const QByteArray &csv);
Outcome importMembersFromFile(const QString &registerFile, const QString &csvFile);

} // namespace memberimport
