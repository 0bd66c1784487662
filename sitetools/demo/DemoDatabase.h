#pragma once

#include <QList>
#include <QString>
#include <QVariant>

// Embedded databases with the views and the delivery table the desk reads:
// the demo of `make run`, and the test databases of tests and benchmarks.
namespace demo {

struct Member
{
    qint64 contactoId = 0;
    QString noEmpresa;
    QString noSocio;
    QString nome;
    QString empresa;
    QVariant email;  // invalid for Null
    QVariant activo; // invalid for Null; 0 inactive
};

struct Files
{
    QString haldor; // members and the delivery table
    QString mirva;  // members; its connection attaches HALDOR's file
};

struct ConnectionStrings
{
    QString sqlServer;
    QString haldor;
    QString mirva;
};

Files demoFiles(const QString &folder);
// The connection string of one embedded file, whatever its path holds.
QString fileConnectionString(const QString &databaseFile);
ConnectionStrings connectionStrings(const QString &folder);

// Creates whichever of the two files is missing, with views and tables but
// no members. Raises a RuntimeError on failure.
void createSchemaOnly(const QString &folder);

// The statement that adds these members to a member table (tbAssociados, or
// its new copy while an import fills it): one slice of a register, a
// thousand rows or so.
QString insertStatement(const QList<Member> &members, const QString &table = QStringLiteral("tbAssociados"));

// Adds members to a register file, in one transaction.
void insertMembers(const QString &databaseFile, const QList<Member> &members);

// Reproducible synthetic members: Portuguese names with accents and
// apostrophes, shared name parts, company numbers shared with the other
// register, some inactive (activo 0) or without activo, some without e-mail.
QList<Member> syntheticMembers(int count, quint32 seed);

// Creates the missing files of the demo with memberCount members in each
// register. Returns the files it created.
QStringList createDemoDatabases(const QString &folder, int memberCount);

} // namespace demo
