// What the operator types goes into real statements on the embedded engine:
// a text (kinds 3 and 4) must be stored exactly as typed, and the name
// pattern (kind 6) built from a text must find that text.
#include "platform/db/access/Connection.h"
#include "platform/db/access/Recordset.h"
#include "platform/db/sqlite/SqliteProvider.h"
#include "platform/runtime/TrimSpaces.h"
#include "sqltext/modCode.h"
#include "tests/fuzz/FuzzCheck.h"

#include <QTemporaryDir>

using enum modCode::LiteralKind;

namespace {

platform::Connection &database()
{
    static QTemporaryDir dir;
    static platform::Connection connection;
    if (connection.State() == platform::ConnectionState::Closed) {
        const QString path = dir.filePath(QStringLiteral("literais.db"));
        platform::sqlite::createDatabaseFile(path, QStringLiteral("CREATE TABLE tbNomes (id INTEGER PRIMARY KEY, "
                                                                  "nome TEXT);"));
        connection.setConnectionString(QStringLiteral("Provider=SQLite;Data Source=") + path);
        connection.Open();
        // Thousands of inputs a minute: the scratch file need not survive a power cut.
        connection.Execute(QStringLiteral("PRAGMA synchronous = OFF"));
    }
    return connection;
}

QVariant storedAndReadBack(const QString &literal)
{
    platform::Connection &connection = database();
    connection.Execute(QStringLiteral("DELETE FROM tbNomes"));
    connection.Execute(QStringLiteral("INSERT INTO tbNomes (id, nome) VALUES (1, ") + literal + QLatin1Char(')'));
    const auto rows = connection.Execute(QStringLiteral("SELECT nome FROM tbNomes WHERE id = 1"));
    fuzz::check(!rows->isEOF(), "the row inserted is there", literal);
    return rows->value(0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(fuzz::bytesOf(data, size));
    const QString typed = platform::trimSpaces(text);

    const QVariant orNull = storedAndReadBack(modCode::SqlLiteral(QVariant(text), TextOrNull));
    if (typed.isEmpty())
        fuzz::check(!orNull.isValid(), "a blank text is stored as null", text);
    else
        fuzz::check(orNull.toString() == typed, "a text is stored as typed", text);
    const QVariant orEmpty = storedAndReadBack(modCode::SqlLiteral(QVariant(text), TextOrEmpty));
    fuzz::check(orEmpty.isValid() && orEmpty.toString() == typed, "a text is stored as typed, blank as empty", text);

    // A "[" typed opens a set of characters, as on the server, so only texts
    // without one are sure to be found by their own pattern.
    if (!typed.contains(QLatin1Char('['))) {
        const auto rows =
            database().Execute(QStringLiteral("SELECT 1 WHERE ") + modCode::SqlLiteral(QVariant(text), TextOrEmpty) +
                               QStringLiteral(" LIKE ") + modCode::SqlLiteral(QVariant(text), LikePattern));
        fuzz::check(!rows->isEOF(), "a name's own pattern finds it", text);
    }
    return 0;
}
