#include "sitetools/report/UndoRecords.h"

#include "platform/runtime/Conversions.h"
#include "platform/runtime/RuntimeError.h"

namespace report {

namespace {

const QString Columns = QStringLiteral("convite_no, data, nome, anulado_em, conta, computador, motivo");

QString text(const QVariant &value)
{
    return platform::IsNull(value) ? QString() : value.toString();
}

UndoneRecord recordOf(const platform::ResultRows &rows, qsizetype row)
{
    return {qint32(rows.value(row, 0).toLongLong()),
            rows.value(row, 1).toDateTime(),
            text(rows.value(row, 2)),
            rows.value(row, 3).toDateTime(),
            text(rows.value(row, 4)),
            text(rows.value(row, 5)),
            text(rows.value(row, 6))};
}

bool recordTableExists(platform::Connection &deliveries)
{
    try {
        deliveries.query(QStringLiteral("SELECT COUNT(*) AS n FROM %1 WHERE 1 = 0").arg(RecordTable));
        return true;
    } catch (const platform::RuntimeError &) {
        deliveries.clearErrors();
        return false;
    }
}

// The same columns as schema/sqlite-delivery.sql and schema/postgresql.sql.
QString creation(Engine engine)
{
    if (engine == Engine::PostgreSQL)
        return QStringLiteral(
            "CREATE TABLE IF NOT EXISTS public.tbAnulacoes (convite_no integer NOT NULL, socio_id integer NOT NULL, "
            "base_dados integer NOT NULL, data timestamp(3) NOT NULL, no_tap text, nome text, empresa text, email "
            "text, "
            "anulado_em timestamp(3) NOT NULL, conta text NOT NULL, computador text NOT NULL, motivo text NOT NULL, "
            "CONSTRAINT uq_tbanulacoes_convite_no UNIQUE (convite_no))");
    return QStringLiteral(
        "CREATE TABLE IF NOT EXISTS tbAnulacoes (convite_no INTEGER NOT NULL, socio_id INTEGER NOT NULL, "
        "base_dados INTEGER NOT NULL, data DATETIME NOT NULL, no_tap TEXT, nome TEXT, empresa TEXT, email TEXT, "
        "anulado_em DATETIME NOT NULL, conta TEXT NOT NULL, computador TEXT NOT NULL, motivo TEXT NOT NULL, "
        "CONSTRAINT uqAnulacoes_convite_no UNIQUE (convite_no))");
}

} // namespace

QList<UndoneRecord> readUndoneRecords(platform::Connection &deliveries, bool *missing)
{
    if (missing)
        *missing = false;
    if (!recordTableExists(deliveries)) {
        if (missing)
            *missing = true;
        return {};
    }
    const platform::ResultTable table =
        deliveries.query(QStringLiteral("SELECT %1 FROM %2 ORDER BY convite_no").arg(Columns).arg(RecordTable));
    QList<UndoneRecord> records;
    for (qsizetype row = 0; row < table.rows.size(); ++row)
        records << recordOf(table.rows, row);
    return records;
}

bool findUndoneRecord(platform::Connection &deliveries, qint32 number, UndoneRecord *record)
{
    if (!recordTableExists(deliveries))
        return false;
    const platform::ResultTable table = deliveries.query(
        QStringLiteral("SELECT %1 FROM %2 WHERE convite_no = %3").arg(Columns).arg(RecordTable).arg(number));
    if (table.rows.isEmpty())
        return false;
    *record = recordOf(table.rows, 0);
    return true;
}

void ensureRecordTable(platform::Connection &deliveries, Engine engine)
{
    if (recordTableExists(deliveries))
        return;
    if (engine == Engine::SqlServer || engine == Engine::Other)
        throw platform::RuntimeError(platform::ErrorNumber::ItemNotFound,
                                     QStringLiteral("the record table %1 is missing in the delivery database: run "
                                                    "schema/sqlserver.sql again, which adds it")
                                         .arg(RecordTable));
    try {
        deliveries.query(creation(engine));
    } catch (const platform::RuntimeError &error) {
        const QString script = engine == Engine::PostgreSQL ? QStringLiteral("load schema/postgresql.sql again as the "
                                                                             "database's owner")
                                                            : QStringLiteral("the file must be writable");
        throw platform::RuntimeError(error.number(), QStringLiteral("the record table %1 could not be made (%2): %3")
                                                         .arg(RecordTable, script, error.description()));
    }
}

} // namespace report
