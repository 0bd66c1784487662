#include "sitetools/import/MemberRows.h"

#include "platform/db/sql/TextFolding.h"

#include <array>
#include <limits>

namespace memberimport {

namespace {

enum Column { ContactoId, NoEmpresa, NoSocio, NomeUnion, Empresa, Email, Activo, ColumnCount };

// The characters each text column holds where the view is narrowest: the
// SQL Server registers, and the delivery table the desk copies a member into.
constexpr std::array<qsizetype, ColumnCount> MaxChars = {0, 20, 20, 200, 200, 200, 0};

QString columnName(int column)
{
    return acceptedHeaderNames().at(column).first();
}

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

// A value quoted in a reason: short, and printable on a terminal.
QString shown(const QString &value)
{
    constexpr qsizetype Longest = 40;
    QString text = value.left(Longest);
    for (QChar &c : text)
        if (c.category() == QChar::Other_Control)
            c = QChar::ReplacementCharacter;
    return u'"' + text + (value.size() > Longest ? u"…\""_qs : u"\""_qs);
}

// The desk reads ids and flags as 32-bit integers: a larger one would end
// every search that meets it in an overflow.
bool inDeskRange(qlonglong value)
{
    return value >= std::numeric_limits<qint32>::min() && value <= std::numeric_limits<qint32>::max();
}

QString rangeProblem(int column, const QString &value)
{
    return QStringLiteral("%1 %2 is outside the desk's range (%3 to %4)")
        .arg(columnName(column), value)
        .arg(std::numeric_limits<qint32>::min())
        .arg(std::numeric_limits<qint32>::max());
}

QVariant activoValue(const QString &text, QString *problem)
{
    const QString value = folded(text);
    if (value.isEmpty())
        return QVariant();
    bool number = false;
    const qlonglong converted = text.toLongLong(&number);
    if (number) {
        if (!inDeskRange(converted))
            *problem = rangeProblem(Activo, text);
        return int(converted);
    }
    static const QStringList yes = {u"sim"_qs, u"s"_qs, u"activo"_qs, u"ativo"_qs, u"verdadeiro"_qs, u"true"_qs};
    static const QStringList no = {u"nao"_qs, u"n"_qs, u"inactivo"_qs, u"inativo"_qs, u"falso"_qs, u"false"_qs};
    if (yes.contains(value))
        return 1;
    if (no.contains(value))
        return 0;
    *problem = QStringLiteral("activo %1 is neither a number nor sim/não").arg(shown(text));
    return QVariant();
}

} // namespace

QList<QStringList> acceptedHeaderNames()
{
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

QString MemberRows::readHeader(const csv::Record &header)
{
    m_fieldOf.fill(-1, ColumnCount);
    for (int field = 0; field < header.fields.size(); ++field) {
        const QString name = header.fields.at(field).trimmed();
        if (!name.isEmpty())
            m_namedWidth = field + 1;
        const int column = columnOf(name);
        if (column < 0) {
            if (!name.isEmpty())
                m_ignoredColumns << name;
        } else if (m_fieldOf.at(column) >= 0) {
            return QStringLiteral("line %1: the columns \"%2\" and \"%3\" are both %4")
                .arg(header.line)
                .arg(header.fields.at(m_fieldOf.at(column)).trimmed(), name, columnName(column));
        } else {
            m_fieldOf[column] = field;
        }
    }
    if (m_fieldOf.at(ContactoId) < 0 || m_fieldOf.at(NomeUnion) < 0)
        return QStringLiteral("line %1: the header names no contacto_id or no nome_union column (see --headers)")
            .arg(header.line);
    m_width = header.fieldCount;
    return QString();
}

QString MemberRows::field(const csv::Record &record, int column) const
{
    return record.fields.value(m_fieldOf.at(column)).trimmed();
}

QString MemberRows::textProblem(const csv::Record &record, int column, QString *text) const
{
    *text = field(record, column);
    if (text->size() > MaxChars.at(column))
        return QStringLiteral("%1 is longer than the %2 characters its column holds")
            .arg(columnName(column))
            .arg(MaxChars.at(column));
    // A name is searched and shown on one line; other texts may keep a cell's line breaks and tabs.
    for (const QChar c : *text)
        if (c.category() == QChar::Other_Control && (column == NomeUnion || (c != u'\n' && c != u'\r' && c != u'\t')))
            return QStringLiteral("%1 holds a control character (U+%2)")
                .arg(columnName(column))
                .arg(QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0'));
    return QString();
}

QString MemberRows::readMember(const csv::Record &record, demo::Member &member) const
{
    bool extraFields = record.fieldCount > record.fields.size() && record.fieldCount > m_width;
    for (qsizetype extra = m_width; extra < record.fields.size(); ++extra)
        extraFields = extraFields || !record.fields.at(extra).trimmed().isEmpty();
    if (extraFields || record.fieldCount < m_namedWidth)
        return QStringLiteral("%1 fields where the header has %2").arg(record.fieldCount).arg(m_width);

    const QString id = field(record, ContactoId);
    if (id.isEmpty())
        return QStringLiteral("contacto_id is missing");
    bool ok = false;
    const qlonglong number = id.toLongLong(&ok);
    if (!ok)
        return QStringLiteral("contacto_id %1 is not a whole number").arg(shown(id));
    if (!inDeskRange(number))
        return rangeProblem(ContactoId, id);
    member.contactoId = number;

    QString problem = textProblem(record, NomeUnion, &member.nome);
    if (!problem.isEmpty())
        return problem;
    if (member.nome.isEmpty())
        return QStringLiteral("nome_union is missing");
    QString email;
    for (const auto &[column, text] : {std::pair{NoEmpresa, &member.noEmpresa}, std::pair{NoSocio, &member.noSocio},
                                       std::pair{Empresa, &member.empresa}, std::pair{Email, &email}}) {
        problem = textProblem(record, column, text);
        if (!problem.isEmpty())
            return problem;
    }
    member.email = email.isEmpty() ? QVariant() : QVariant(email);
    member.activo = activoValue(field(record, Activo), &problem);
    return problem;
}

} // namespace memberimport
