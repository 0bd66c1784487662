#include "platform/db/odbc/OdbcResultReader.h"

#include "platform/db/odbc/OdbcApi.h"
#include "platform/db/odbc/OdbcDiagnostics.h"

#include <QByteArray>
#include <QDateTime>

#include <type_traits>
#include <vector>

namespace platform::odbc {

namespace {

// SQL Server's own date and time types, which its drivers report by these codes.
constexpr SQLSMALLINT SqlServerTime2 = -154;
constexpr SQLSMALLINT SqlServerTimestampOffset = -155;

enum class ValueKind { Integer, Float, Timestamp, Time, Binary, Text };

struct Column
{
    QString name;
    ValueKind kind = ValueKind::Text;
};

ValueKind kindOf(SQLSMALLINT type, SQLSMALLINT scale, SQLULEN precision)
{
    switch (type) {
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
        return ValueKind::Integer;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
        // Whole numbers that fit 64 bits stay integers, as MAX() of an int column may come back numeric.
        return scale == 0 && precision <= 18 ? ValueKind::Integer : ValueKind::Float;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return ValueKind::Float;
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIMESTAMP:
    case SqlServerTimestampOffset:
        return ValueKind::Timestamp;
    case SQL_TYPE_TIME:
    case SqlServerTime2:
        return ValueKind::Time;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return ValueKind::Binary;
    default:
        return ValueKind::Text;
    }
}

QList<Column> describeColumns(SQLHSTMT statement, SQLSMALLINT count, QList<ErrorRecord> &errors)
{
    QList<Column> columns;
    for (SQLUSMALLINT index = 1; index <= count; ++index) {
        SQLWCHAR name[512] = {};
        SQLSMALLINT nameLength = 0, type = 0, scale = 0, nullable = 0;
        SQLULEN precision = 0;
        const SQLRETURN rc =
            SQLDescribeColW(statement, index, name, 512, &nameLength, &type, &precision, &scale, &nullable);
        if (!SQL_SUCCEEDED(rc))
            throw failure(SQL_HANDLE_STMT, statement, errors, QStringLiteral("The columns could not be described."));
        const qsizetype length = qMin<qsizetype>(nameLength, 511);
        columns.append(
            {QString::fromUtf16(reinterpret_cast<const char16_t *>(name), length), kindOf(type, scale, precision)});
    }
    return columns;
}

// Reads a field in pieces until the driver has given all of it.
template <typename Unit>
bool readLong(SQLHSTMT statement, SQLUSMALLINT index, SQLSMALLINT targetType, std::vector<Unit> &out,
              QList<ErrorRecord> &errors)
{
    out.clear();
    Unit buffer[2048];
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(statement, index, targetType, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA)
            return true;
        if (!SQL_SUCCEEDED(rc))
            throw failure(SQL_HANDLE_STMT, statement, errors, QStringLiteral("A field could not be read."));
        if (indicator == SQL_NULL_DATA)
            return false;
        // Text pieces end with a terminator the driver counts out of the buffer.
        const size_t terminator = std::is_same_v<Unit, SQLWCHAR> ? 1 : 0;
        size_t units = sizeof buffer / sizeof(Unit) - terminator;
        if (indicator != SQL_NO_TOTAL && static_cast<size_t>(indicator) / sizeof(Unit) < units)
            units = static_cast<size_t>(indicator) / sizeof(Unit);
        out.insert(out.end(), buffer, buffer + units);
        if (rc == SQL_SUCCESS)
            return true;
    }
}

template <typename Value>
bool readFixed(SQLHSTMT statement, SQLUSMALLINT index, SQLSMALLINT targetType, Value &value, QList<ErrorRecord> &errors)
{
    SQLLEN indicator = 0;
    const SQLRETURN rc = SQLGetData(statement, index, targetType, &value, sizeof value, &indicator);
    if (!SQL_SUCCEEDED(rc))
        throw failure(SQL_HANDLE_STMT, statement, errors, QStringLiteral("A field could not be read."));
    return indicator != SQL_NULL_DATA;
}

QVariant readField(SQLHSTMT statement, SQLUSMALLINT index, ValueKind kind, QList<ErrorRecord> &errors)
{
    switch (kind) {
    case ValueKind::Integer: {
        SQLBIGINT value = 0;
        return readFixed(statement, index, SQL_C_SBIGINT, value, errors) ? QVariant(qlonglong(value)) : QVariant();
    }
    case ValueKind::Float: {
        double value = 0;
        return readFixed(statement, index, SQL_C_DOUBLE, value, errors) ? QVariant(value) : QVariant();
    }
    case ValueKind::Timestamp: {
        SQL_TIMESTAMP_STRUCT value = {};
        if (!readFixed(statement, index, SQL_C_TYPE_TIMESTAMP, value, errors))
            return QVariant();
        return QDateTime(QDate(value.year, value.month, value.day),
                         QTime(value.hour, value.minute, value.second, int(value.fraction / 1000000)));
    }
    case ValueKind::Time: {
        SQL_TIME_STRUCT value = {};
        if (!readFixed(statement, index, SQL_C_TYPE_TIME, value, errors))
            return QVariant();
        // A time of day alone sits on day zero of the date system, as the desk's variants have it.
        return QDateTime(QDate(1899, 12, 30), QTime(value.hour, value.minute, value.second));
    }
    case ValueKind::Binary: {
        std::vector<char> bytes;
        if (!readLong(statement, index, SQL_C_BINARY, bytes, errors))
            return QVariant();
        return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    case ValueKind::Text:
        break;
    }
    std::vector<SQLWCHAR> text;
    if (!readLong(statement, index, SQL_C_WCHAR, text, errors))
        return QVariant();
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(text.data()), static_cast<qsizetype>(text.size()));
}

} // namespace

ResultTable readResult(SQLHSTMT statement, SQLSMALLINT columnCount, QList<ErrorRecord> &errors)
{
    const QList<Column> columns = describeColumns(statement, columnCount, errors);
    ResultTable table;
    for (const Column &column : columns)
        table.columns.append(column.name);
    for (;;) {
        const SQLRETURN rc = SQLFetch(statement);
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc))
            throw failure(SQL_HANDLE_STMT, statement, errors, QStringLiteral("A row could not be fetched."));
        QList<QVariant> row;
        row.reserve(columns.size());
        for (qsizetype i = 0; i < columns.size(); ++i)
            row.append(readField(statement, static_cast<SQLUSMALLINT>(i + 1), columns.at(i).kind, errors));
        table.rows.append(std::move(row));
    }
    return table;
}

} // namespace platform::odbc
