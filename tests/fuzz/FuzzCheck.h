#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Every fuzz target's entry point, called once per input by libFuzzer or by
// the replay driver.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace fuzz {

inline QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// A broken property ends the run as a crash would, so the input is kept.
[[noreturn]] inline void fail(const char *what, const QString &detail)
{
    std::fprintf(stderr, "property broken: %s\n%s\n", what, detail.toUtf8().constData());
    std::abort();
}

inline void check(bool holds, const char *what, const QString &detail = QString())
{
    if (!holds)
        fail(what, detail);
}

} // namespace fuzz
