#pragma once

#include <QList>
#include <QSharedDataPointer>
#include <QVariant>

#include <initializer_list>

namespace platform {

// The rows of one result, kept as the engine handed them over: numbers and
// texts packed in one buffer, each field made a QVariant only when read. A
// search that finds 100,000 members thus costs one copy of their bytes, not
// a million strings nobody looks at.
class ResultRows
{
public:
    // One field as the engine hands it over; its bytes are copied when the
    // row is added. A date text reads back as a date when it holds one.
    struct Field
    {
        enum Kind : char { Null, Integer, Double, Text, DateText, Blob };
        Kind kind = Null;
        qint64 integer = 0;
        double real = 0;
        const char *bytes = nullptr;
        qsizetype length = 0;
    };

    ResultRows();
    ResultRows(std::initializer_list<QList<QVariant>> rows);
    ResultRows(const ResultRows &other);
    ResultRows(ResultRows &&other) noexcept;
    ResultRows &operator=(const ResultRows &other);
    ResultRows &operator=(ResultRows &&other) noexcept;
    ~ResultRows();

    qsizetype size() const;
    bool isEmpty() const { return size() == 0; }
    // A field the row lacks reads as Null, as QList::value gives.
    QVariant value(qsizetype row, qsizetype column) const;
    // The field as a whole number, without making a QVariant: false unless the
    // engine handed over an integer (a key checked over every row).
    bool integerAt(qsizetype row, qsizetype column, qint64 *value) const;
    QList<QVariant> at(qsizetype row) const;
    QList<QVariant> first() const { return at(0); }
    QList<QList<QVariant>> toList() const;

    // A row of values already made (drivers that hand over QVariants).
    void append(const QList<QVariant> &row);

    // A row of fields as the engine steps through it.
    void append(const Field *fields, qsizetype count);

    class const_iterator
    {
    public:
        const_iterator(const ResultRows *rows, qsizetype row) : m_rows(rows), m_row(row) {}
        QList<QVariant> operator*() const { return m_rows->at(m_row); }
        const_iterator &operator++()
        {
            ++m_row;
            return *this;
        }
        bool operator!=(const const_iterator &other) const { return m_row != other.m_row; }

    private:
        const ResultRows *m_rows;
        qsizetype m_row;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

private:
    struct Store;
    Store &writable();

    QSharedDataPointer<Store> d; // shared until one copy adds a row
};

} // namespace platform
