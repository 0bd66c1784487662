#pragma once

// A fresh database of its own on the test PostgreSQL server that make test
// starts, with the desk's schema loaded; dropped again at the end.

#include "platform/db/Connection.h"

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

private:
    static void admin(const QString &statement)
    {
        platform::Connection connection;
        connection.setConnectionString(databaseString(QStringLiteral("postgres")));
        connection.Open();
        connection.Execute(statement);
        connection.Close();
    }

    QString m_name;
};

} // namespace testsupport
