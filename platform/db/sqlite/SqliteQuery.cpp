#include "platform/db/sqlite/SqliteQuery.h"

#include <sqlite3.h>

namespace platform::sqlite {

bool execute(sqlite3 *db, const QString &sql)
{
    return sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::optional<QList<QStringList>> textRows(sqlite3 *db, const QString &sql, const QStringList &texts)
{
    sqlite3_stmt *statement = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), static_cast<int>(text.size()), &statement, nullptr) != SQLITE_OK)
        return std::nullopt;
    for (int i = 0; i < texts.size(); ++i) {
        const QByteArray value = texts.at(i).toUtf8();
        if (sqlite3_bind_text(statement, i + 1, value.constData(), static_cast<int>(value.size()), SQLITE_TRANSIENT) !=
            SQLITE_OK) {
            sqlite3_finalize(statement);
            return std::nullopt;
        }
    }
    QList<QStringList> rows;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        QStringList row;
        for (int column = 0; column < sqlite3_column_count(statement); ++column) {
            const auto *value = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
            row << (value ? QString::fromUtf8(value, sqlite3_column_bytes(statement, column)) : QString());
        }
        rows << row;
    }
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE)
        return std::nullopt;
    return rows;
}

std::optional<qint64> numberOf(sqlite3 *db, const QString &sql, const QStringList &texts)
{
    const auto rows = textRows(db, sql, texts);
    if (!rows)
        return std::nullopt;
    return rows->isEmpty() || rows->first().isEmpty() ? 0 : rows->first().first().toLongLong();
}

} // namespace platform::sqlite
