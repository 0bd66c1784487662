#include "platform/db/access/Recordset.h"

#include "platform/db/access/Connection.h"
#include "platform/runtime/RuntimeError.h"

namespace platform {

namespace {
RuntimeError noCurrentRecord()
{
    return RuntimeError(ErrorNumber::NoCurrentRecord,
                        QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                                       "Requested operation requires a current record."));
}
RuntimeError itemNotFound()
{
    return RuntimeError(ErrorNumber::ItemNotFound,
                        QStringLiteral("Item cannot be found in the collection corresponding to the requested "
                                       "name or ordinal."));
}
} // namespace

Recordset::Recordset(ResultTable table) : m_table(std::move(table)), m_open(true)
{
}

void Recordset::Open(const QString &source, Connection &connection, int, int)
{
    m_table = connection.query(source);
    m_position = 0;
    m_open = true;
}

void Recordset::Close()
{
    requireOpen();
    m_open = false;
    m_table = ResultTable();
    m_position = 0;
}

void Recordset::requireOpen() const
{
    if (!m_open)
        throw RuntimeError(ErrorNumber::ConnectionClosed,
                           QStringLiteral("Operation is not allowed when the object is closed."));
}

bool Recordset::isEOF() const
{
    requireOpen();
    return m_position >= m_table.rows.size();
}

bool Recordset::isBOF() const
{
    requireOpen();
    return m_position < 0 || m_table.rows.isEmpty();
}

void Recordset::MoveFirst()
{
    requireOpen();
    m_position = 0;
}

void Recordset::MoveNext()
{
    if (isEOF())
        throw noCurrentRecord();
    ++m_position;
}

void Recordset::MoveLast()
{
    requireOpen();
    if (m_table.rows.isEmpty())
        throw noCurrentRecord();
    m_position = m_table.rows.size() - 1;
}

int Recordset::fieldCount() const
{
    requireOpen();
    return static_cast<int>(m_table.columns.size());
}

QString Recordset::fieldName(int index) const
{
    requireOpen();
    if (index < 0 || index >= m_table.columns.size())
        throw itemNotFound();
    return m_table.columns.at(index);
}

int Recordset::findField(const QString &name) const
{
    requireOpen();
    for (qsizetype i = 0; i < m_table.columns.size(); ++i)
        if (m_table.columns.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

int Recordset::indexOf(const QString &name) const
{
    const int index = findField(name);
    if (index < 0)
        throw itemNotFound();
    return index;
}

QVariant Recordset::value(int index) const
{
    fieldName(index);
    if (isEOF() || isBOF())
        throw noCurrentRecord();
    return m_table.rows.value(m_position, index);
}

QVariant Recordset::value(const QString &name) const
{
    return value(indexOf(name));
}

} // namespace platform
