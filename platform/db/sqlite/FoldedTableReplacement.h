#pragma once

#include "platform/db/sqlite/FoldedIndexDefinition.h"

#include <QElapsedTimer>
#include <QLockFile>
#include <QString>

struct sqlite3;

namespace platform::sqlite {

// A table with a folded index filled anew beside the one other connections
// read, then swapped in whole. The new rows go into a staging table, each
// write in a transaction of its own; the staging index is filled a slice at a
// time; one short transaction renames the new table and its index into place;
// the old ones are then emptied a slice at a time and dropped. No transaction
// holds the file's write lock for long, whatever the table's size, so other
// writers (a delivery in the same file) go on meanwhile, and every reader sees
// the old table or the new one. Failures raise a RuntimeError.
class FoldedTableReplacement
{
public:
    FoldedTableReplacement(const QString &file, FoldedIndexDefinition definition);
    ~FoldedTableReplacement(); // unless swapped in, the staging table is cleared away
    FoldedTableReplacement(const FoldedTableReplacement &) = delete;
    FoldedTableReplacement &operator=(const FoldedTableReplacement &) = delete;

    // The name the new rows are written under until the swap.
    QString stagingTable() const;

    // Runs statements that write the staging table; they are committed with
    // the next ones written within a few tens of milliseconds, and all at the
    // swap.
    void write(const QString &statements);

    // Indexes the new rows, swaps them in, and clears the old rows away.
    void swapIn();

private:
    void run(const QString &statements) const;
    void finishWriting();
    bool isOurs(const QString &name, const QString &prefix) const;
    void clearAway(const QString &prefix) const;
    void clearRetired() const;
    void emptyTable(const QString &table, const QString &rows) const;
    void prepareStaging() const;
    void indexStaging() const;
    void swap() const;
    void setTextIndexMerging(const QString &index, int automerge, int crisismerge) const;
    void mergeTextIndex() const;
    [[noreturn]] void fail(const QString &what) const;

    QString m_file;
    FoldedIndexDefinition m_live;
    FoldedIndexDefinition m_staging;
    QLockFile m_onlyReplacement;
    sqlite3 *m_db = nullptr;
    bool m_swapped = false;
    mutable bool m_writing = false; // a transaction of written statements is open
    QElapsedTimer m_writingSince;
    qint64 m_lastCommitMs = 0; // the last one's commit, counted in the next one's time
};

} // namespace platform::sqlite
