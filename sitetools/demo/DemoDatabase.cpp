#include "sitetools/demo/DemoDatabase.h"

#include "data/RegisterIndex.h"
#include "data/SchemaScripts.h"
#include "platform/db/access/Connection.h"
#include "platform/db/access/ConnectionString.h"
#include "platform/db/sql/LiteralFolding.h"
#include "platform/db/sqlite/SqliteProvider.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace demo {

namespace {

using platform::sql::quoted;

QString literal(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QStringLiteral("NULL");
    if (value.typeId() == QMetaType::QString)
        return quoted(value.toString());
    return QString::number(value.toLongLong());
}

} // namespace

Files demoFiles(const QString &folder)
{
    const QDir dir(folder);
    return {dir.filePath(QStringLiteral("haldor.db")), dir.filePath(QStringLiteral("mirva.db"))};
}

QString fileConnectionString(const QString &databaseFile)
{
    return QStringLiteral("Provider=SQLite;Data Source=") + platform::quotedConnectionValue(databaseFile);
}

ConnectionStrings connectionStrings(const QString &folder)
{
    const Files files = demoFiles(folder);
    const QString haldor = QStringLiteral("Provider=SQLite;Data Source=%1").arg(files.haldor);
    return {haldor, haldor, QStringLiteral("Provider=SQLite;Data Source=%1;Attach=%2").arg(files.mirva, files.haldor)};
}

void createSchemaOnly(const QString &folder)
{
    registers::installMemberIndex();
    QDir().mkpath(folder);
    const Files files = demoFiles(folder);
    // A link counts as a file there, dangling or not: creating the register
    // would follow it to wherever it points.
    const auto present = [](const QString &path) {
        const QFileInfo info(path);
        return info.exists() || info.isSymLink();
    };
    if (!present(files.haldor))
        platform::sqlite::createDatabaseFile(files.haldor, schema::script("sqlite-members.sql") +
                                                               schema::script("sqlite-delivery.sql"));
    if (!present(files.mirva))
        platform::sqlite::createDatabaseFile(files.mirva, schema::script("sqlite-members.sql"));
}

QString insertStatement(const QList<Member> &members, const QString &table)
{
    QStringList rows;
    for (const Member &member : members)
        rows << QStringLiteral("(%1, %2, %3, %4, %5, %6, %7)")
                    .arg(QString::number(member.contactoId), quoted(member.noEmpresa), quoted(member.noSocio),
                         quoted(member.nome), quoted(member.empresa), literal(member.email), literal(member.activo));
    return QStringLiteral("INSERT INTO %1 (contacto_id, no_empresa, no_socio, nome_union, "
                          "empresa, email, activo) VALUES\n")
               .arg(quoted(table, QLatin1Char('"'))) +
           rows.join(QStringLiteral(",\n"));
}

void insertMembers(const QString &databaseFile, const QList<Member> &members)
{
    // Its COMMIT folds the members into the register's index, in the same transaction.
    registers::installMemberIndex();
    platform::Connection connection;
    connection.setConnectionString(fileConnectionString(databaseFile));
    connection.Open();
    // One transaction, sent in slices: a single text of a million rows would
    // cost more to build and translate than to insert.
    constexpr qsizetype RowsPerSlice = 1000;
    try {
        connection.Execute(QStringLiteral("BEGIN"));
        for (qsizetype first = 0; first < members.size(); first += RowsPerSlice)
            connection.Execute(insertStatement(members.mid(first, RowsPerSlice)));
        connection.Execute(QStringLiteral("COMMIT"));
    } catch (...) {
        // A failed slice leaves the transaction open; nothing of it is kept.
        try {
            connection.Execute(QStringLiteral("ROLLBACK"));
        } catch (...) {
        }
        throw;
    }
    connection.Close();
}

QList<Member> syntheticMembers(int count, quint32 seed)
{
    static const QStringList first = {
        QStringLiteral("José"),      QStringLiteral("João"),      QStringLiteral("Maria"),
        QStringLiteral("Ana"),       QStringLiteral("António"),   QStringLiteral("Conceição"),
        QStringLiteral("Inês"),      QStringLiteral("Luís"),      QStringLiteral("Gonçalo"),
        QStringLiteral("Margarida"), QStringLiteral("Sebastião"), QStringLiteral("Francisco"),
        QStringLiteral("Joaquim"),   QStringLiteral("Beatriz"),   QStringLiteral("Raquel"),
        QStringLiteral("Tomás"),     QStringLiteral("Fátima"),    QStringLiteral("Rui"),
        QStringLiteral("Pedro"),     QStringLiteral("Helena"),
    };
    static const QStringList last = {
        QStringLiteral("Silva"),     QStringLiteral("Santos"),    QStringLiteral("Ferreira"),
        QStringLiteral("Pereira"),   QStringLiteral("Oliveira"),  QStringLiteral("Costa"),
        QStringLiteral("Magalhães"), QStringLiteral("Guimarães"), QStringLiteral("Simões"),
        QStringLiteral("Brandão"),   QStringLiteral("D'Ávila"),   QStringLiteral("O'Neil"),
        QStringLiteral("Araújo"),    QStringLiteral("Lourenço"),  QStringLiteral("Sá"),
        QStringLiteral("Gonçalves"), QStringLiteral("Conceição"), QStringLiteral("d'Orey"),
        QStringLiteral("Estêvão"),   QStringLiteral("Martins"),
    };
    static const QStringList companies = {
        QStringLiteral("Têxteis do Ave, Lda."),       QStringLiteral("Calçado Guimarães & Filhos"),
        QStringLiteral("Metalúrgica São João, S.A."), QStringLiteral("Padaria Estrela d'Ouro"),
        QStringLiteral("Cortiças Sá e Irmão"),        QStringLiteral("Vinhos da Régua, Lda."),
        QStringLiteral("Confecções Conceição"),       QStringLiteral("Farmácia Araújo"),
        QStringLiteral("Transportes Brandão & Cª"),   QStringLiteral("Óptica Simões"),
    };
    QRandomGenerator random(seed);
    auto pick = [&random](const QStringList &list) { return list.at(random.bounded(int(list.size()))); };
    QList<Member> members;
    members.reserve(count);
    for (int i = 0; i < count; ++i) {
        Member member;
        member.contactoId = i + 1;
        // Fewer company numbers than members: colleagues share one, and the
        // other register draws from the same numbers.
        const int company = random.bounded(qMax(1, count * 2 / 3));
        member.noEmpresa = QString::number(1000 + company);
        member.noSocio = QString::number(5000 + (seed % 7) * 1000 + i);
        QString name = pick(first);
        if (random.bounded(3) == 0)
            name += QLatin1Char(' ') + pick(first);
        const QString surname = pick(last);
        QString family = pick(last);
        while (family == surname)
            family = pick(last);
        name += QLatin1Char(' ') + surname + QLatin1Char(' ') + family;
        member.nome = name;
        member.empresa = companies.at(company % companies.size());
        const int mail = random.bounded(10);
        if (mail == 0)
            member.email = QVariant();
        else if (mail == 1)
            member.email = QString();
        else
            member.email = QStringLiteral("socio%1.%2@exemplo.pt").arg(seed).arg(i + 1);
        const int state = random.bounded(20);
        member.activo = state < 2 ? QVariant(0) : state < 3 ? QVariant() : QVariant(1);
        members << member;
    }
    return members;
}

QStringList createDemoDatabases(const QString &folder, int memberCount)
{
    const Files files = demoFiles(folder);
    const bool haldorMissing = !QFileInfo::exists(files.haldor);
    const bool mirvaMissing = !QFileInfo::exists(files.mirva);
    createSchemaOnly(folder);
    QStringList created;
    if (haldorMissing) {
        insertMembers(files.haldor, syntheticMembers(memberCount, 1));
        created << files.haldor;
    }
    if (mirvaMissing) {
        insertMembers(files.mirva, syntheticMembers(memberCount, 2));
        created << files.mirva;
    }
    return created;
}

} // namespace demo
