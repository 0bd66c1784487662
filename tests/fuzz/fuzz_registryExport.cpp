// The settings export is read from a file any administrator may have edited
// by hand: every byte sequence must read without fault into a well-formed tree.
#include "platform/os/unix/RegistryExport.h"
#include "tests/fuzz/FuzzCheck.h"

using namespace platform::registryexport;

namespace {

void checkTree(const RegistryTree &tree)
{
    for (auto key = tree.cbegin(); key != tree.cend(); ++key) {
        fuzz::check(key.key() == key.key().toCaseFolded(), "keys are case-folded", key.key());
        const qsizetype slash = key.key().indexOf(QLatin1Char('\\'));
        const QString root = slash < 0 ? key.key() : key.key().left(slash);
        fuzz::check(!canonicalRootName(root).isEmpty(), "every key lies under a root", key.key());
        // A key's parent exists, as importing the key creates it.
        const qsizetype last = key.key().lastIndexOf(QLatin1Char('\\'));
        if (last >= 0)
            fuzz::check(tree.contains(key.key().left(last)), "a key's parent is a key", key.key());
        for (auto value = key->cbegin(); value != key->cend(); ++value)
            fuzz::check(value.key() == value.key().toCaseFolded(), "value names are case-folded", value.key());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    checkTree(parseRegistryExport(bytes));
    // The same bytes behind each byte-order mark reach the UTF-16 and UTF-8 readers.
    checkTree(parseRegistryExport(QByteArray("\xFF\xFE", 2) + bytes));
    checkTree(parseRegistryExport(QByteArray("\xEF\xBB\xBF", 3) + bytes));
    return 0;
}
