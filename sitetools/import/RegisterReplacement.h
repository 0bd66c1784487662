#pragma once

#include "platform/db/sqlite/FoldedTableReplacement.h"
#include "sitetools/import/MemberSink.h"

#include <QString>

#include <memory>

namespace memberimport {

// The members of a register file replaced: the new register is written and
// indexed beside the old one, a slice at a time, and swapped in at commit in
// a transaction that holds the file's write lock for a moment only. A desk
// searching meanwhile sees the old register or the new one, and a desk
// delivering into the same file never waits long. The delivery table is never
// touched; without a commit the old register stays as it was.
class RegisterReplacement final : public MemberSink
{
public:
    explicit RegisterReplacement(QString registerFile);

    void write(const QList<demo::Member> &members) override;
    void commit() override;

private:
    platform::sqlite::FoldedTableReplacement &replacement();

    QString m_file;
    std::unique_ptr<platform::sqlite::FoldedTableReplacement> m_replacement;
};

} // namespace memberimport
