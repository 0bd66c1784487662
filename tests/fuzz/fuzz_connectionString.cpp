// A connection string is built in or assembled from settings an administrator
// typed: reading it and turning it into a driver string must never fault, and
// the driver string must hold no key other than those the mapping writes.
#include "platform/db/access/ConnectionString.h"
#include "platform/db/odbc/PostgresConnectionString.h"
#include "platform/db/odbc/SqlServerConnectionString.h"
#include "platform/runtime/RuntimeError.h"
#include "tests/fuzz/FuzzCheck.h"

#include <QStringList>

using namespace platform;

namespace {

using Pairs = QList<QPair<QString, QString>>;

// A driver string as its driver reads it: "key=value;", a value in braces
// running to the brace before ";" or the end. Doubled: "}}" inside stands for
// "}"; FreeTds: the value runs to the first "};" as it stands. A closing brace
// followed by anything else is a malformed string.
Pairs driverPairs(const QString &text, BraceStyle style)
{
    Pairs pairs;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype equals = text.indexOf(QLatin1Char('='), i);
        fuzz::check(equals >= 0, "every part of a driver string is key=value", text);
        const QString key = text.mid(i, equals - i);
        i = equals + 1;
        QString value;
        if (i < n && text.at(i) == QLatin1Char('{')) {
            qsizetype close = -1;
            if (style == BraceStyle::FreeTds) {
                close = text.indexOf(QLatin1String("};"), i + 1);
                if (close < 0 && text.endsWith(QLatin1Char('}')) && n - 1 > i)
                    close = n - 1;
                fuzz::check(close >= 0, "a braced value is closed", text);
                value = text.mid(i + 1, close - i - 1);
            } else {
                for (qsizetype j = i + 1; j < n && close < 0; ++j) {
                    if (text.at(j) != QLatin1Char('}'))
                        value += text.at(j);
                    else if (j + 1 < n && text.at(j + 1) == QLatin1Char('}'))
                        value += text.at(j++);
                    else
                        close = j;
                }
                fuzz::check(close >= 0, "a braced value is closed", text);
            }
            i = close + 1;
            fuzz::check(i == n || text.at(i) == QLatin1Char(';'), "a closing brace ends its value", text);
            ++i;
        } else {
            const qsizetype semicolon = text.indexOf(QLatin1Char(';'), i);
            const qsizetype end = semicolon < 0 ? n : semicolon;
            value = text.mid(i, end - i);
            i = end + 1;
        }
        pairs.append({key, value});
    }
    return pairs;
}

// Each key at most once and among those the mapping writes; the login's
// values read back exactly as the connection string gave them.
void checkDriverString(const QString &text, BraceStyle style, const QStringList &allowed,
                       const QList<QPair<QString, QString>> &expectedValues)
{
    const Pairs pairs = driverPairs(text, style);
    QStringList seen;
    for (const auto &pair : pairs) {
        fuzz::check(allowed.contains(pair.first), "no key the mapping does not write", text);
        fuzz::check(!seen.contains(pair.first), "no key twice", text);
        seen << pair.first;
        for (const auto &expected : expectedValues)
            if (expected.first == pair.first)
                fuzz::check(expected.second == pair.second, "a value reads back as given", text);
    }
}

template <typename Map> void mapped(Map map)
{
    try {
        map();
    } catch (const RuntimeError &) {
        // A value the driver cannot be given is refused: a clean outcome.
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(fuzz::bytesOf(data, size));
    const ConnectionProperties properties = ConnectionProperties::parse(text);
    commandTimeoutSeconds(properties);

    // What the settings assembly writes for a value reads back as that value.
    for (const auto &pair : properties.pairs()) {
        const auto again = ConnectionProperties::parse(QStringLiteral("Key=") + quotedConnectionValue(pair.second));
        fuzz::check(again.pairs().size() == 1 && again.value(QStringLiteral("Key")) == pair.second,
                    "a quoted value reads back whole", pair.second);
    }

    const QString catalog = properties.value(QStringLiteral("Initial Catalog"));
    const QString user = properties.value(QStringLiteral("User ID"));
    const QString password = properties.value(QStringLiteral("Password"));
    mapped([&] {
        const SqlServerDriver freeTds{QStringLiteral("FreeTDS"), SqlServerDriverFamily::FreeTds};
        const OdbcTarget target = mapSqlServerConnection(properties, QString(), QString(), freeTds);
        // The driver's name is read by the driver manager, which doubles braces.
        const QString driverKey = QStringLiteral("Driver={FreeTDS};");
        fuzz::check(target.connectionString.startsWith(driverKey), "the driver comes first", target.connectionString);
        checkDriverString(
            target.connectionString.mid(driverKey.size()), BraceStyle::FreeTds,
            {QStringLiteral("Server"), QStringLiteral("Port"), QStringLiteral("Database"), QStringLiteral("UID"),
             QStringLiteral("PWD"), QStringLiteral("TDS_Version"), QStringLiteral("ClientCharset"),
             QStringLiteral("APP")},
            {{QStringLiteral("Database"), catalog}, {QStringLiteral("UID"), user}, {QStringLiteral("PWD"), password}});
    });
    mapped([&] {
        const SqlServerDriver microsoft{QStringLiteral("ODBC Driver 18 for SQL Server"),
                                        SqlServerDriverFamily::Microsoft};
        const OdbcTarget target = mapSqlServerConnection(properties, QString(), QString(), microsoft);
        checkDriverString(
            target.connectionString, BraceStyle::Doubled,
            {QStringLiteral("Driver"), QStringLiteral("Server"), QStringLiteral("Database"), QStringLiteral("UID"),
             QStringLiteral("PWD"), QStringLiteral("Trusted_Connection"), QStringLiteral("Encrypt"),
             QStringLiteral("TrustServerCertificate"), QStringLiteral("APP")},
            {{QStringLiteral("Database"), catalog}, {QStringLiteral("UID"), user}, {QStringLiteral("PWD"), password}});
    });
    mapped([&] {
        const OdbcTarget target = mapPostgresConnection(properties, QString(), QString());
        checkDriverString(target.connectionString, BraceStyle::Doubled,
                          {QStringLiteral("Driver"), QStringLiteral("CommLog"), QStringLiteral("Debug"),
                           QStringLiteral("KeepaliveTime"), QStringLiteral("KeepaliveInterval"),
                           QStringLiteral("pqopt"), QStringLiteral("Server"), QStringLiteral("Port"),
                           QStringLiteral("Database"), QStringLiteral("UID"), QStringLiteral("PWD"),
                           QStringLiteral("ConnSettings")},
                          {{QStringLiteral("Database"), properties.value(QStringLiteral("Database"))},
                           {QStringLiteral("UID"), user},
                           {QStringLiteral("PWD"), password}});
    });
    return 0;
}
