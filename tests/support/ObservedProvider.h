#pragma once

#include "platform/db/access/Provider.h"
#include "platform/db/sqlite/SqliteProvider.h"

#include <functional>

namespace testsupport {

// The real embedded provider, with a look at every open just before it
// happens; registered under another provider's name, it stands in for it.
class ObservedProvider final : public platform::Provider
{
public:
    using OpenObserver = std::function<void(const platform::ConnectionProperties &)>;
    explicit ObservedProvider(OpenObserver observer) : m_observer(std::move(observer)) {}

    void open(const platform::ConnectionProperties &properties, const QString &user, const QString &password,
              QList<platform::ErrorRecord> &errors) override
    {
        m_observer(properties);
        m_real.open(properties, user, password, errors);
    }
    platform::ResultTable execute(const QString &statement, qint64 *affected,
                                  QList<platform::ErrorRecord> &errors) override
    {
        return m_real.execute(statement, affected, errors);
    }
    void close() override { m_real.close(); }

private:
    OpenObserver m_observer;
    platform::sqlite::SqliteProvider m_real;
};

} // namespace testsupport
