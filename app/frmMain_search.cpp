// The member search: the connection tests and the fixed cascade over both
// member registers, ending with the member shown or a message.
#include "app/frmMain.h"

#include "app/frmMainResults.h"

#include "controls/modControls.h"
#include "data/Data.h"
#include "data/modTestConnection.h"
#include "platform/db/access/Recordset.h"
#include "platform/runtime/Conversions.h"
#include "platform/runtime/RuntimeError.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/WindowRefresh.h"
#include "sqltext/modCode.h"
#include "sqltext/modData.h"
#include "system/ErrorReporting.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr qint32 CodeActiveHaldor = 1; // also the code of a MIRVA name search
constexpr qint32 CodeFullRegister = 2;

const QString ActiveView = QStringLiteral("SELECT * FROM vwAssociados_Completos_Activos WHERE ");
const QString FullView = QStringLiteral("SELECT * FROM vwAssociados_Completos WHERE ");

// A register marks a member inactive with activo 0; Null or anything else is active.
bool isInactive(const platform::Recordset &recordset)
{
    const QVariant activo = recordset.value(QStringLiteral("activo"));
    if (platform::IsNull(activo))
        return false;
    if (activo.typeId() == QMetaType::Bool)
        return !activo.toBool();
    return platform::IsNumeric(activo) && platform::CDbl(activo) == 0;
}

std::unique_ptr<platform::Recordset> openOn(platform::Connection &connection, const QString &statement,
                                            int cursorType = platform::CursorType::Unspecified,
                                            int lockType = platform::LockType::Unspecified)
{
    auto recordset = std::make_unique<platform::Recordset>();
    recordset->Open(statement, connection, cursorType, lockType);
    return recordset;
}

QString inactivityWarning(bool inMirva, bool inHaldor)
{
    QString first;
    if (inMirva && inHaldor)
        first = QStringLiteral("Atenção: este associado está INACTIVO na MIRVA e/ou no HALDOR!");
    else if (inMirva)
        first = QStringLiteral("Atenção: este associado está INACTIVO na MIRVA!");
    else
        first = QStringLiteral("Atenção: este associado está INACTIVO na HALDOR!");
    return first + QStringLiteral("\n\r\n\r") +
           QStringLiteral("Verifique a  ficha de associado antes de fazer a entrega do convite.");
}

} // namespace

bool frmMain::testConnection(platform::Connection &connection)
{
    QString registryEntry;
    QString connectionString = connection.ConnectionString();
    return modTestConnection::TestConnection(connection, registryEntry, this, connectionString, false);
}

void frmMain::takeRow(platform::Recordset &recordset, qint32 code)
{
    modControls::SetControlValue(FXNo_Empresa, recordset.value(QStringLiteral("no_empresa")),
                                 modControls::FormatCode::General);
    modControls::SetControlValue(FXNome, recordset.value(QStringLiteral("nome_union")),
                                 modControls::FormatCode::General);
    modControls::SetControlValue(FXEmpresa, recordset.value(QStringLiteral("empresa")),
                                 modControls::FormatCode::General);
    modControls::SetControlValue(FXEmail, recordset.value(QStringLiteral("email")), modControls::FormatCode::General);
    SocioID = platform::CLng(recordset.value(QStringLiteral("contacto_id")));
    BaseDados = code;
}

frmMain::NameSearch frmMain::searchByName(platform::Connection &connection, const QString &statement, qint32 code)
{
    auto recordset = openOn(connection, statement, platform::CursorType::Dynamic, platform::LockType::Optimistic);
    if (recordset->isEOF()) {
        recordset->Close();
        return NameSearch::NotFound;
    }
    qint32 count = 0;
    for (; !recordset->isEOF(); recordset->MoveNext())
        ++count;
    recordset->MoveFirst();
    if (count == 1) {
        takeRow(*recordset, code);
        recordset->Close();
        return NameSearch::Found;
    }

    auto picker = std::make_unique<frmMainResults>(this);
    picker->clearItems();
    picker->addRows(recordset->table());
    picker->exec();

    if (picker->Cancelar) {
        for (QLineEdit *box : {FXNo_Empresa, FXNome, FXEmpresa, FXEmail})
            modControls::SetControlValue(box, QVariant(), modControls::FormatCode::General);
        recordset->Close();
        // The boxes are blank now, so the earlier member must not be deliverable.
        Command2->setEnabled(false);
        return NameSearch::Cancelled;
    }
    const auto chosen = picker->selectedRow();
    if (!chosen)
        throw platform::RuntimeError(platform::ErrorNumber::ObjectNotSet,
                                     QStringLiteral("Object variable or With block variable not set"));
    modControls::SetControlValue(FXNo_Empresa, chosen->text, modControls::FormatCode::General);
    modControls::SetControlValue(FXNome, chosen->subItem1, modControls::FormatCode::General);
    modControls::SetControlValue(FXEmpresa, chosen->subItem2, modControls::FormatCode::General);
    modControls::SetControlValue(FXEmail, chosen->subItem3, modControls::FormatCode::General);
    SocioID = platform::CLng(chosen->key.mid(1));
    BaseDados = code;
    picker->hide();
    picker->Form_Unload();
    recordset->Close();
    return NameSearch::Found;
}

void frmMain::finishSearch()
{
    DataEnvironment &data = Data();
    if (data.HALDOR().State() != platform::ConnectionState::Closed)
        data.HALDOR().Close();
    if (data.SqlServer().State() != platform::ConnectionState::Closed)
        data.SqlServer().Close();
    Command4->setEnabled(true);
    setMemberBoxLook(FXEmail, true);
    FXEmail->setFocus(Qt::OtherFocusReason);
    FXNo_TAP->setFocus(Qt::OtherFocusReason);
    platform::SetMousePointer(this, platform::Pointer::Default);
}

void frmMain::leaveSearchEarly()
{
    platform::SetMousePointer(this, platform::Pointer::Default);
    Command4->setEnabled(true);
    // The connection test cleared the window's focus widget; without one the
    // desktop would hand the keys to the first tab stop, "&Fechar".
    FXNo_TAP->setFocus(Qt::OtherFocusReason);
}

bool frmMain::connectForSearch()
{
    DataEnvironment &data = Data();
    // The last search's connections go once the new ones are open: on an
    // embedded file, closing its last connection first would make every
    // search rebuild the file's shared log index.
    std::unique_ptr<platform::Connection> previous[] = {std::move(ConnMIRVA), std::move(ConnHALDOR),
                                                        std::move(ConnSqlServer)};
    ConnMIRVA = std::make_unique<platform::Connection>();
    ConnHALDOR = std::make_unique<platform::Connection>();
    ConnSqlServer = std::make_unique<platform::Connection>();
    ConnHALDOR->setConnectionString(data.HALDOR().ConnectionString());
    ConnMIRVA->setConnectionString(data.MIRVA().ConnectionString());
    ConnSqlServer->setConnectionString(data.SqlServer().ConnectionString());

    const bool haldorUp = testConnection(*ConnHALDOR);
    Label_HALDOR->setVisible(true);
    Label_HALDOR->setText(haldorUp ? QStringLiteral("Conectado ao servidor do HALDOR")
                                   : QStringLiteral("ERRO: não foi possivel ligar ao servidor do HALDOR"));
    platform::Refresh(this);
    const bool mirvaUp = testConnection(*ConnMIRVA);
    Label_MIRVA->setVisible(true);
    Label_MIRVA->setText(mirvaUp ? QStringLiteral("Conectado ao servidor da MIRVA")
                                 : QStringLiteral("ERRO: não foi possivel ligar ao servidor da MIRVA"));
    platform::Refresh(this);
    const bool deliveryUp = testConnection(*ConnSqlServer);
    for (auto &connection : previous)
        connection.reset();
    platform::Refresh(this);

    if (haldorUp && mirvaUp && deliveryUp)
        return true;
    platform::MsgBox(QStringLiteral("Não foi possivel ligar a um dos servidores! Volte a tentar s.f.f."),
                     platform::MessageBoxStyle::Critical, windowTitle());
    return false;
}

std::unique_ptr<platform::Recordset> frmMain::numberSearch(platform::Connection &connection, const QString &view,
                                                           const char *column)
{
    return openOn(connection, view + QLatin1String(column) + QStringLiteral(" = ") +
                                  modCode::SqlLiteral(FXNo_TAP, modCode::LiteralKind::TextOrEmpty));
}

QString frmMain::namePattern() const
{
    return QStringLiteral("nome_union like ") + modCode::SqlLiteral(FXNo_TAP, modCode::LiteralKind::LikePattern);
}

// Stage A: HALDOR's active members, by company number, by member number and
// by name, stopping at the first hit.
frmMain::NameSearch frmMain::searchActiveHaldor(SearchFindings &found)
{
    for (const char *column : {"no_empresa", "no_socio"}) {
        if (found.inHaldor)
            break;
        auto recordset = numberSearch(*ConnHALDOR, ActiveView, column);
        if (!recordset->isEOF()) {
            takeRow(*recordset, CodeActiveHaldor);
            found.inHaldor = true;
        }
        recordset->Close();
    }
    if (found.inHaldor)
        return NameSearch::Found;
    const NameSearch outcome = searchByName(*ConnHALDOR, ActiveView + namePattern(), CodeActiveHaldor);
    found.inHaldor = outcome == NameSearch::Found;
    return outcome;
}

// Stage B, the full registers: MIRVA's by company number, HALDOR's by member
// number, then MIRVA's by name.
frmMain::NameSearch frmMain::searchFullRegisters(SearchFindings &found)
{
    {
        auto recordset = numberSearch(*ConnMIRVA, FullView, "no_empresa");
        if (!recordset->isEOF()) {
            if (!found.inHaldor) {
                takeRow(*recordset, CodeFullRegister);
                found.inactiveInMirva = isInactive(*recordset);
            }
            found.inMirva = true;
        }
        recordset->Close();
    }
    if (!found.inMirva || found.inactiveInMirva) {
        auto recordset = numberSearch(*ConnHALDOR, FullView, "no_socio");
        if (!recordset->isEOF()) {
            takeRow(*recordset, CodeFullRegister);
            found.inactiveInHaldor = isInactive(*recordset);
            found.inHaldor = true;
        }
        recordset->Close();
    }
    if (found.inMirva || found.inHaldor)
        return NameSearch::Found;
    const NameSearch outcome = searchByName(*ConnMIRVA, FullView + namePattern(), CodeActiveHaldor);
    found.inMirva = outcome == NameSearch::Found;
    return outcome;
}

void frmMain::showFindings(const SearchFindings &found)
{
    if (found.inMirva || found.inHaldor) {
        FXMIRVA_HALDOR->setText(found.inMirva && found.inHaldor ? QStringLiteral("HALDOR / MIRVA")
                                : found.inMirva                 ? QStringLiteral("MIRVA")
                                                                : QStringLiteral("HALDOR"));
        Command2->setEnabled(true);
    } else {
        Command2->setEnabled(false);
        platform::MsgBox(QStringLiteral("O associado não foi encontrado em nenhum dos servidores."),
                         platform::MessageBoxStyle::Information);
        FXNo_TAP->setFocus(Qt::OtherFocusReason);
    }
    if (found.inactiveInMirva || found.inactiveInHaldor)
        platform::MsgBox(inactivityWarning(found.inactiveInMirva, found.inactiveInHaldor),
                         platform::MessageBoxStyle::Information, QStringLiteral("Associado Inactivo"));
}

void frmMain::Command4_Click()
{
    try {
        Command4->setEnabled(false);
        Label_MIRVA->setText(QString());
        Label_HALDOR->setText(QString());
        platform::Refresh(this);
        platform::SetMousePointer(this, platform::Pointer::Hourglass);

        if (!connectForSearch()) {
            finishSearch();
            return;
        }
        SearchFindings found;
        if (searchActiveHaldor(found) == NameSearch::Cancelled)
            return leaveSearchEarly();
        // The full registers only when MIRVA is a database of its own.
        if (ConnMIRVA->ConnectionString() != ConnHALDOR->ConnectionString() &&
            searchFullRegisters(found) == NameSearch::Cancelled)
            return leaveSearchEarly();
        showFindings(found);
        finishSearch();
    } catch (...) {
        const platform::RuntimeError error = platform::currentRuntimeError();
        leaveSearchEarly();
        errorreporting::ReportWindowError(error, {QStringLiteral("Orvel Software"), QStringLiteral("Velunas"),
                                                  QStringLiteral("frmMain"), QStringLiteral("Command4_Click")});
    }
}
