// "Processar Entrega": the next number of the one invitation sequence, or the
// refusal with the number and date of the earlier delivery.
#include "app/frmMain.h"

#include "platform/db/access/Recordset.h"
#include "platform/runtime/Conversions.h"
#include "platform/runtime/RuntimeError.h"
#include "platform/ui/MessageBox.h"
#include "sqltext/modCode.h"
#include "system/ErrorReporting.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

// Two desks may pick the same number at once; the loser reads again.
constexpr int NumberAttempts = 20;

platform::Connection &require(const std::unique_ptr<platform::Connection> &connection)
{
    if (!connection)
        throw platform::RuntimeError(platform::ErrorNumber::ConnectionClosed,
                                     QStringLiteral("Operation is not allowed when the object is closed."));
    return *connection;
}

} // namespace

qint32 frmMain::nextInvitationNumber()
{
    platform::Recordset first;
    first.Open(QStringLiteral("SELECT MAX(convite_no) as last FROM tbVelunas"), require(ConnSqlServer));
    qint32 number = 0;
    if (!first.isEOF()) {
        const QVariant last = first.value(QStringLiteral("last"));
        number = platform::IsNull(last) ? 1 : platform::CLng(platform::CDbl(last) + 1);
    }
    first.Close();
    return number;
}

// An earlier delivery one statement finds, looked up through MIRVA's
// connection, then HALDOR's; the connection that finds it names the register
// in the message.
bool frmMain::refuseIfFound(const QString &statement)
{
    const std::pair<platform::Connection *, QString> checks[] = {
        {&require(ConnMIRVA), QStringLiteral(" na MIRVA.")},
        {&require(ConnHALDOR), QStringLiteral(" no HALDOR.")},
    };
    for (const auto &[connection, ending] : checks) {
        platform::Recordset recordset;
        recordset.Open(statement, *connection);
        if (recordset.isEOF()) {
            recordset.Close();
            continue;
        }
        Command2->setEnabled(false);
        const QString message =
            QStringLiteral("Já foi entregue o convite nº ") +
            platform::CStr(recordset.value(QStringLiteral("convite_no"))) +
            QStringLiteral(" a este associado no dia ") +
            platform::Format(recordset.value(QStringLiteral("data")), QStringLiteral("dd-mm-yyyy Hh:Nn")) + ending;
        recordset.Close();
        platform::MsgBox(message, platform::MessageBoxStyle::Information);
        FXNo_TAP->setFocus(Qt::OtherFocusReason);
        return true;
    }
    return false;
}

// The member's own pair first. Then the same person under the other code: a
// member read once by name or company number (code 1) and once by member
// number (code 2), or the other way round in MIRVA, keeps its id, company
// number and name; another register's member who only shares the id does not.
bool frmMain::refuseIfDelivered()
{
    if (refuseIfFound(QStringLiteral("SELECT * FROM tbVelunas WHERE socio_id = %1 AND base_dados = %2")
                          .arg(SocioID)
                          .arg(BaseDados)))
        return true;
    auto sameAsShown = [](const char *column, const QLineEdit *box) {
        const QString literal = modCode::SqlLiteral(box, modCode::LiteralKind::TextOrNull);
        // Stored from the same box, an empty one is null on both sides.
        return QLatin1String(column) +
               (literal == QLatin1String("null") ? QStringLiteral(" IS NULL") : QStringLiteral(" = ") + literal);
    };
    const qint32 otherCode = BaseDados == 1 ? 2 : 1;
    return refuseIfFound(QStringLiteral("SELECT * FROM tbVelunas WHERE socio_id = %1 AND base_dados = %2 AND ")
                             .arg(SocioID)
                             .arg(otherCode) +
                         sameAsShown("no_tap", FXNo_Empresa) + QStringLiteral(" AND ") + sameAsShown("nome", FXNome));
}

void frmMain::recordDelivery(qint32 number)
{
    const QString statement =
        QStringLiteral("INSERT INTO tbVelunas (socio_id, base_dados, data, convite_no, no_tap, nome, empresa, email) "
                       "VALUES (%1,%2, GETDATE(), %3,%4,%5,%6,%7)")
            .arg(SocioID)
            .arg(BaseDados)
            .arg(number)
            .arg(modCode::SqlLiteral(FXNo_Empresa, modCode::LiteralKind::TextOrNull),
                 modCode::SqlLiteral(FXNome, modCode::LiteralKind::TextOrNull),
                 modCode::SqlLiteral(FXEmpresa, modCode::LiteralKind::TextOrNull),
                 modCode::SqlLiteral(FXEmail, modCode::LiteralKind::TextOrNull));
    require(ConnSqlServer).Execute(statement);
    FXConvite_No->setText(QString::number(number));
}

void frmMain::Command2_Click()
{
    try {
        qint32 number = nextInvitationNumber();
        if (!refuseIfDelivered()) {
            for (int attempt = 1;; ++attempt) {
                try {
                    recordDelivery(number);
                    break;
                } catch (const platform::RuntimeError &error) {
                    if (!error.isUniqueViolation() || attempt == NumberAttempts)
                        throw;
                    // Another desk was faster: with this member, refuse as the
                    // check would have; with this number, take the next one.
                    if (refuseIfDelivered())
                        break;
                    number = nextInvitationNumber();
                }
            }
        }
        Command2->setEnabled(false);
        // A clicked button keeps the focus until disabled; the next member is typed in the entry box.
        FXNo_TAP->setFocus(Qt::OtherFocusReason);
    } catch (...) {
        const platform::RuntimeError error = platform::currentRuntimeError();
        Command4->setEnabled(true);
        FXNo_TAP->setFocus(Qt::OtherFocusReason);
        errorreporting::ReportWindowError(error, {QStringLiteral("Orvel Software"), QStringLiteral("Velunas"),
                                                  QStringLiteral("frmMain"), QStringLiteral("Command2_Click")});
    }
}
