#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace platform::sqlite {

// A table the desk searches case- and accent-blind, and the index it keeps
// beside it in the same file: the text column folded (velunas_fold) in a
// trigram index, for LIKE; the key columns folded, trailing blanks away, in a
// table of their own, for "="; and a change log that plain-SQL triggers on the
// table fill with the key of every row any writer inserts, updates or
// deletes; beside them the schema version the index was made at, so that any
// change to the schema since (a table rebuilt and its triggers put back, say)
// has it made again. Nothing in the file needs a function or collation of the desk, so
// any SQLite program can write the table; the desk folds what was logged when
// it next opens the file or commits through it, and reads the logged rows as
// candidates of every search until then.
struct FoldedIndexDefinition
{
    struct View
    {
        QString name;
        QString definition; // its CREATE VIEW statement, as shipped
    };

    QString table;          // with an INTEGER PRIMARY KEY column
    QString key;            // that column, under the same name in the views
    QString textColumn;     // searched with LIKE
    QStringList keyColumns; // compared with "="
    // The views whose statements are narrowed, each only while the file's copy
    // reads as its shipped definition does.
    QList<View> views;
    QString textIndex; // the names of the index's own objects
    QString keyTable;
    QString changeLog;  // its triggers are named after it
    QString stateTable; // the schema version the index was made at
    // GLOB patterns of the names an earlier form of the index used; what matches
    // and is not of the current form is dropped.
    QStringList earlierForms;
};

} // namespace platform::sqlite
