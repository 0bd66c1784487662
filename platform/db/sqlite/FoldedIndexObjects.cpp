#include "platform/db/sqlite/FoldedIndexObjects.h"

#include "platform/db/sql/LiteralFolding.h"
#include "platform/db/sql/SqlTokenizer.h"
#include "platform/db/sqlite/SqliteFunctions.h"
#include "platform/db/sqlite/SqliteQuery.h"

#include <QHash>
#include <QMutex>

namespace platform::sqlite {

namespace {

using sql::Token;
using sql::TokenKind;

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

const SchemaObject *find(const QList<SchemaObject> &schema, const QString &type, const QString &name)
{
    for (const SchemaObject &object : schema)
        if (object.type == type && sameName(object.name, name))
            return &object;
    return nullptr;
}

// The name a token stands for, without its quotes; empty for any other token.
QString nameOf(const Token &token)
{
    if (token.kind == TokenKind::Identifier)
        return token.text;
    if (token.kind == TokenKind::QuotedIdentifier && token.text.size() >= 2)
        return token.text.mid(1, token.text.size() - 2);
    return QString();
}

// A name against a pattern whose '*' stands for any run, case aside.
bool matchesPattern(QStringView pattern, QStringView name)
{
    const qsizetype star = pattern.indexOf(QLatin1Char('*'));
    if (star < 0)
        return pattern.compare(name, Qt::CaseInsensitive) == 0;
    if (!name.startsWith(pattern.left(star), Qt::CaseInsensitive))
        return false;
    const QStringView rest = pattern.mid(star + 1);
    for (qsizetype at = star; at <= name.size(); ++at)
        if (matchesPattern(rest, name.mid(at)))
            return true;
    return false;
}

QList<Token> significant(const QString &text)
{
    QList<Token> tokens;
    for (const Token &token : sql::tokenize(text))
        if (token.kind != TokenKind::Whitespace && token.kind != TokenKind::Comment)
            tokens << token;
    if (!tokens.isEmpty() && tokens.last().isPunctuation(QLatin1Char(';')))
        tokens.removeLast();
    return tokens;
}

bool namesDeskCollation(const QString &statement)
{
    return statement.contains(QLatin1String(MemberTextCollation), Qt::CaseInsensitive) &&
           withoutDeskCollation(statement) != statement;
}

// Whether the key is the table's rowid (so a key read anywhere is a row), and
// the searched columns are there; nothing when it cannot be read now.
std::optional<bool> readKeyIsRowid(sqlite3 *db, const FoldedIndexDefinition &definition)
{
    const auto columns = textRows(db, QStringLiteral("SELECT name, upper(type), pk FROM pragma_table_info(?1, 'main')"),
                                  {definition.table});
    const auto indexes =
        textRows(db, QStringLiteral("SELECT origin FROM pragma_index_list(?1, 'main')"), {definition.table});
    if (!columns || !indexes)
        return std::nullopt;
    for (const QStringList &index : *indexes)
        if (index.value(0) == QLatin1String("pk")) // a primary key of its own: no rowid alias
            return false;
    bool key = false;
    int keyParts = 0;
    QStringList names;
    for (const QStringList &column : *columns) {
        names << column.value(0).toLower();
        if (column.value(2).toInt() > 0) {
            ++keyParts;
            key = sameName(column.value(0), definition.key) && column.value(1) == QLatin1String("INTEGER");
        }
    }
    if (!key || keyParts != 1 || !names.contains(definition.textColumn.toLower()))
        return false;
    for (const QString &column : definition.keyColumns)
        if (!names.contains(column.toLower()))
            return false;
    return true;
}

// The same, remembered by the table's definition: every search opens the file
// again, and the answer follows from that text alone.
bool keyIsRowid(sqlite3 *db, const FoldedIndexDefinition &definition, const QString &createTable)
{
    static QMutex lock;
    static QHash<QString, bool> known;
    const QString key = definition.table + QLatin1Char('\n') + definition.key + QLatin1Char('\n') +
                        definition.textColumn + QLatin1Char('\n') + definition.keyColumns.join(QLatin1Char(',')) +
                        QLatin1Char('\n') + createTable;
    {
        QMutexLocker locker(&lock);
        if (const auto found = known.constFind(key); found != known.constEnd())
            return *found;
    }
    const std::optional<bool> rowid = readKeyIsRowid(db, definition);
    if (!rowid)
        return false;
    QMutexLocker locker(&lock);
    if (known.size() > 64)
        known.clear();
    known.insert(key, *rowid);
    return *rowid;
}

QString triggerStatement(const FoldedIndexDefinition &d, const char *suffix, const char *event, const QString &body)
{
    return QStringLiteral("CREATE TRIGGER %1 AFTER %2 ON %3 BEGIN %4 END")
        .arg(quotedName(d.changeLog + QLatin1Char('_') + QLatin1String(suffix)), QLatin1String(event),
             quotedName(d.table), body);
}

QString logRow(const FoldedIndexDefinition &d, const char *which)
{
    return QStringLiteral("INSERT OR IGNORE INTO %1 VALUES (%2.%3);")
        .arg(quotedName(d.changeLog), QLatin1String(which), quotedName(d.key));
}

} // namespace

QString keyLookupTable(const FoldedIndexDefinition &d, const QString &column)
{
    return d.keyTable + QLatin1Char('_') + column;
}

QString quotedName(const QString &name)
{
    return sql::quoted(name, QLatin1Char('"'));
}

std::optional<QList<SchemaObject>> readMainSchema(sqlite3 *db, qint64 *version)
{
    // The version first: should the schema change before the rows are read,
    // the version is older than they are, and a proof made from it fails.
    if (version) {
        const auto read = numberOf(db, QStringLiteral("PRAGMA main.schema_version"));
        if (!read)
            return std::nullopt;
        *version = *read;
    }
    const auto rows = textRows(db, QStringLiteral("SELECT type, name, tbl_name, sql FROM main.sqlite_schema"));
    if (!rows)
        return std::nullopt;
    QList<SchemaObject> schema;
    for (const QStringList &row : *rows)
        schema.append({row.value(0), row.value(1), row.value(2), row.value(3)});
    return schema;
}

QList<SchemaObject> indexObjects(const FoldedIndexDefinition &d)
{
    QStringList keyColumns;
    for (const QString &column : d.keyColumns)
        keyColumns << quotedName(column) + QStringLiteral(" TEXT");
    QList<SchemaObject> objects{
        {QStringLiteral("table"), d.textIndex, d.textIndex,
         QStringLiteral("CREATE VIRTUAL TABLE %1 USING fts5(%2, tokenize = 'trigram')")
             .arg(quotedName(d.textIndex), d.textColumn)},
        {QStringLiteral("table"), d.keyTable, d.keyTable,
         QStringLiteral("CREATE TABLE %1 (%2 INTEGER PRIMARY KEY, %3)")
             .arg(quotedName(d.keyTable), quotedName(d.key), keyColumns.join(QStringLiteral(", ")))},
        {QStringLiteral("table"), d.changeLog, d.changeLog,
         QStringLiteral("CREATE TABLE %1 (%2 INTEGER PRIMARY KEY)").arg(quotedName(d.changeLog), quotedName(d.key))},
        {QStringLiteral("table"), d.stateTable, d.stateTable,
         QStringLiteral("CREATE TABLE %1 (schema_version INTEGER)").arg(quotedName(d.stateTable))},
    };
    // A table rather than an index per key column: tables can be renamed, so a
    // register filled anew beside the live one is swapped in at once.
    for (const QString &column : d.keyColumns) {
        const QString name = keyLookupTable(d, column);
        objects.append({QStringLiteral("table"), name, name,
                        QStringLiteral("CREATE TABLE %1 (%2 TEXT NOT NULL, %3 INTEGER NOT NULL, PRIMARY KEY (%2, %3)) "
                                       "WITHOUT ROWID")
                            .arg(quotedName(name), quotedName(column), quotedName(d.key))});
    }
    // UPDATE of any column: a new key written as "rowid" names no column of the table.
    objects.append({QStringLiteral("trigger"), d.changeLog + QStringLiteral("_insert"), d.table,
                    triggerStatement(d, "insert", "INSERT", logRow(d, "new"))});
    objects.append({QStringLiteral("trigger"), d.changeLog + QStringLiteral("_update"), d.table,
                    triggerStatement(d, "update", "UPDATE", logRow(d, "old") + QLatin1Char(' ') + logRow(d, "new"))});
    objects.append({QStringLiteral("trigger"), d.changeLog + QStringLiteral("_delete"), d.table,
                    triggerStatement(d, "delete", "DELETE", logRow(d, "old"))});
    return objects;
}

QList<SchemaObject> indexFamily(const QList<SchemaObject> &schema, const FoldedIndexDefinition &definition)
{
    QStringList current;
    for (const SchemaObject &object : indexObjects(definition))
        current << object.name.toLower();
    auto inFamily = [&](const SchemaObject &object) {
        if (current.contains(object.name.toLower()))
            return true;
        for (const QString &pattern : definition.earlierForms)
            if (matchesPattern(pattern, object.name))
                return true;
        return false;
    };
    QList<SchemaObject> family;
    QStringList virtualTables;
    for (const SchemaObject &object : schema)
        if (inFamily(object)) {
            family << object;
            if (object.sql.startsWith(QLatin1String("CREATE VIRTUAL TABLE"), Qt::CaseInsensitive))
                virtualTables << object.name.toLower();
        }
    // A text index's shadow tables go with it.
    static const QStringList shadows = {u"_data"_qs, u"_idx"_qs, u"_content"_qs, u"_docsize"_qs, u"_config"_qs};
    QList<SchemaObject> owned;
    for (const SchemaObject &object : family) {
        bool shadow = false;
        for (const QString &suffix : shadows)
            shadow = shadow || (object.type == u"table" && object.name.endsWith(suffix, Qt::CaseInsensitive) &&
                                virtualTables.contains(object.name.chopped(suffix.size()).toLower()));
        if (!shadow)
            owned << object;
    }
    return owned;
}

FoldedIndexState readIndexState(sqlite3 *db, const FoldedIndexDefinition &definition)
{
    FoldedIndexState state;
    qint64 version = -1;
    const auto schema = readMainSchema(db, &version);
    if (!schema)
        return state;
    state.schemaRead = true;
    state.schemaVersion = version;
    const SchemaObject *table = find(*schema, QStringLiteral("table"), definition.table);
    if (!table)
        return state;
    state.holdsTable = true;
    state.keyIsRowid = keyIsRowid(db, definition, table->sql);
    state.plain = true;
    for (const SchemaObject &object : *schema)
        if ((object.type == u"index" || object.type == u"table") && sameName(object.table, definition.table) &&
            namesDeskCollation(object.sql))
            state.plain = false;
    const QList<SchemaObject> expected = indexObjects(definition);
    state.whole = true;
    for (const SchemaObject &object : expected) {
        const SchemaObject *found = find(*schema, object.type, object.name);
        state.whole = state.whole && found && found->sql == object.sql;
    }
    // Made at this very schema: nothing of it was dropped and put back since.
    if (state.whole)
        state.whole = numberOf(db, QStringLiteral("SELECT max(schema_version) FROM main.") +
                                       quotedName(definition.stateTable)) == version;
    QStringList current;
    for (const SchemaObject &object : expected)
        current << object.name.toLower();
    for (const SchemaObject &object : indexFamily(*schema, definition))
        state.earlierObjects = state.earlierObjects || !current.contains(object.name.toLower());
    for (const FoldedIndexDefinition::View &view : definition.views)
        if (const SchemaObject *found = find(*schema, QStringLiteral("view"), view.name);
            found && sameStatement(found->sql, view.definition))
            state.views << view.name.toLower();
    return state;
}

bool sameStatement(const QString &a, const QString &b)
{
    if (a == b)
        return true;
    const QList<Token> left = significant(a);
    const QList<Token> right = significant(b);
    if (left.size() != right.size())
        return false;
    for (qsizetype i = 0; i < left.size(); ++i) {
        const QString leftName = nameOf(left.at(i));
        const QString rightName = nameOf(right.at(i));
        if (!leftName.isEmpty() || !rightName.isEmpty()) {
            if (leftName.isEmpty() || !sameName(leftName, rightName))
                return false;
        } else if (left.at(i).kind != right.at(i).kind || left.at(i).text != right.at(i).text) {
            return false;
        }
    }
    return true;
}

QString withoutDeskCollation(const QString &statement)
{
    const QList<Token> tokens = sql::tokenize(statement);
    QString text;
    qsizetype i = 0;
    while (i < tokens.size()) {
        if (tokens.at(i).is(TokenKind::Identifier, u"COLLATE")) {
            qsizetype next = i + 1;
            while (next < tokens.size() &&
                   (tokens.at(next).kind == TokenKind::Whitespace || tokens.at(next).kind == TokenKind::Comment))
                ++next;
            if (next < tokens.size() && sameName(nameOf(tokens.at(next)), QLatin1String(MemberTextCollation))) {
                while (text.endsWith(QLatin1Char(' ')))
                    text.chop(1);
                i = next + 1;
                continue;
            }
        }
        text += tokens.at(i).text;
        ++i;
    }
    return text;
}

QString currencyProof(qint64 schemaVersion)
{
    return QStringLiteral("(SELECT CASE WHEN schema_version = %1 THEN NULL ELSE -9223372036854775807 - 1 END "
                          "FROM pragma_schema_version)")
        .arg(schemaVersion);
}

} // namespace platform::sqlite
