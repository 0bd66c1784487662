#include "platform/db/access/ResultRows.h"

#include <QByteArray>
#include <QDateTime>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace platform {

namespace {

using Field = ResultRows::Field;
constexpr char Variant = Field::Blob + 1; // a value handed over already made

// The form the embedded engine keeps the desk's dates in, read without the
// format parser (a report reads a million of them). Only a text the parser
// would read as this very date and time takes this way; a date that does not
// exist, a time within a day of a change of the local clock, or any other
// form is the parser's.
std::optional<QDateTime> plainDateTime(const char *text, qsizetype length)
{
    static constexpr char Form[] = "dddd-dd-dd dd:dd:dd";
    if (length != qsizetype(sizeof Form) - 1)
        return std::nullopt;
    for (qsizetype i = 0; i < length; ++i)
        if (Form[i] == 'd' ? (text[i] < '0' || text[i] > '9') : text[i] != Form[i])
            return std::nullopt;
    const auto digits = [text](int from, int count) {
        int value = 0;
        for (int i = from; i < from + count; ++i)
            value = value * 10 + (text[i] - '0');
        return value;
    };
    const QDate date(digits(0, 4), digits(5, 2), digits(8, 2));
    const QTime time(digits(11, 2), digits(14, 2), digits(17, 2));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    const QDateTime when(date, time);
    if (!when.isValid() || when.date() != date || when.time() != time)
        return std::nullopt;
    // Near a change of the local clock a time may be read twice over, and the
    // parser picks its own one; a day either side without a change is safe.
    constexpr qint64 Day = 26 * 3600 * 1000LL;
    const qint64 at = when.toMSecsSinceEpoch();
    const int offset = when.offsetFromUtc();
    if (QDateTime::fromMSecsSinceEpoch(at - Day).offsetFromUtc() != offset ||
        QDateTime::fromMSecsSinceEpoch(at + Day).offsetFromUtc() != offset)
        return std::nullopt;
    return when;
}

QVariant dateTimeFromText(const QString &text)
{
    static const QStringList formats = {
        QStringLiteral("yyyy-MM-dd HH:mm:ss"), QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"),
        QStringLiteral("yyyy-MM-ddTHH:mm:ss"), QStringLiteral("yyyy-MM-dd HH:mm"), QStringLiteral("yyyy-MM-dd")};
    for (const QString &format : formats) {
        const QDateTime when = QDateTime::fromString(text, format);
        if (when.isValid())
            return when;
    }
    return text; // not a date the desk wrote: shown as it is
}

template <typename T> T readAt(const char *at)
{
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// Bytes a field takes after its tag.
size_t payloadSize(char tag, const char *payload)
{
    switch (tag) {
    case Field::Integer:
    case Field::Double:
    case Variant:
        return 8;
    case Field::Text:
    case Field::DateText:
    case Field::Blob:
        return sizeof(quint32) + readAt<quint32>(payload);
    default:
        return 0;
    }
}

size_t packedSize(const Field &field)
{
    switch (field.kind) {
    case Field::Integer:
    case Field::Double:
        return 1 + 8;
    case Field::Text:
    case Field::DateText:
    case Field::Blob:
        return 1 + sizeof(quint32) + static_cast<size_t>(field.length);
    default:
        return 1;
    }
}

char *pack(char *at, const Field &field)
{
    *at++ = field.kind;
    switch (field.kind) {
    case Field::Integer:
        std::memcpy(at, &field.integer, 8);
        return at + 8;
    case Field::Double:
        std::memcpy(at, &field.real, 8);
        return at + 8;
    case Field::Text:
    case Field::DateText:
    case Field::Blob: {
        const auto length = static_cast<quint32>(field.length);
        std::memcpy(at, &length, sizeof length);
        if (length)
            std::memcpy(at + sizeof length, field.bytes, length);
        return at + sizeof length + length;
    }
    default:
        return at;
    }
}

} // namespace

struct ResultRows::Store : QSharedData
{
    Store() = default;
    Store(const Store &other)
        : QSharedData(other), used(other.used), capacity(other.used), rowStart(other.rowStart), variants(other.variants)
    {
        bytes.reset(new char[capacity]);
        if (used)
            std::memcpy(bytes.get(), other.bytes.get(), used);
    }

    // Room for n more bytes at the end, grown by half again when full.
    char *claim(size_t n)
    {
        if (used + n > capacity) {
            const size_t grown = std::max(used + n, capacity + capacity / 2 + 4096);
            std::unique_ptr<char[]> larger(new char[grown]);
            if (used)
                std::memcpy(larger.get(), bytes.get(), used);
            bytes = std::move(larger);
            capacity = grown;
        }
        char *at = bytes.get() + used;
        used += n;
        return at;
    }

    // Where a row's field begins, or nullptr past its last.
    const char *fieldAt(size_t row, qsizetype column) const
    {
        const char *at = bytes.get() + rowStart[row];
        const char *const end = bytes.get() + rowStart[row + 1];
        for (; at < end && column > 0; --column)
            at += 1 + payloadSize(*at, at + 1);
        return at < end ? at : nullptr;
    }

    QVariant read(const char *at) const
    {
        const char *payload = at + 1;
        switch (*at) {
        case Field::Integer:
            return QVariant::fromValue<qlonglong>(readAt<qint64>(payload));
        case Field::Double:
            return readAt<double>(payload);
        case Field::Text:
        case Field::DateText: {
            const char *const bytes = payload + sizeof(quint32);
            const auto length = static_cast<qsizetype>(readAt<quint32>(payload));
            if (*at == Field::DateText)
                if (const std::optional<QDateTime> when = plainDateTime(bytes, length))
                    return *when;
            const QString text = QString::fromUtf8(bytes, length);
            return *at == Field::DateText ? dateTimeFromText(text) : QVariant(text);
        }
        case Field::Blob:
            return QByteArray(payload + sizeof(quint32), readAt<quint32>(payload));
        case Variant:
            return variants[readAt<size_t>(payload)];
        default:
            return QVariant();
        }
    }

    std::unique_ptr<char[]> bytes; // each field: a tag, then its payload
    size_t used = 0;
    size_t capacity = 0;
    std::vector<size_t> rowStart{0}; // where each row begins in bytes, and where the last ends
    std::vector<QVariant> variants;
};

ResultRows::ResultRows() : d(new Store)
{
}

ResultRows::ResultRows(std::initializer_list<QList<QVariant>> rows) : ResultRows()
{
    for (const QList<QVariant> &row : rows)
        append(row);
}

ResultRows::ResultRows(const ResultRows &other) = default;
ResultRows::ResultRows(ResultRows &&other) noexcept = default;
ResultRows &ResultRows::operator=(const ResultRows &other) = default;
ResultRows &ResultRows::operator=(ResultRows &&other) noexcept = default;
ResultRows::~ResultRows() = default;

ResultRows::Store &ResultRows::writable()
{
    if (!d)
        d = new Store; // a table moved from takes rows again
    return *d;
}

qsizetype ResultRows::size() const
{
    return d ? static_cast<qsizetype>(d->rowStart.size()) - 1 : 0;
}

QVariant ResultRows::value(qsizetype row, qsizetype column) const
{
    if (row < 0 || row >= size() || column < 0)
        return QVariant();
    const char *at = d->fieldAt(static_cast<size_t>(row), column);
    return at ? d->read(at) : QVariant();
}

bool ResultRows::integerAt(qsizetype row, qsizetype column, qint64 *value) const
{
    if (row < 0 || row >= size() || column < 0)
        return false;
    const char *at = d->fieldAt(static_cast<size_t>(row), column);
    if (at && *at == Field::Integer) {
        *value = readAt<qint64>(at + 1);
        return true;
    }
    if (!at || *at != Variant)
        return false;
    const QVariant &kept = d->variants[readAt<size_t>(at + 1)];
    if (kept.typeId() != QMetaType::LongLong && kept.typeId() != QMetaType::Int)
        return false;
    *value = kept.toLongLong();
    return true;
}

QList<QVariant> ResultRows::at(qsizetype row) const
{
    QList<QVariant> values;
    if (row < 0 || row >= size())
        return values;
    const char *at = d->bytes.get() + d->rowStart[static_cast<size_t>(row)];
    const char *const end = d->bytes.get() + d->rowStart[static_cast<size_t>(row) + 1];
    for (; at < end; at += 1 + payloadSize(*at, at + 1))
        values.append(d->read(at));
    return values;
}

QList<QList<QVariant>> ResultRows::toList() const
{
    QList<QList<QVariant>> rows;
    rows.reserve(size());
    for (qsizetype r = 0; r < size(); ++r)
        rows.append(at(r));
    return rows;
}

void ResultRows::append(const QList<QVariant> &row)
{
    Store &store = writable();
    char *at = store.claim(static_cast<size_t>(row.size()) * 9);
    for (const QVariant &value : row) {
        const size_t index = store.variants.size();
        store.variants.push_back(value);
        *at = Variant;
        std::memcpy(at + 1, &index, sizeof index);
        at += 9;
    }
    store.rowStart.push_back(store.used);
}

void ResultRows::append(const Field *fields, qsizetype count)
{
    Store &store = writable();
    size_t size = 0;
    for (qsizetype i = 0; i < count; ++i)
        size += packedSize(fields[i]);
    char *at = store.claim(size);
    for (qsizetype i = 0; i < count; ++i)
        at = pack(at, fields[i]);
    store.rowStart.push_back(store.used);
}

} // namespace platform
