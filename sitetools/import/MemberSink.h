#pragma once

#include "sitetools/demo/DemoDatabase.h"

#include <QList>

namespace memberimport {

// Where an import's members go, a slice at a time in the file's order. The
// members written count only once commit() is called; a sink destroyed
// before that keeps nothing of them. Both raise a RuntimeError on failure.
class MemberSink
{
public:
    virtual ~MemberSink() = default;
    virtual void write(const QList<demo::Member> &members) = 0;
    virtual void commit() = 0;
};

} // namespace memberimport
