#pragma once

#include "sitetools/import/MemberRows.h"
#include "sitetools/import/MemberSink.h"

#include <QChar>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <functional>

// Loads a member register of the embedded database from a spreadsheet's CSV
// export, for a site that keeps its members in a spreadsheet. The file is
// read a piece at a time and its members written a slice at a time, so that
// memory stays bounded whatever its size. Replacing a register with part of
// a file drops members without a word, so by default any rejected line
// leaves the register as it was. The register's index is made current in the
// import's transaction, at its COMMIT through the desk's connection
// (data/RegisterIndex.h says how a writer on the sqlite3 API does the same).
namespace memberimport {

struct Rejection
{
    qint64 line = 0;
    QString reason;
};

// Told each rejected line as the import comes to it, in the file's order.
using RejectionHandler = std::function<void(const Rejection &)>;

struct Options
{
    bool skipRejected = false; // load the good lines even when some are rejected
};

struct Outcome
{
    bool loaded = false;
    qint64 linesRead = 0;
    qint64 membersLoaded = 0;
    qint64 linesRejected = 0;
    QString encoding;           // as csv::encodingName gives it
    QChar separator;            // null when no line was read
    QStringList ignoredColumns; // header names that map onto no column
    QString problem;            // why nothing was loaded
    // The other register of the folder (haldor.db beside mirva.db), and the
    // loaded ids it holds too: ids must not overlap between the registers.
    QString otherRegister;
    QList<qint64> sharedIds;
};

// Reads members from csv into sink and commits it when they may be loaded.
Outcome loadMembers(QIODevice &csv, MemberSink &sink, const Options &options, const RejectionHandler &rejected);

// Replaces the members of a register file that holds the member table.
Outcome importMembers(const QString &registerFile, QIODevice &csv, const Options &options,
                      const RejectionHandler &rejected);
// The same from a file, a pipe, or "-" for standard input.
Outcome importMembersFromFile(const QString &registerFile, const QString &csvPath, const Options &options,
                              const RejectionHandler &rejected);

} // namespace memberimport
