#include "platform/db/access/ConnectionString.h"

namespace platform {

ConnectionProperties ConnectionProperties::parse(const QString &text)
{
    ConnectionProperties properties;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const qsizetype equals = text.indexOf(QLatin1Char('='), i);
        if (equals < 0)
            break;
        const QString key = text.mid(i, equals - i).trimmed();
        i = equals + 1;
        while (i < n && text.at(i) == QLatin1Char(' '))
            ++i;
        QString value;
        const QChar open = i < n ? text.at(i) : QChar();
        if (open == QLatin1Char('"') || open == QLatin1Char('\'') || open == QLatin1Char('{')) {
            // A quoted or braced value may hold ";"; a doubled closer stands for itself.
            const QChar close = open == QLatin1Char('{') ? QLatin1Char('}') : open;
            ++i;
            while (i < n) {
                if (text.at(i) == close) {
                    if (i + 1 < n && text.at(i + 1) == close) {
                        value += close;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += text.at(i++);
            }
            const qsizetype semicolon = text.indexOf(QLatin1Char(';'), i);
            i = semicolon < 0 ? n : semicolon + 1;
        } else {
            const qsizetype semicolon = text.indexOf(QLatin1Char(';'), i);
            const qsizetype end = semicolon < 0 ? n : semicolon;
            value = text.mid(i, end - i).trimmed();
            i = end + 1;
        }
        if (!key.isEmpty())
            properties.m_pairs.append({key, value});
    }
    return properties;
}

QString quotedConnectionValue(const QString &value)
{
    const bool plain = !value.contains(QLatin1Char(';')) && value.trimmed() == value &&
                       !value.startsWith(QLatin1Char('"')) && !value.startsWith(QLatin1Char('\'')) &&
                       !value.startsWith(QLatin1Char('{'));
    if (plain)
        return value;
    return QLatin1Char('"') + QString(value).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

QString ConnectionProperties::value(const QString &key) const
{
    for (const auto &pair : m_pairs)
        if (pair.first.compare(key, Qt::CaseInsensitive) == 0)
            return pair.second;
    return QString();
}

bool ConnectionProperties::contains(const QString &key) const
{
    for (const auto &pair : m_pairs)
        if (pair.first.compare(key, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

int commandTimeoutSeconds(const ConnectionProperties &properties)
{
    bool ok = false;
    const int seconds = properties.value(QStringLiteral("Command Timeout")).trimmed().toInt(&ok);
    return ok && seconds >= 0 ? seconds : DefaultCommandTimeoutSeconds;
}

} // namespace platform
