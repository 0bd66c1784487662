#pragma once

#include "data/MemberSink.h"
#include "platform/db/access/Connection.h"

#include <QString>

namespace memberimport {

// The members of a register file replaced in one transaction, written a
// slice at a time as the import reads them: a desk searching meanwhile sees
// the old register or the new one. The delivery table is never touched.
class RegisterReplacement final : public MemberSink
{
public:
    explicit RegisterReplacement(QString registerFile);
    ~RegisterReplacement() override; // the old register stays unless committed

    void write(const QList<demo::Member> &members) override;
    void commit() override;

private:
    void begin();

    QString m_file;
    platform::Connection m_connection;
    bool m_begun = false;
};

} // namespace memberimport
