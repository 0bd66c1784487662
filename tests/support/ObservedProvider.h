#pragma once

#include "platform/db/ProviderRegistry.h"
#include "platform/db/sqlite/SqliteProvider.h"

#include <functional>

namespace testsupport {

// The real embedded provider, with a look at every open and every statement
// just before it happens; registered under another provider's name, it
// stands in for it.
class ObservedProvider final : public platform::Provider
{
public:
    using OpenObserver = std::function<void(const platform::ConnectionProperties &)>;
    using StatementObserver = std::function<void(const QString &)>;
    explicit ObservedProvider(OpenObserver observer, StatementObserver statements = {})
        : m_observer(std::move(observer)), m_statements(std::move(statements))
    {
    }

    void open(const platform::ConnectionProperties &properties, const QString &user, const QString &password,
              QList<platform::ErrorRecord> &errors) override
    {
        m_observer(properties);
        m_real.open(properties, user, password, errors);
    }
    platform::ResultTable execute(const QString &statement, qint64 *affected,
                                  QList<platform::ErrorRecord> &errors) override
    {
        if (m_statements)
            m_statements(statement);
        return m_real.execute(statement, affected, errors);
    }
    void close() override { m_real.close(); }

private:
    OpenObserver m_observer;
    StatementObserver m_statements;
    platform::sqlite::SqliteProvider m_real;
};

} // namespace testsupport
