#include "sitetools/report/DeliveryUndo.h"

#include "platform/runtime/Conversions.h"
#include "platform/runtime/RuntimeError.h"
#include "sitetools/report/UndoRecords.h"
#include "sqltext/modCode.h"

namespace report {

namespace {

QString text(const QVariant &value)
{
    return platform::IsNull(value) ? QString() : value.toString();
}

QString shown(const QDateTime &when)
{
    return when.toString(QStringLiteral("dd-MM-yyyy HH:mm"));
}

bool readDelivery(platform::Connection &deliveries, qint32 number, Delivery *delivery)
{
    const platform::ResultTable table = deliveries.query(
        QStringLiteral("SELECT socio_id, base_dados, data, no_tap, nome FROM tbVelunas WHERE convite_no = %1")
            .arg(number));
    if (table.rows.isEmpty())
        return false;
    delivery->number = number;
    delivery->socioId = qint32(table.rows.value(0, 0).toLongLong());
    delivery->code = qint32(table.rows.value(0, 1).toLongLong());
    delivery->when = table.rows.value(0, 2).toDateTime();
    delivery->noTap = text(table.rows.value(0, 3));
    delivery->nome = text(table.rows.value(0, 4));
    return true;
}

QString alreadyUndone(platform::Connection &deliveries, qint32 number)
{
    UndoneRecord record;
    if (!findUndoneRecord(deliveries, number, &record))
        return QStringLiteral("invitation %1 was already undone; nothing was changed").arg(number);
    return QStringLiteral("invitation %1 was already undone on %2 by %3 on %4 (\"%5\"); nothing was changed")
        .arg(number)
        .arg(shown(record.undoneAt), record.account, record.computer, record.reason);
}

// Runs the statement in the open transaction; false unless it touched exactly one row.
bool touchesTheRow(platform::Connection &deliveries, const QString &statement)
{
    qint64 affected = -1;
    deliveries.query(statement, &affected);
    return affected == 1;
}

void rollBack(platform::Connection &deliveries)
{
    try {
        deliveries.query(QStringLiteral("ROLLBACK TRANSACTION"));
    } catch (const platform::RuntimeError &) {
        // The engine already ended it with the failed statement.
    }
}

} // namespace

UndoResult undoDelivery(platform::Connection &deliveries, Engine engine, const UndoRequest &request)
{
    UndoResult result;
    const qint32 number = request.number;
    if (!readDelivery(deliveries, number, &result.delivery)) {
        result.outcome = UndoOutcome::Unknown;
        result.message =
            QStringLiteral("invitation %1 was not given: no delivery holds that number; nothing was changed")
                .arg(number);
        return result;
    }
    if (result.delivery.undone()) {
        result.outcome = UndoOutcome::AlreadyUndone;
        result.message = alreadyUndone(deliveries, number);
        return result;
    }
    ensureRecordTable(deliveries, engine);

    const QString theRow = QStringLiteral("WHERE convite_no = %1 AND socio_id = %2 AND base_dados = %3")
                               .arg(number)
                               .arg(result.delivery.socioId)
                               .arg(result.delivery.code);
    const QString record =
        QStringLiteral("INSERT INTO %1 (convite_no, socio_id, base_dados, data, no_tap, nome, empresa, email, "
                       "anulado_em, conta, computador, motivo) SELECT convite_no, socio_id, base_dados, data, no_tap, "
                       "nome, empresa, email, GETDATE(), %2, %3, %4 FROM tbVelunas %5")
            .arg(RecordTable)
            .arg(modCode::SqlLiteral(request.account, modCode::LiteralKind::TextOrEmpty),
                 modCode::SqlLiteral(request.computer, modCode::LiteralKind::TextOrEmpty),
                 modCode::SqlLiteral(request.reason, modCode::LiteralKind::TextOrEmpty), theRow);
    const QString placeholder = QStringLiteral("UPDATE tbVelunas SET socio_id = %1, base_dados = %2, no_tap = NULL, "
                                               "nome = NULL, empresa = NULL, email = NULL %3")
                                    .arg(-qint64(number))
                                    .arg(UndoneCode)
                                    .arg(theRow);
    deliveries.query(QStringLiteral("BEGIN TRANSACTION"));
    bool kept = false;
    try {
        kept = touchesTheRow(deliveries, record) && touchesTheRow(deliveries, placeholder);
        if (kept)
            deliveries.query(QStringLiteral("COMMIT TRANSACTION"));
    } catch (const platform::RuntimeError &error) {
        rollBack(deliveries);
        // Another undo of the same number recorded it first.
        if (!error.isUniqueViolation())
            throw;
    }
    if (!kept) {
        rollBack(deliveries);
        result.outcome = UndoOutcome::Changed;
        result.message = QStringLiteral("invitation %1 changed while it was being undone (undone elsewhere at the same "
                                        "moment?); nothing was changed here")
                             .arg(number);
        return result;
    }
    result.outcome = UndoOutcome::Undone;
    result.message = QStringLiteral("invitation %1 undone: it was given to %2 (company number %3) on %4; the member "
                                    "can be given an invitation again at any desk, and number %1 is never given again")
                         .arg(number)
                         .arg(result.delivery.nome.isEmpty() ? QStringLiteral("?") : result.delivery.nome,
                              result.delivery.noTap.isEmpty() ? QStringLiteral("none") : result.delivery.noTap,
                              shown(result.delivery.when));
    return result;
}

} // namespace report
