#include "data/modTestConnection.h"

#include "data/frmSQLServer.h"
#include "data/modRegistry.h"
#include "platform/db/access/ConnectionString.h"
#include "platform/os/MachineCipher.h"
#include "platform/ui/DisabledWindow.h"
#include "platform/ui/WindowRefresh.h"

#include <QCoreApplication>
#include <QPointer>
#include <QPushButton>

#include <optional>

namespace modTestConnection {

namespace {

// The one problem window there may be; only TestConnection sets and clears it.
QPointer<frmSQLServer> &problemWindow()
{
    static QPointer<frmSQLServer> window;
    return window;
}

// A step of the connection test may fail; the test goes on and judges by state.
template <typename Step> void ignoringErrors(Step step)
{
    try {
        step();
    } catch (...) {
    }
}

bool isOpen(const platform::Connection &connection)
{
    return connection.State() == platform::ConnectionState::Open;
}

bool retryUntilOpen(platform::Connection &connection, QString &registryEntry, QWidget *callerForm,
                    QString &connectionString, frmSQLServer &window)
{
    for (;;) {
        if (OpenConnection(connection, registryEntry, connectionString))
            return true;
        platform::Refresh(callerForm);
        window.Command1->setEnabled(true);
        window.Desistiu = false;
        if (!window.isVisible())
            window.showPainted();
        // Waits for one of the window's buttons or its close box, which hide it.
        while (window.isVisible())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (window.Desistiu)
            return false;
        // Disabled before it is drawn, as at the first attempt: painted the other
        // way round, the button looked usable through the whole attempt.
        window.Command1->setEnabled(false);
        window.showPainted();
    }
}

} // namespace

bool TestConnection(platform::Connection &connection, QString &registryEntry, QWidget *callerForm,
                    QString &connectionString, bool retry)
{
    // Disabling the caller drops its focus; it gets it back with its keys.
    const QPointer<QWidget> focus = callerForm ? callerForm->focusWidget() : nullptr;
    auto disabled = std::make_optional<platform::DisabledWindow>(callerForm);
    if (connection.State() == platform::ConnectionState::Closed)
        ignoringErrors([&] { OpenConnection(connection, registryEntry, connectionString); });

    bool probeFailed = false;
    try {
        connection.Execute(QStringLiteral("SELECT @@TRANCOUNT as flTrans"), nullptr, -1);
    } catch (...) {
        probeFailed = true;
    }
    platform::Refresh(callerForm);

    bool result = false;
    if (isOpen(connection) && connection.Errors().isEmpty() && !probeFailed) {
        result = true;
    } else {
        connection.clearErrors();
        auto *window = new frmSQLServer;
        problemWindow() = window;
        window->Command1->setEnabled(false);
        window->showPainted();
        if (!retry) {
            result = OpenConnection(connection, registryEntry, connectionString);
            window->close(); // hides it
            window->close(); // closes it
        } else {
            result = retryUntilOpen(connection, registryEntry, callerForm, connectionString, *window);
            window->hide();
            window->close();
        }
        delete window;
        problemWindow() = nullptr;
    }
    disabled.reset();
    if (focus && focus->isEnabled())
        focus->setFocus(Qt::OtherFocusReason);
    return result;
}

namespace {

const char *const EntryValueNames[] = {"dtSecurityInfo", "dtUser", "dtPassword", "dtInitialCatalog", "dtDataSource"};

} // namespace

QString BuildConnectionString(const QString &registryEntry)
{
    const QString keyPath = QString::fromUtf16(SettingsRoot) + registryEntry;
    QStringList values;
    for (const char *name : EntryValueNames) {
        const QVariant value = modRegistry::ObterValorString(keyPath, QLatin1String(name), QVariant(), false);
        if (!value.isValid())
            return QString();
        values << platform::quotedConnectionValue(values.size() == 2 ? DecipherPassword(value.toString())
                                                                     : value.toString());
    }
    return QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=%1;User ID=%2;Password=%3;Initial Catalog=%4;"
                          "Data Source=%5;Connect Timeout=15")
        .arg(values.at(0), values.at(1), values.at(2), values.at(3), values.at(4));
}

bool HasSettingsEntry(const QString &registryEntry)
{
    const QString keyPath = QString::fromUtf16(SettingsRoot) + registryEntry;
    for (const char *name : EntryValueNames)
        if (modRegistry::ObterValorString(keyPath, QLatin1String(name), QVariant(), false).isValid())
            return true;
    return false;
}

bool OpenConnection(platform::Connection &connection, QString &registryEntry, QString &connectionString)
{
    if (connectionString.isEmpty()) {
        const QString built = BuildConnectionString(registryEntry);
        if (built.isEmpty())
            return false;
        if (connection.State() != platform::ConnectionState::Closed)
            ignoringErrors([&] { connection.Close(); });
        connectionString = built;
    }
    ignoringErrors([&] { connection.setConnectionString(connectionString); });
    ignoringErrors([&] { connection.Open(QString(), QString(), -1); });
    return isOpen(connection);
}

QString DecipherPassword(const QString &enciphered)
{
    return platform::openForMachine(enciphered);
}

} // namespace modTestConnection
