#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace platform {

// The "key=value;" pairs of a connection string, in their order. Keys are
// looked up without regard to case; values may be quoted or braced.
class ConnectionProperties
{
public:
    static ConnectionProperties parse(const QString &connectionString);

    QString value(const QString &key) const; // empty when absent
    bool contains(const QString &key) const;
    const QList<QPair<QString, QString>> &pairs() const { return m_pairs; }

private:
    QList<QPair<QString, QString>> m_pairs;
};

// How long one statement may run, in seconds, when a string names no
// "Command Timeout": a stalled server or a lock held elsewhere must not freeze
// the desk.
inline constexpr int DefaultCommandTimeoutSeconds = 30;

// The string's "Command Timeout" in seconds: 0 is no limit; absent, negative or
// not a number gives DefaultCommandTimeoutSeconds.
int commandTimeoutSeconds(const ConnectionProperties &properties);

// A value as parse() reads it back whole: one holding ";", a leading quote
// or brace, or blanks at its ends goes in double quotes; any other stays as is.
QString quotedConnectionValue(const QString &value);

} // namespace platform
