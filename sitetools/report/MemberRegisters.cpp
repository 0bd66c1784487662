#include "sitetools/report/MemberRegisters.h"

#include "platform/db/sql/TextFolding.h"
#include "platform/runtime/Conversions.h"

#include <QHash>
#include <QSet>

namespace report {

namespace {

// Ids asked of a register in one statement.
constexpr qsizetype IdsPerStatement = 1000;

struct Listed
{
    QString company;
    QString name;
};

using Listing = QHash<qint32, Listed>;

QString text(const QVariant &value)
{
    return platform::IsNull(value) ? QString() : value.toString();
}

Listing listed(platform::Connection &connection, const QList<qint32> &ids)
{
    Listing found;
    found.reserve(ids.size());
    for (qsizetype from = 0; from < ids.size(); from += IdsPerStatement) {
        QStringList chunk;
        for (qsizetype i = from; i < qMin(ids.size(), from + IdsPerStatement); ++i)
            chunk << QString::number(ids.at(i));
        const platform::ResultTable table =
            connection.query(QStringLiteral("SELECT contacto_id, no_empresa, nome_union FROM vwAssociados_Completos "
                                            "WHERE contacto_id IN (%1)")
                                 .arg(chunk.join(QLatin1Char(','))));
        for (qsizetype row = 0; row < table.rows.size(); ++row)
            found.insert(qint32(table.rows.value(row, 0).toLongLong()),
                         {text(table.rows.value(row, 1)), text(table.rows.value(row, 2))});
    }
    return found;
}

// The desk stores what it showed, so the register's row still reads the
// same unless someone edited it since; the member boxes trim, the registers
// compare without regard to case and accents.
bool same(const QString &stored, const QString &listed)
{
    return stored == listed || platform::sql::compareIgnoringCaseAndAccents(stored.trimmed(), listed.trimmed()) == 0;
}

bool isTheMember(const Delivery &delivery, const Listed *listed)
{
    return listed && same(delivery.noTap, listed->company) && same(delivery.nome, listed->name);
}

Association associationOf(const Delivery &delivery, const Listed *haldor, const Listed *mirva)
{
    const bool inHaldor = isTheMember(delivery, haldor);
    const bool inMirva = isTheMember(delivery, mirva);
    if (inHaldor && inMirva)
        return Association::Both;
    if (inHaldor || (haldor && !mirva))
        return Association::Haldor;
    if (inMirva || (mirva && !haldor))
        return Association::Mirva;
    return Association::Unknown;
}

const Listed *find(const Listing &listing, qint32 id)
{
    const auto at = listing.constFind(id);
    return at == listing.constEnd() ? nullptr : &*at;
}

} // namespace

MemberRegisters::MemberRegisters(platform::Connection &haldor, platform::Connection &mirva)
    : m_haldor(haldor), m_mirva(mirva)
{
}

void MemberRegisters::assign(QList<Delivery> &deliveries)
{
    QSet<qint32> seen;
    QList<qint32> ids;
    for (const Delivery &delivery : deliveries)
        if (!delivery.undone() && !seen.contains(delivery.socioId)) {
            seen.insert(delivery.socioId);
            ids << delivery.socioId;
        }
    if (ids.isEmpty())
        return;
    const Listing haldor = listed(m_haldor, ids);
    const Listing mirva = listed(m_mirva, ids);
    for (Delivery &delivery : deliveries)
        if (!delivery.undone())
            delivery.association =
                associationOf(delivery, find(haldor, delivery.socioId), find(mirva, delivery.socioId));
}

} // namespace report
