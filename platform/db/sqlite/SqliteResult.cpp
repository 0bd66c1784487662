#include "platform/db/sqlite/SqliteResult.h"

#include "platform/db/access/ProviderErrors.h"
#include "platform/runtime/RuntimeError.h"

#include <sqlite3.h>

#include <memory>
#include <vector>

namespace platform::sqlite {

namespace {

struct Finalizer
{
    void operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalizer>;

RuntimeError statementFailure(sqlite3 *db, QList<ErrorRecord> &errors)
{
    const int code = sqlite3_extended_errcode(db);
    QString description = QString::fromUtf8(sqlite3_errmsg(db));
    int number = ProviderError::StatementFailed;
    QString state = QStringLiteral("42000");
    auto kind = RuntimeError::Kind::General;
    switch (code & 0xff) {
    case SQLITE_CONSTRAINT:
        number = ProviderError::IntegrityViolation;
        state = QStringLiteral("23000");
        if (code == SQLITE_CONSTRAINT_UNIQUE || code == SQLITE_CONSTRAINT_PRIMARYKEY)
            kind = RuntimeError::Kind::UniqueViolation;
        break;
    case SQLITE_BUSY:
        // A stale snapshot fails at once; any other busy ran out its wait for the lock.
        number = code == SQLITE_BUSY_SNAPSHOT ? ProviderError::OpenFailed : ProviderError::TimeoutExpired;
        state = QStringLiteral("HYT00");
        if (number == ProviderError::TimeoutExpired)
            description = QStringLiteral("Query timeout expired: ") + description;
        break;
    case SQLITE_INTERRUPT: // only the statement's deadline interrupts
        number = ProviderError::TimeoutExpired;
        state = QStringLiteral("HYT00");
        description = QStringLiteral("Query timeout expired");
        break;
    case SQLITE_LOCKED:
        number = ProviderError::OpenFailed;
        state = QStringLiteral("HYT00");
        break;
    case SQLITE_IOERR:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_CANTOPEN:
    case SQLITE_FULL:
    case SQLITE_READONLY:
        number = ProviderError::OpenFailed;
        state = QStringLiteral("HY000");
        break;
    default:
        break;
    }
    errors.append({number, description, code, state});
    return RuntimeError(number, description, kind);
}

bool isDateTimeType(const char *declared)
{
    if (!declared)
        return false;
    const QByteArray type = QByteArray(declared).toUpper();
    return type.contains("DATE") || type.contains("TIME");
}

// The field as the engine holds it; the connection serves one thread, so its
// column values are read directly.
ResultRows::Field fieldOf(sqlite3_stmt *statement, int column, bool dateTime)
{
    using Field = ResultRows::Field;
    sqlite3_value *value = sqlite3_column_value(statement, column);
    Field field;
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
        field.kind = Field::Integer;
        field.integer = sqlite3_value_int64(value);
        break;
    case SQLITE_FLOAT:
        field.kind = Field::Double;
        field.real = sqlite3_value_double(value);
        break;
    case SQLITE_TEXT:
        field.kind = dateTime ? Field::DateText : Field::Text;
        field.bytes = reinterpret_cast<const char *>(sqlite3_value_text(value));
        field.length = sqlite3_value_bytes(value);
        break;
    case SQLITE_BLOB:
        field.kind = Field::Blob;
        field.bytes = static_cast<const char *>(sqlite3_value_blob(value));
        field.length = sqlite3_value_bytes(value);
        break;
    default:
        break;
    }
    return field;
}

// A statement whose parameters nobody binds would read them as Null.
void refuseParameters(sqlite3_stmt *statement, QList<ErrorRecord> &errors)
{
    if (sqlite3_bind_parameter_count(statement) == 0)
        return;
    const char *name = sqlite3_bind_parameter_name(statement, 1);
    const QString description = QStringLiteral("Must declare the scalar variable \"%1\".")
                                    .arg(name ? QString::fromUtf8(name) : QStringLiteral("?"));
    errors.append({ProviderError::StatementFailed, description, SQLITE_ERROR, QStringLiteral("42000")});
    throw RuntimeError(ProviderError::StatementFailed, description);
}

} // namespace

ResultTable runStatements(sqlite3 *db, const QString &text, qint64 *recordsAffected, QList<ErrorRecord> &errors)
{
    const QByteArray utf8 = text.toUtf8();
    const char *next = utf8.constData();
    const char *const end = next + utf8.size();
    ResultTable result;
    bool haveRows = false;
    qint64 changed = -1;
    while (next < end) {
        sqlite3_stmt *raw = nullptr;
        const char *tail = nullptr;
        // The length counts the text's closing NUL: told less, SQLite copies the
        // rest of the text at every statement, and a text of many grows square.
        if (sqlite3_prepare_v2(db, next, static_cast<int>(end - next) + 1, &raw, &tail) != SQLITE_OK)
            throw statementFailure(db, errors);
        Statement statement(raw);
        if (!statement && tail == next) {
            // SQLite stops at a NUL; what follows it would be lost or loop here.
            const QString description = QStringLiteral("unrecognized token: NUL character in the statement");
            errors.append({ProviderError::StatementFailed, description, SQLITE_ERROR, QStringLiteral("42000")});
            throw RuntimeError(ProviderError::StatementFailed, description);
        }
        next = tail;
        if (!statement)
            continue; // only blanks or a comment
        refuseParameters(statement.get(), errors);
        const int columns = sqlite3_column_count(statement.get());
        const bool keepRows = columns > 0 && !haveRows;
        QList<bool> dateTime;
        std::vector<ResultRows::Field> fields(static_cast<size_t>(columns));
        if (keepRows) {
            haveRows = true;
            for (int c = 0; c < columns; ++c) {
                result.columns << QString::fromUtf8(sqlite3_column_name(statement.get(), c));
                dateTime << isDateTimeType(sqlite3_column_decltype(statement.get(), c));
            }
        }
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
            if (!keepRows)
                continue;
            for (int c = 0; c < columns; ++c)
                fields[static_cast<size_t>(c)] = fieldOf(statement.get(), c, dateTime.at(c));
            result.rows.append(fields.data(), columns);
        }
        if (rc != SQLITE_DONE)
            throw statementFailure(db, errors);
        if (columns == 0 && !sqlite3_stmt_readonly(statement.get()))
            changed = qMax<qint64>(changed, 0) + sqlite3_changes64(db);
    }
    if (recordsAffected)
        *recordsAffected = haveRows ? -1 : changed;
    return result;
}

} // namespace platform::sqlite
