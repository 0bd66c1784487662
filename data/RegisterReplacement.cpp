#include "data/RegisterReplacement.h"

namespace memberimport {

RegisterReplacement::RegisterReplacement(QString registerFile) : m_file(std::move(registerFile))
{
}

RegisterReplacement::~RegisterReplacement()
{
    if (!m_begun)
        return;
    try {
        m_connection.Execute(QStringLiteral("ROLLBACK"));
    } catch (...) {
        // Closing the connection ends the transaction anyway.
    }
    m_connection.Close();
}

void RegisterReplacement::begin()
{
    // Emptying and filling a register of a million members takes minutes:
    // work that ends, so only a wait for another desk's lock is bounded.
    m_connection.setConnectionString(demo::fileConnectionString(m_file) +
                                     QStringLiteral(";Command Timeout=0;Busy Timeout=30000"));
    m_connection.Open();
    m_connection.Execute(QStringLiteral("BEGIN"));
    m_begun = true;
    m_connection.Execute(QStringLiteral("DELETE FROM tbAssociados"));
}

void RegisterReplacement::write(const QList<demo::Member> &members)
{
    if (!m_begun)
        begin();
    if (!members.isEmpty())
        m_connection.Execute(demo::insertStatement(members));
}

void RegisterReplacement::commit()
{
    if (!m_begun)
        begin();
    m_connection.Execute(QStringLiteral("COMMIT"));
    m_connection.Close();
    m_begun = false;
}

} // namespace memberimport
