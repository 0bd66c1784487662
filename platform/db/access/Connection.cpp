#include "platform/db/access/Connection.h"

#include "platform/db/access/Provider.h"
#include "platform/runtime/RuntimeError.h"

namespace platform {

namespace {
RuntimeError closedConnection()
{
    return RuntimeError(ErrorNumber::ConnectionClosed,
                        QStringLiteral("Operation is not allowed when the object is closed."));
}
} // namespace

Connection::Connection() = default;
Connection::~Connection()
{
    if (m_provider)
        m_provider->close();
}

void Connection::setConnectionString(const QString &connectionString)
{
    if (m_provider)
        throw RuntimeError(3705, QStringLiteral("Operation is not allowed when the object is open."));
    m_connectionString = connectionString;
}

void Connection::Close()
{
    if (!m_provider)
        throw closedConnection();
    m_provider->close();
    m_provider.reset();
}

int Connection::State() const
{
    return m_provider ? ConnectionState::Open : ConnectionState::Closed;
}

Provider &Connection::requireOpen()
{
    if (!m_provider)
        throw closedConnection();
    return *m_provider;
}

ResultTable Connection::query(const QString &statement, qint64 *recordsAffected)
{
    Provider &provider = requireOpen();
    try {
        return provider.execute(statement, recordsAffected, m_errors);
    } catch (const RuntimeError &error) {
        if (m_errors.isEmpty())
            m_errors.append({error.number(), error.description(), 0, QString()});
        throw;
    }
}

std::unique_ptr<Recordset> Connection::Execute(const QString &statement, qint64 *recordsAffected, int)
{
    return std::make_unique<Recordset>(query(statement, recordsAffected));
}

} // namespace platform
