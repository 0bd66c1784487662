#pragma once

#include "platform/ui/MessageBox.h"

#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWidget>

#include <functional>

namespace testsupport {

// Records every message box the program shows and answers it with OK at
// once; the real box comes back when the recorder goes.
class MessageBoxRecorder
{
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    const QList<platform::MessageBoxCall> &calls() const { return m_calls; }
    void clear() { m_calls.clear(); }

private:
    QList<platform::MessageBoxCall> m_calls;
};

// Stands in for "ErrorReporting.General" and keeps every report's five texts.
class ReportCapture
{
public:
    ReportCapture();
    ~ReportCapture();
    const QList<QStringList> &reports() const { return *m_reports; }
    void clear() { m_reports->clear(); }

private:
    std::shared_ptr<QList<QStringList>> m_reports;
};

// Waits for a modal window to come up and then acts on it: the modal show
// returns only once the action closes it.
void whenModal(std::function<void(QWidget *)> action);

// Whether text in this font is drawn from the face the program carries (the
// regular DejaVu Sans Condensed), whatever the font database calls it.
bool drawnInDeskFace(const QFont &font);

// One statement on a connection of its own, for setting up and reading back.
void executeOn(const QString &connectionString, const QString &statement);
QList<QList<QVariant>> rowsOn(const QString &connectionString, const QString &statement);

// A folder of programs the tests start (test helpers, the desk itself).
QString binaryDir();

struct ToolRun
{
    int exitCode = -1; // -1 when it crashed or did not end within a minute
    QByteArray output;
    QByteArray errors;
};

// A program as a process of its own, input written to it and then closed.
ToolRun runTool(const QString &program, const QStringList &arguments, const QByteArray &input = QByteArray());

// Gives this process (and the programs it starts) a desk key of these bytes
// in folder, or, when bytes is empty, a key path with nothing there.
void useDeskKey(const QString &folder, const QByteArray &bytes);

// While it lives, the calling thread meets file modes as an operator's
// account does, even when the tests run as root (who otherwise writes into
// any folder). Linux only; elsewhere it changes nothing.
class FileModesObeyed
{
public:
    FileModesObeyed();
    ~FileModesObeyed();
    FileModesObeyed(const FileModesObeyed &) = delete;
    FileModesObeyed &operator=(const FileModesObeyed &) = delete;

private:
    quint32 m_saved = 0; // the effective capabilities before
};

} // namespace testsupport
