// The unique name search through the desk on registers of 100,000 and
// 1,000,000 members on the PostgreSQL test server, beside the name statement
// alone on an open connection.
#include "BenchFigures.h"

#include "app/frmMain.h"
#include "data/Data.h"
#include "platform/db/access/Connection.h"
#include "tests/support/PostgresTestDatabase.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>

#include <cstdio>

namespace bench {

namespace {

// The same members as the embedded registers, made on the server itself, on
// a connection without a command timeout: a register of a million takes a while.
void fill(const testsupport::PostgresTestDatabase &database, const QString &reg, int size)
{
    platform::Connection connection;
    connection.setConnectionString(database.connectionString(QStringLiteral("public")) +
                                   QStringLiteral("Command Timeout=0;"));
    connection.Open();
    const auto execute = [&connection](const QString &statement) { connection.Execute(statement); };
    const QString members = reg + QStringLiteral(".tbSocios");
    execute(QStringLiteral("DROP INDEX IF EXISTS %1.ix_tbsocios_nome_trgm").arg(reg));
    execute(QStringLiteral("TRUNCATE %1, %2.tbEmpresas").arg(members, reg));
    execute(QStringLiteral("INSERT INTO %1.tbEmpresas SELECT (100000 + i)::text, 'Empresa ' || (i % 997) || "
                           "', Lda.' FROM generate_series(0, %2 - 1) i")
                .arg(reg)
                .arg(size));
    execute(QStringLiteral(
                "INSERT INTO %1 (contacto_id, no_empresa, no_socio, nome, email, activo) "
                "SELECT i + 1, (100000 + i)::text, '%2' || i, CASE WHEN i = %3 / 2 THEN 'Zacarias Único Quintela' "
                "ELSE 'Sócio ' || i || ' Ribeiro' || CASE WHEN i < 1000 THEN ' Milhar' ELSE '' END || "
                "CASE WHEN i < 100000 THEN ' Centena' ELSE '' END END, 'socio' || i || '@exemplo.pt', 1 "
                "FROM generate_series(0, %3 - 1) i")
                .arg(members, reg.left(1).toUpper())
                .arg(size));
    execute(QStringLiteral("CREATE INDEX ix_tbsocios_nome_trgm ON %1 USING gin "
                           "(public.velunas_fold(public.velunas_nome_union(nome, apelidos)) "
                           "public.gin_trgm_ops)")
                .arg(members));
    // Both tables of the view: a join planned on stale figures of the companies
    // may scan all of them.
    execute(QStringLiteral("VACUUM ANALYZE %1, %2.tbEmpresas").arg(members, reg));
}

} // namespace

void measurePostgres(std::vector<Figure> &figures, int largest)
{
    if (!testsupport::PostgresTestDatabase::available()) {
        std::fprintf(stderr, "no PostgreSQL test server: its rows are left out\n");
        return;
    }
    testsupport::PostgresTestDatabase database(QStringLiteral("velunas_bench"));
    const QString haldor = database.connectionString(QStringLiteral("haldor"));
    for (int size : {100000, 1000000}) {
        if (size > largest)
            break;
        std::fprintf(stderr, "building PostgreSQL registers of %d members...\n", size);
        fill(database, QStringLiteral("haldor"), size);
        fill(database, QStringLiteral("mirva"), size);
        Data().setConnectionStrings(database.connectionString(QStringLiteral("public")), haldor,
                                    database.connectionString(QStringLiteral("mirva")));
        platform::Connection haldorConnection, mirvaConnection;
        haldorConnection.setConnectionString(haldor);
        haldorConnection.Open();
        mirvaConnection.setConnectionString(database.connectionString(QStringLiteral("mirva")));
        mirvaConnection.Open();
        const QString unique = QStringLiteral("'zacarias unico'");
        const QString active = QStringLiteral("SELECT * FROM vwAssociados_Completos_Activos WHERE ");
        const QString full = QStringLiteral("SELECT * FROM vwAssociados_Completos WHERE ");
        const QString byName = active + QStringLiteral("nome_union like '%zacarias%unico%'");

        frmMain window;
        window.show();
        auto *entry = window.findChild<QLineEdit *>(QStringLiteral("FXNo_TAP"));
        std::vector<double> deskTimes, statementsTimes, nameTimes, connectTimes;
        for (int i = 0; i < Repeats; ++i) {
            entry->setText(QStringLiteral("zacarias unico"));
            entry->setFocus();
            QElapsedTimer timer;
            timer.start();
            QTest::keyClick(entry, Qt::Key_Return);
            deskTimes.push_back(timer.nsecsElapsed() / 1e6);

            timer.restart();
            for (const QString &statement :
                 {active + QStringLiteral("no_empresa = ") + unique, active + QStringLiteral("no_socio = ") + unique,
                  byName, full + QStringLiteral("no_socio = ") + unique})
                haldorConnection.query(statement);
            mirvaConnection.query(full + QStringLiteral("no_empresa = ") + unique);
            statementsTimes.push_back(timer.nsecsElapsed() / 1e6);

            timer.restart();
            haldorConnection.query(byName);
            nameTimes.push_back(timer.nsecsElapsed() / 1e6);

            // What the desk does before its statements: three connections opened and probed.
            timer.restart();
            for (const QString &reg : {QStringLiteral("haldor"), QStringLiteral("mirva"), QStringLiteral("public")}) {
                platform::Connection connection;
                connection.setConnectionString(database.connectionString(reg));
                connection.Open();
                connection.query(QStringLiteral("SELECT @@TRANCOUNT as flTrans"));
            }
            connectTimes.push_back(timer.nsecsElapsed() / 1e6);
        }
        figures.push_back({QStringLiteral("PostgreSQL: unique name search (direct: its five statements on open "
                                          "connections)"),
                           size, median(deskTimes), median(statementsTimes)});
        figures.push_back({QStringLiteral("PostgreSQL: the name statement alone"), size, median(nameTimes), 0});
        figures.push_back({QStringLiteral("PostgreSQL: three connections opened and probed, as each search does"), size,
                           median(connectTimes), 0});
        haldorConnection.Close();
        mirvaConnection.Close();
        std::fprintf(stderr, "PostgreSQL registers of %d members measured\n", size);
    }
    Data().setConnectionStrings(QString(), QString(), QString());
}

} // namespace bench
