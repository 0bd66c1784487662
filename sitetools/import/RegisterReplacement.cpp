#include "sitetools/import/RegisterReplacement.h"

#include "data/RegisterIndex.h"

namespace memberimport {

RegisterReplacement::RegisterReplacement(QString registerFile) : m_file(std::move(registerFile))
{
}

platform::sqlite::FoldedTableReplacement &RegisterReplacement::replacement()
{
    // Made at the first slice: a file refused before any member is read
    // leaves nothing behind in the register.
    if (!m_replacement)
        m_replacement = std::make_unique<platform::sqlite::FoldedTableReplacement>(m_file, registers::memberIndex());
    return *m_replacement;
}

void RegisterReplacement::write(const QList<demo::Member> &members)
{
    if (!members.isEmpty())
        replacement().write(demo::insertStatement(members, replacement().stagingTable()));
}

void RegisterReplacement::commit()
{
    replacement().swapIn();
    m_replacement.reset();
}

} // namespace memberimport
