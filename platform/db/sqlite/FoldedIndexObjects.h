#pragma once

#include "platform/db/sqlite/FoldedIndexDefinition.h"

#include <optional>

struct sqlite3;

namespace platform::sqlite {

// One row of a file's schema.
struct SchemaObject
{
    QString type; // table, index, view or trigger
    QString name;
    QString table; // the table an index or trigger belongs to
    QString sql;
};

// What a file holds of a folded index and of the table it serves.
struct FoldedIndexState
{
    bool schemaRead = false;     // false: nothing below could be learned
    bool holdsTable = false;     // main holds the table
    bool keyIsRowid = false;     // the key is the table's rowid, and the searched columns are there
    bool plain = false;          // neither the table nor its indexes name the desk's collation
    bool whole = false;          // every object of the current form there, as made at this schema version
    bool earlierObjects = false; // objects of an earlier form are left
    qint64 schemaVersion = -1;   // main's schema version the above was read at
    QStringList views;           // those that read the table as shipped, in lower case

    // Whether the desk must rebuild (the table's collation, the index) before it can vouch for it.
    bool needsBuild() const { return holdsTable && (!plain || (keyIsRowid && (!whole || earlierObjects))); }
    bool vouched() const { return holdsTable && keyIsRowid && plain && whole && !earlierObjects; }
};

// main's schema; nothing when it cannot be read. `version`, when given,
// receives main's schema version, read just before.
std::optional<QList<SchemaObject>> readMainSchema(sqlite3 *db, qint64 *version = nullptr);

FoldedIndexState readIndexState(sqlite3 *db, const FoldedIndexDefinition &definition);

// The objects of the index's current form, in the order they are made: the
// tables, then the triggers (type, name, statement).
QList<SchemaObject> indexObjects(const FoldedIndexDefinition &definition);

// The objects of the schema that belong to the index, in this form or an
// earlier one (the text index's own shadow tables left out).
QList<SchemaObject> indexFamily(const QList<SchemaObject> &schema, const FoldedIndexDefinition &definition);

// Whether two statements read alike: the same tokens, names compared without
// regard to case or quotes, blanks and comments aside.
bool sameStatement(const QString &a, const QString &b);

// A CREATE statement without the clauses that name the desk's collation.
QString withoutDeskCollation(const QString &statement);

// An expression that is Null while main's schema is still at the version the
// index was found current at, and the smallest whole number once anything of
// it changed (a trigger dropped, a view or the table made anew): a row range
// "key >= <proof>" is then empty, or every row.
QString currencyProof(qint64 schemaVersion);

// The table that finds the keys of the rows holding a folded value of one key column.
QString keyLookupTable(const FoldedIndexDefinition &definition, const QString &column);

QString quotedName(const QString &name);

} // namespace platform::sqlite
