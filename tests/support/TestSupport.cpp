#include "tests/support/TestSupport.h"

#include "platform/db/access/Connection.h"
#include "platform/os/LateBound.h"
#include "platform/runtime/RuntimeError.h"
#include "platform/ui/DeskFont.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRawFont>
#include <QTimer>

#ifdef Q_OS_WIN
#include <windows.h>

#include <wincrypt.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace testsupport {

MessageBoxRecorder::MessageBoxRecorder()
{
    platform::setMessageBoxHandler([this](const platform::MessageBoxCall &call) {
        m_calls.append(call);
        return 1;
    });
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    platform::setMessageBoxHandler({});
}

namespace {
class CapturingComponent final : public platform::AutomationObject
{
public:
    explicit CapturingComponent(std::shared_ptr<QList<QStringList>> reports) : m_reports(std::move(reports)) {}
    QVariant invoke(const QString &method, const QVariantList &arguments) override
    {
        if (method != QLatin1String("Report"))
            throw platform::RuntimeError(platform::ErrorNumber::MethodNotSupported, QStringLiteral("no such method"));
        QStringList texts;
        for (const QVariant &argument : arguments)
            texts << argument.toString();
        m_reports->append(texts);
        return QVariant();
    }

private:
    std::shared_ptr<QList<QStringList>> m_reports;
};
} // namespace

ReportCapture::ReportCapture() : m_reports(std::make_shared<QList<QStringList>>())
{
    auto reports = m_reports;
    platform::registerProgId(QStringLiteral("ErrorReporting.General"),
                             [reports] { return std::make_unique<CapturingComponent>(reports); });
}

ReportCapture::~ReportCapture()
{
    platform::registerProgId(QStringLiteral("ErrorReporting.General"), {});
}

namespace {
void pollModal(const std::function<void(QWidget *)> &action, QDeadlineTimer deadline)
{
    if (QWidget *modal = QApplication::activeModalWidget()) {
        action(modal);
        return;
    }
    if (deadline.hasExpired())
        qFatal("no modal window came up");
    QTimer::singleShot(10, [action, deadline] { pollModal(action, deadline); });
}
} // namespace

bool drawnInDeskFace(const QFont &font)
{
    platform::DeskFont(); // registers the carried files
    QFile file(QStringLiteral(":/velunas/fonts/DejaVuSansCondensed.ttf"));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // A font file's header table holds its checksum and dates: one file's alone.
    return QRawFont::fromFont(font).fontTable("head") == QRawFont(file.readAll(), 12).fontTable("head");
}

void whenModal(std::function<void(QWidget *)> action)
{
    const QDeadlineTimer deadline(30000);
    QTimer::singleShot(0, [action = std::move(action), deadline] { pollModal(action, deadline); });
}

QString binaryDir()
{
    const QString fromEnvironment = qEnvironmentVariable("VELUNAS_BIN_DIR");
    return fromEnvironment.isEmpty() ? QCoreApplication::applicationDirPath() : fromEnvironment;
}

ToolRun runTool(const QString &program, const QStringList &arguments, const QByteArray &input)
{
    QProcess process;
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    ToolRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = process.readAllStandardOutput();
    run.errors = process.readAllStandardError();
    return run;
}

void useDeskKey(const QString &folder, const QByteArray &bytes)
{
    const QString path = folder + (bytes.isEmpty() ? QStringLiteral("/sem-chave") : QStringLiteral("/dtpassword.key"));
    if (!bytes.isEmpty()) {
#ifdef Q_OS_WIN
        // Kept as Windows keeps the key: sealed by DPAPI for this computer.
        DATA_BLOB in{static_cast<DWORD>(bytes.size()), reinterpret_cast<BYTE *>(const_cast<char *>(bytes.data()))};
        DATA_BLOB out{};
        if (!CryptProtectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_LOCAL_MACHINE, &out))
            qFatal("cannot protect the test key");
        const QByteArray stored(reinterpret_cast<const char *>(out.pbData), static_cast<qsizetype>(out.cbData));
        LocalFree(out.pbData);
#else
        const QByteArray &stored = bytes;
#endif
        QFile file(path);
        // As the desk accepts a key: its owner's alone to write, nobody else's to read.
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(stored) != stored.size() ||
            !file.setPermissions(QFile::ReadOwner | QFile::WriteOwner))
            qFatal("cannot write the test key %s", qPrintable(path));
    }
    qputenv("VELUNAS_KEY_FILE", QFile::encodeName(path));
}

void executeOn(const QString &connectionString, const QString &statement)
{
    platform::Connection connection;
    connection.setConnectionString(connectionString);
    connection.Open();
    connection.Execute(statement);
    connection.Close();
}

QList<QList<QVariant>> rowsOn(const QString &connectionString, const QString &statement)
{
    platform::Connection connection;
    connection.setConnectionString(connectionString);
    connection.Open();
    const platform::ResultTable table = connection.query(statement);
    connection.Close();
    return table.rows.toList();
}

#ifdef Q_OS_LINUX
namespace {
// Hands the calling thread's effective capabilities (the word that holds
// those past file modes) to `change`, and sets what it leaves there.
void changeEffective(const std::function<void(quint32 &)> &change)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capget, &header, data) != 0)
        qFatal("capget failed");
    change(data[0].effective);
    if (::syscall(SYS_capset, &header, data) != 0)
        qFatal("capset failed");
}
} // namespace

FileModesObeyed::FileModesObeyed()
{
    changeEffective([this](quint32 &effective) {
        m_saved = effective;
        effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    });
}

FileModesObeyed::~FileModesObeyed()
{
    changeEffective([this](quint32 &effective) { effective = m_saved; });
}
#else
FileModesObeyed::FileModesObeyed() = default;
FileModesObeyed::~FileModesObeyed() = default;
#endif

} // namespace testsupport
