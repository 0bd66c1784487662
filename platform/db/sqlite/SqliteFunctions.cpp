#include "platform/db/sqlite/SqliteFunctions.h"

#include "platform/db/sql/LikePattern.h"
#include "platform/db/sql/TextFolding.h"
#include "platform/db/sql/TsqlTranslation.h"

#include <QDateTime>
#include <QString>

#include <sqlite3.h>

#include <cmath>
#include <memory>
#include <string>

namespace platform::sqlite {

namespace {

QString textOf(sqlite3_value *value)
{
    const auto *bytes = reinterpret_cast<const char *>(sqlite3_value_text(value));
    return QString::fromUtf8(bytes, sqlite3_value_bytes(value));
}

void resultText(sqlite3_context *context, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_result_text(context, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

void resultError(sqlite3_context *context, const QString &message)
{
    const QByteArray utf8 = message.toUtf8();
    sqlite3_result_error(context, utf8.constData(), static_cast<int>(utf8.size()));
}

bool isText(sqlite3_value *value)
{
    const int type = sqlite3_value_type(value);
    return type == SQLITE_TEXT || type == SQLITE_BLOB;
}

QString conversionFailed(const QString &text, const char *type)
{
    return QStringLiteral("Conversion failed when converting the varchar value '%1' to data type %2.")
        .arg(text, QLatin1String(type));
}

// The server turns a text added to a number into that number's type.
bool readInteger(const QString &text, qint64 &number)
{
    bool ok = false;
    number = text.trimmed().toLongLong(&ok);
    return ok;
}
bool readReal(const QString &text, double &number)
{
    bool ok = false;
    number = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(number);
}

void addNumbers(sqlite3_context *context, sqlite3_value *left, sqlite3_value *right)
{
    const bool leftInteger = sqlite3_value_type(left) == SQLITE_INTEGER;
    const bool rightInteger = sqlite3_value_type(right) == SQLITE_INTEGER;
    if (leftInteger && rightInteger) {
        qint64 sum = 0;
        if (__builtin_add_overflow(sqlite3_value_int64(left), sqlite3_value_int64(right), &sum)) {
            resultError(context,
                        QStringLiteral("Arithmetic overflow error converting expression to data type bigint."));
            return;
        }
        sqlite3_result_int64(context, sum);
        return;
    }
    sqlite3_result_double(context, sqlite3_value_double(left) + sqlite3_value_double(right));
}

void addTextToNumber(sqlite3_context *context, const QString &text, sqlite3_value *number)
{
    if (sqlite3_value_type(number) == SQLITE_INTEGER) {
        qint64 value = 0;
        if (!readInteger(text, value)) {
            resultError(context, conversionFailed(text, "int"));
            return;
        }
        qint64 sum = 0;
        if (__builtin_add_overflow(value, sqlite3_value_int64(number), &sum)) {
            resultError(context,
                        QStringLiteral("Arithmetic overflow error converting expression to data type bigint."));
            return;
        }
        sqlite3_result_int64(context, sum);
        return;
    }
    double value = 0;
    if (!readReal(text, value)) {
        resultError(context, conversionFailed(text, "float"));
        return;
    }
    sqlite3_result_double(context, value + sqlite3_value_double(number));
}

// "+" decided by the operands' types: texts join, numbers add, a text with a
// number is read as that number; Null with anything is Null.
void plusFunction(sqlite3_context *context, int, sqlite3_value **arguments)
{
    sqlite3_value *left = arguments[0];
    sqlite3_value *right = arguments[1];
    if (sqlite3_value_type(left) == SQLITE_NULL || sqlite3_value_type(right) == SQLITE_NULL) {
        sqlite3_result_null(context);
    } else if (isText(left) && isText(right)) {
        resultText(context, textOf(left) + textOf(right));
    } else if (isText(left)) {
        addTextToNumber(context, textOf(left), right);
    } else if (isText(right)) {
        addTextToNumber(context, textOf(right), left);
    } else {
        addNumbers(context, left, right);
    }
}

// CHAR(n): the character of code n in 0..255, Null outside it.
void charFunction(sqlite3_context *context, int, sqlite3_value **arguments)
{
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const qint64 code = sqlite3_value_int64(arguments[0]);
    if (code < 0 || code > 255) {
        sqlite3_result_null(context);
        return;
    }
    resultText(context, QString(QChar(static_cast<char16_t>(code))));
}

QString storedDateTime(const QDateTime &when)
{
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// The clock of the machine that holds the database: for an embedded file,
// this one.
void getDateFunction(sqlite3_context *context, int, sqlite3_value **)
{
    resultText(context, storedDateTime(QDateTime::currentDateTime()));
}

// 0 outside a transaction, 1 inside; the argument only makes the caller read
// the database first.
void tranCountFunction(sqlite3_context *context, int, sqlite3_value **)
{
    sqlite3_result_int(context, sqlite3_get_autocommit(sqlite3_context_db_handle(context)) ? 0 : 1);
}

QDateTime parseDateTime(const QString &text)
{
    static const QStringList formats = {
        QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"),
        QStringLiteral("yyyy-MM-dd HH:mm:ss"),
        QStringLiteral("yyyy-MM-dd HH:mm"),
        QStringLiteral("yyyy-MM-ddTHH:mm:ss"),
        QStringLiteral("yyyy.MM.dd HH:mm:ss"),
        QStringLiteral("yyyy.MM.dd HH:mm"),
        QStringLiteral("yyyyMMdd HH:mm:ss"),
        QStringLiteral("yyyy-MM-dd"),
        QStringLiteral("yyyy.MM.dd"),
        QStringLiteral("yyyyMMdd"),
    };
    const QString trimmed = text.trimmed();
    for (const QString &format : formats) {
        const QDateTime when = QDateTime::fromString(trimmed, format);
        if (when.isValid())
            return when;
    }
    return QDateTime();
}

void convertToDateTime(sqlite3_context *context, sqlite3_value *value, bool dateOnly)
{
    const QDateTime when = parseDateTime(textOf(value));
    if (!when.isValid()) {
        resultError(context,
                    QStringLiteral("Conversion failed when converting date and/or time from character string."));
        return;
    }
    resultText(context, dateOnly ? when.toString(QStringLiteral("yyyy-MM-dd")) : storedDateTime(when));
}

// CONVERT(type, value[, style]) for the types the desk may name. Dates are
// read in year-month-day order, the order of style 102 and of the ISO forms.
void convertFunction(sqlite3_context *context, int, sqlite3_value **arguments)
{
    QString type = textOf(arguments[0]).toUpper();
    type = type.left(type.indexOf(QLatin1Char('('))).trimmed();
    sqlite3_value *value = arguments[1];
    if (sqlite3_value_type(value) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    if (type == u"DATETIME" || type == u"SMALLDATETIME" || type == u"DATETIME2") {
        convertToDateTime(context, value, false);
    } else if (type == u"DATE") {
        convertToDateTime(context, value, true);
    } else if (type == u"INT" || type == u"INTEGER" || type == u"BIGINT" || type == u"SMALLINT" || type == u"TINYINT") {
        qint64 number = 0;
        if (sqlite3_value_type(value) == SQLITE_INTEGER)
            sqlite3_result_int64(context, sqlite3_value_int64(value));
        else if (sqlite3_value_type(value) == SQLITE_FLOAT)
            sqlite3_result_int64(context, static_cast<qint64>(std::trunc(sqlite3_value_double(value))));
        else if (readInteger(textOf(value), number))
            sqlite3_result_int64(context, number);
        else
            resultError(context, conversionFailed(textOf(value), "int"));
    } else if (type == u"FLOAT" || type == u"REAL" || type == u"DECIMAL" || type == u"NUMERIC" || type == u"MONEY") {
        double number = 0;
        if (!isText(value))
            sqlite3_result_double(context, sqlite3_value_double(value));
        else if (readReal(textOf(value), number))
            sqlite3_result_double(context, number);
        else
            resultError(context, conversionFailed(textOf(value), "float"));
    } else if (type == u"VARCHAR" || type == u"NVARCHAR" || type == u"CHAR" || type == u"NCHAR" || type == u"TEXT" ||
               type == u"NTEXT") {
        resultText(context, textOf(value));
    } else {
        resultError(context, QStringLiteral("Type %1 is not a defined system type.").arg(type));
    }
}

// like(pattern, text[, escape]): SQLite's LIKE operator lands here.
void likeFunction(sqlite3_context *context, int count, sqlite3_value **arguments)
{
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL || sqlite3_value_type(arguments[1]) == SQLITE_NULL ||
        (count == 3 && sqlite3_value_type(arguments[2]) == SQLITE_NULL)) {
        sqlite3_result_null(context);
        return;
    }
    QChar escape;
    if (count == 3) {
        const QString escapeText = textOf(arguments[2]);
        if (escapeText.size() != 1) {
            resultError(context, QStringLiteral("ESCAPE expression must be a single character"));
            return;
        }
        escape = escapeText.at(0);
    }
    // The pattern is read once a statement, not once a row: SQLite keeps the
    // matcher beside a constant pattern, and drops it if the pattern changes.
    auto *matcher = static_cast<sql::LikeMatcher *>(sqlite3_get_auxdata(context, 0));
    std::unique_ptr<sql::LikeMatcher> made;
    if (!matcher || matcher->escape() != escape) {
        made = std::make_unique<sql::LikeMatcher>(textOf(arguments[0]), escape);
        matcher = made.get();
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(arguments[1]));
    const auto size = static_cast<size_t>(sqlite3_value_bytes(arguments[1]));
    sqlite3_result_int(context, matcher->matchesUtf8(std::string_view(text ? text : "", size)) ? 1 : 0);
    if (made)
        sqlite3_set_auxdata(context, 0, made.release(),
                            [](void *kept) { delete static_cast<sql::LikeMatcher *>(kept); });
}

void foldFunction(sqlite3_context *context, int, sqlite3_value **arguments)
{
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(arguments[0]));
    std::string folded;
    sql::appendFolded(folded,
                      std::string_view(text ? text : "", static_cast<size_t>(sqlite3_value_bytes(arguments[0]))));
    sqlite3_result_text64(context, folded.data(), folded.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

int compareMemberText(void *, int leftLength, const void *left, int rightLength, const void *right)
{
    return sql::compareFolded(std::string_view(static_cast<const char *>(left), static_cast<size_t>(leftLength)),
                              std::string_view(static_cast<const char *>(right), static_cast<size_t>(rightLength)));
}

} // namespace

int installDeskFunctions(sqlite3 *db)
{
    constexpr int pure = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    struct Function
    {
        const char *name;
        int arguments;
        int flags;
        void (*call)(sqlite3_context *, int, sqlite3_value **);
    };
    const Function functions[] = {
        {sql::PlusFunction, 2, pure, plusFunction},
        {sql::ConvertFunction, 2, pure, convertFunction},
        {sql::ConvertFunction, 3, pure, convertFunction},
        {sql::TranCountFunction, 1, SQLITE_UTF8, tranCountFunction},
        {"char", 1, pure, charFunction},
        {"getdate", 0, SQLITE_UTF8, getDateFunction},
        // Replacing like() is what keeps the built-in LIKE away; the pragma
        // case_sensitive_like would bring it back, so the desk never issues it.
        {"like", 2, pure, likeFunction},
        {"like", 3, pure, likeFunction},
        {FoldFunction, 1, pure, foldFunction},
    };
    for (const Function &function : functions) {
        const int rc = sqlite3_create_function_v2(db, function.name, function.arguments, function.flags, nullptr,
                                                  function.call, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            return rc;
    }
    return sqlite3_create_collation_v2(db, MemberTextCollation, SQLITE_UTF8, nullptr, compareMemberText, nullptr);
}

} // namespace platform::sqlite
