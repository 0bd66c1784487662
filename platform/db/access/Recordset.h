#pragma once

#include "platform/db/access/ResultRows.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace platform {

class Connection;

// Rows of one statement, read to the end: every provider hands over the whole
// result, so moving back, counting and the next statement behave alike.
struct ResultTable
{
    QStringList columns;
    ResultRows rows; // a Null field is an invalid QVariant
};

// Cursor and lock types a caller may ask for; the rows are kept client-side
// whatever is asked.
namespace CursorType {
inline constexpr int Unspecified = -1;
inline constexpr int ForwardOnly = 0;
inline constexpr int Dynamic = 2;
} // namespace CursorType
namespace LockType {
inline constexpr int Unspecified = -1;
inline constexpr int ReadOnly = 1;
inline constexpr int Optimistic = 3;
} // namespace LockType

// The result set of one statement, positioned on one row at a time.
class Recordset
{
public:
    Recordset() = default;
    explicit Recordset(ResultTable table);

    // Runs the statement on the connection and keeps its rows.
    void Open(const QString &source, Connection &connection, int cursorType = CursorType::Unspecified,
              int lockType = LockType::Unspecified);
    void Close();
    int State() const { return m_open ? 1 : 0; }

    bool isEOF() const;
    bool isBOF() const;
    void MoveFirst();
    void MoveNext();
    void MoveLast();

    int fieldCount() const;
    // Both raise 3265 for an index or name the result set lacks; names are
    // compared without regard to case.
    QString fieldName(int index) const;
    QVariant value(int index) const; // 3021 without a current row
    QVariant value(const QString &name) const;
    // The index of a field by name, or -1 when the result set lacks it.
    int findField(const QString &name) const;
    // Every row, whatever the position: a list shows them without moving it.
    const ResultTable &table() const { return m_table; }

private:
    void requireOpen() const;
    int indexOf(const QString &name) const;

    ResultTable m_table;
    qsizetype m_position = 0;
    bool m_open = false;
};

} // namespace platform
