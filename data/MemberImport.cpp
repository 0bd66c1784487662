#include "data/MemberImport.h"

#include "data/CsvRecords.h"
#include "data/RegisterIndex.h"
#include "platform/db/access/Connection.h"
#include "platform/db/access/ConnectionString.h"
#include "platform/db/sql/TextFolding.h"
#include "platform/runtime/RuntimeError.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace memberimport {

namespace {

enum Column { ContactoId, NoEmpresa, NoSocio, NomeUnion, Empresa, Email, Activo, ColumnCount };

// The desk's one folding, letters and digits only: "N.º Sócio" -> "nosocio".
QString folded(const QString &name)
{
    QString result;
    for (const QChar c : platform::sql::foldCaseAndAccents(name))
        if (c.isLetterOrNumber())
            result += c;
    return result;
}

int columnOf(const QString &headerName)
{
    const QList<QStringList> accepted = acceptedHeaderNames();
    const QString name = folded(headerName);
    for (int column = 0; column < accepted.size(); ++column)
        for (const QString &synonym : accepted.at(column))
            if (folded(synonym) == name)
                return column;
    return -1;
}

QVariant activoValue(const QString &text, bool *ok)
{
    *ok = true;
    const QString value = folded(text);
    if (value.isEmpty())
        return QVariant();
    bool number = false;
    const qlonglong converted = text.trimmed().toLongLong(&number);
    if (number)
        return converted;
    static const QStringList yes = {u"sim"_qs, u"s"_qs, u"activo"_qs, u"ativo"_qs, u"verdadeiro"_qs, u"true"_qs};
    static const QStringList no = {u"nao"_qs, u"n"_qs, u"inactivo"_qs, u"inativo"_qs, u"falso"_qs, u"false"_qs};
    if (yes.contains(value))
        return 1;
    if (no.contains(value))
        return 0;
    *ok = false;
    return QVariant();
}

QVariant optionalText(const QString &text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

class RowReader
{
public:
    Rows rows;

    bool readHeader(const csv::Record &header)
    {
        m_columns.fill(-1, ColumnCount);
        for (int field = 0; field < header.fields.size(); ++field) {
            const QString name = header.fields.at(field).trimmed();
            const int column = columnOf(name);
            if (column < 0) {
                if (!name.isEmpty())
                    rows.ignoredColumns << name;
            } else if (m_columns.at(column) >= 0) {
                rows.problem = QStringLiteral("line %1: the columns \"%2\" and \"%3\" are both %4")
                                   .arg(header.line)
                                   .arg(header.fields.at(m_columns.at(column)).trimmed(), name,
                                        acceptedHeaderNames().at(column).first());
                return false;
            } else {
                m_columns[column] = field;
            }
        }
        if (m_columns.at(ContactoId) < 0 || m_columns.at(NomeUnion) < 0) {
            rows.problem = QStringLiteral("line %1: the header names no contacto_id or no nome_union column "
                                          "(see --headers)")
                               .arg(header.line);
            return false;
        }
        m_width = header.fields.size();
        return true;
    }

    void readRow(const csv::Record &record)
    {
        const QString reason = rowProblem(record);
        if (!reason.isEmpty())
            rows.rejected.append({record.line, reason});
    }

private:
    QString field(const csv::Record &record, int column) const
    {
        return record.fields.value(m_columns.at(column)).trimmed();
    }

    QString rowProblem(const csv::Record &record)
    {
        if (record.unterminated)
            return QStringLiteral("a quoted field is not closed before the end of the file");
        for (qsizetype extra = m_width; extra < record.fields.size(); ++extra)
            if (!record.fields.at(extra).trimmed().isEmpty())
                return QStringLiteral("%1 fields where the header has %2").arg(record.fields.size()).arg(m_width);
        demo::Member member;
        const QString id = field(record, ContactoId);
        if (id.isEmpty())
            return QStringLiteral("contacto_id is missing");
        bool ok = false;
        member.contactoId = id.toLongLong(&ok);
        if (!ok)
            return QStringLiteral("contacto_id \"%1\" is not a whole number").arg(id);
        if (const int first = m_firstLine.value(member.contactoId); first > 0)
            return QStringLiteral("contacto_id %1 is already on line %2").arg(member.contactoId).arg(first);
        member.nome = field(record, NomeUnion);
        if (member.nome.isEmpty())
            return QStringLiteral("nome_union is missing");
        const QString activo = field(record, Activo);
        member.activo = activoValue(activo, &ok);
        if (!ok)
            return QStringLiteral("activo \"%1\" is neither a number nor sim/não").arg(activo);
        member.noEmpresa = field(record, NoEmpresa);
        member.noSocio = field(record, NoSocio);
        member.empresa = field(record, Empresa);
        member.email = optionalText(field(record, Email));
        m_firstLine.insert(member.contactoId, record.line);
        rows.members << member;
        return QString();
    }

    QList<int> m_columns;
    qsizetype m_width = 0;
    QHash<qint64, int> m_firstLine;
};

bool holdsMemberTable(const QString &registerFile)
{
    platform::Connection connection;
    connection.setConnectionString(demo::fileConnectionString(registerFile));
    connection.Open();
    const auto table = connection.query(
        QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = 'tbAssociados'"));
    connection.Close();
    return !table.rows.isEmpty();
}

// The register beside this one in its folder, by the names the desk gives
// them; empty for a file of another name.
QString otherRegisterOf(const QString &registerFile)
{
    const QFileInfo file(registerFile);
    const demo::Files files = demo::demoFiles(file.absolutePath());
    if (file.fileName() == QFileInfo(files.haldor).fileName())
        return files.mirva;
    if (file.fileName() == QFileInfo(files.mirva).fileName())
        return files.haldor;
    return QString();
}

// The delivery table tells members apart by id and search code only, so an id
// in both registers makes one member's delivery refuse the other.
QList<qint64> idsInBoth(const QString &registerFile, const QString &otherRegister)
{
    if (!QFileInfo(otherRegister).isFile() || !holdsMemberTable(otherRegister))
        return {};
    platform::Connection connection;
    connection.setConnectionString(demo::fileConnectionString(registerFile) + QStringLiteral(";Attach=") +
                                   platform::quotedConnectionValue(otherRegister));
    connection.Open();
    const auto table = connection.query(QStringLiteral("SELECT contacto_id FROM main.tbAssociados WHERE contacto_id "
                                                       "IN (SELECT contacto_id FROM %1.tbAssociados) ORDER BY 1")
                                            .arg(QFileInfo(otherRegister).completeBaseName()));
    connection.Close();
    QList<qint64> ids;
    for (const auto &row : table.rows)
        ids << row.at(0).toLongLong();
    return ids;
}

} // namespace

QList<QStringList> acceptedHeaderNames()
{
    // In the order of the columns above; the first name is the view's own.
    return {
        {u"contacto_id"_qs, u"contacto"_qs, u"id"_qs, u"id_contacto"_qs, u"código"_qs},
        {u"no_empresa"_qs, u"nº empresa"_qs, u"n_empresa"_qs, u"número empresa"_qs, u"número de empresa"_qs},
        {u"no_socio"_qs, u"nº sócio"_qs, u"n_socio"_qs, u"número sócio"_qs, u"número de sócio"_qs},
        {u"nome_union"_qs, u"nome"_qs, u"nome completo"_qs},
        {u"empresa"_qs, u"firma"_qs, u"entidade"_qs},
        {u"email"_qs, u"e-mail"_qs, u"correio electrónico"_qs, u"correio eletrónico"_qs},
        {u"activo"_qs, u"ativo"_qs, u"activa"_qs, u"ativa"_qs},
    };
}

Rows readMembers(const QByteArray &csv)
{
    const QList<csv::Record> records = csv::readRecords(csv).records;
    RowReader reader;
    if (records.isEmpty()) {
        reader.rows.problem = QStringLiteral("the file has no header row");
        return reader.rows;
    }
    if (!reader.readHeader(records.first()))
        return reader.rows;
    for (qsizetype i = 1; i < records.size(); ++i)
        reader.readRow(records.at(i));
    if (reader.rows.members.isEmpty())
        reader.rows.problem = records.size() == 1 ? QStringLiteral("the file holds no members")
                                                  : QStringLiteral("every row was rejected");
    return reader.rows;
}

Outcome importMembers(const QString &registerFile, const QByteArray &csv)
{
    // A register of an earlier build is brought to the current form when it is opened.
    registers::installMemberIndex();
    Rows rows = readMembers(csv);
    Outcome outcome{false, 0, rows.rejected, rows.ignoredColumns, rows.problem, {}, {}};
    if (!outcome.problem.isEmpty())
        return outcome;
    try {
        if (!QFileInfo(registerFile).isFile())
            outcome.problem = QStringLiteral("%1 is not there (--create-schema makes it)").arg(registerFile);
        else if (!holdsMemberTable(registerFile))
            outcome.problem = QStringLiteral("%1 holds no member table tbAssociados").arg(registerFile);
        if (!outcome.problem.isEmpty())
            return outcome;
        demo::insertMembers(registerFile, rows.members, demo::Replace::AllMembers);
    } catch (const platform::RuntimeError &error) {
        outcome.problem = error.description();
        return outcome;
    }
    outcome.loaded = true;
    outcome.rowsLoaded = rows.members.size();
    outcome.otherRegister = otherRegisterOf(registerFile);
    try {
        outcome.sharedIds = idsInBoth(registerFile, outcome.otherRegister);
    } catch (const platform::RuntimeError &) {
        // Loaded all the same: the other register is only looked at.
    }
    return outcome;
}

Outcome importMembersFromFile(const QString &registerFile, const QString &csvFile)
{
    QFile file(csvFile);
    if (!file.open(QIODevice::ReadOnly))
        return {false, 0, {}, {}, QStringLiteral("cannot read %1: %2").arg(csvFile, file.errorString()), {}, {}};
    return importMembers(registerFile, file.readAll());
}

} // namespace memberimport
