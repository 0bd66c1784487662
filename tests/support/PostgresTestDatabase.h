#pragma once

// A fresh database of its own on the test PostgreSQL server that make test
// starts, with the desk's schema loaded; dropped again at the end.

#include "platform/db/access/Connection.h"
#include "platform/db/sql/LiteralFolding.h"
#include "sitetools/demo/DemoDatabase.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QString>

namespace testsupport {

class PostgresTestDatabase
{
public:
    // False when no server was started for the tests (a plain ctest run).
    static bool available()
    {
        return !qEnvironmentVariableIsEmpty("VELUNAS_PG_HOST") && !qEnvironmentVariableIsEmpty("VELUNAS_PG_TEMPLATE");
    }

    static QString databaseString(const QString &database)
    {
        return QStringLiteral("Provider=PostgreSQL;Host=%1;Port=%2;Database=%3;User ID=%4;Password=%5;")
            .arg(qEnvironmentVariable("VELUNAS_PG_HOST"), qEnvironmentVariable("VELUNAS_PG_PORT"), database,
                 qEnvironmentVariable("VELUNAS_PG_USER"), qEnvironmentVariable("VELUNAS_PG_PASSWORD"));
    }

    // Creates the database `prefix_<pid>` as a copy of the server's template,
    // which holds the desk's schema (scripts/postgres-test-server.sh loads it).
    explicit PostgresTestDatabase(const QString &prefix)
        : m_name(QStringLiteral("%1_%2").arg(prefix).arg(QCoreApplication::applicationPid()))
    {
        admin(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(m_name));
        admin(
            QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(m_name, qEnvironmentVariable("VELUNAS_PG_TEMPLATE")));
    }

    ~PostgresTestDatabase()
    {
        try {
            admin(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_name));
        } catch (...) {
        }
    }

    QString name() const { return m_name; }
    // A connection to one register's schema, with the delivery table in public.
    QString connectionString(const QString &reg) const
    {
        return databaseString(m_name) + QStringLiteral("Search Path=%1,public;").arg(reg);
    }

    // Adds members to one register's schema (haldor or mirva), their companies
    // too; the whole name goes in nome, so nome_union is the name as given.
    void insertMembers(const QString &reg, const QList<demo::Member> &members) const
    {
        platform::Connection connection;
        connection.setConnectionString(connectionString(reg));
        connection.Open();
        for (const demo::Member &m : members) {
            if (!m.noEmpresa.isEmpty())
                connection.Execute(QStringLiteral("INSERT INTO tbEmpresas (no_empresa, empresa) VALUES (%1, %2) "
                                                  "ON CONFLICT DO NOTHING")
                                       .arg(platform::sql::quoted(m.noEmpresa), platform::sql::quoted(m.empresa)));
            connection.Execute(
                QStringLiteral("INSERT INTO tbSocios (contacto_id, no_empresa, no_socio, nome, email, "
                               "activo) VALUES (%1, %2, %3, %4, %5, %6)")
                    .arg(m.contactoId)
                    .arg(m.noEmpresa.isEmpty() ? QStringLiteral("NULL") : platform::sql::quoted(m.noEmpresa),
                         platform::sql::quoted(m.noSocio), platform::sql::quoted(m.nome),
                         m.email.isValid() ? platform::sql::quoted(m.email.toString()) : QStringLiteral("NULL"),
                         m.activo.isValid() ? m.activo.toString() : QStringLiteral("NULL")));
        }
        connection.Close();
    }

    // Runs one statement on the database as the tests' own user.
    void execute(const QString &statement) const { executeOn(connectionString(QStringLiteral("public")), statement); }

    QList<QList<QVariant>> rows(const QString &statement) const
    {
        return rowsOn(connectionString(QStringLiteral("public")), statement);
    }

private:
    static void admin(const QString &statement) { executeOn(databaseString(QStringLiteral("postgres")), statement); }

    QString m_name;
};

} // namespace testsupport
