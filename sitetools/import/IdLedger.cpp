#include "sitetools/import/IdLedger.h"

#include "platform/db/sqlite/SqliteProvider.h"
#include "platform/runtime/RuntimeError.h"
#include "sitetools/demo/DemoDatabase.h"

#include <QHash>
#include <QStringList>

namespace memberimport {

IdLedger::IdLedger()
{
    if (!m_folder.isValid())
        throw platform::RuntimeError(
            platform::ErrorNumber::InternalError,
            QStringLiteral("no temporary folder for the import: %1").arg(m_folder.errorString()));
    const QString file = m_folder.filePath(QStringLiteral("ids.db"));
    platform::sqlite::createDatabaseFile(
        file, QStringLiteral("CREATE TABLE taken (contacto_id INTEGER PRIMARY KEY, first_line INTEGER NOT NULL);"));
    m_connection.setConnectionString(demo::fileConnectionString(file));
    m_connection.Open();
    // Never committed: the file goes with the import, and is not synced slice by slice.
    m_connection.Execute(QStringLiteral("BEGIN"));
}

IdLedger::~IdLedger()
{
    m_connection.Close();
}

QList<qint64> IdLedger::take(const QList<std::pair<qint64, qint64>> &idsAndLines)
{
    if (idsAndLines.isEmpty())
        return {};
    QStringList ids;
    for (const auto &[id, line] : idsAndLines)
        ids << QString::number(id);
    QHash<qint64, qint64> firstLine;
    const platform::ResultTable taken = m_connection.query(
        QStringLiteral("SELECT contacto_id, first_line FROM taken WHERE contacto_id IN (%1)").arg(ids.join(u',')));
    for (qsizetype row = 0; row < taken.rows.size(); ++row) {
        qint64 id = 0;
        qint64 line = 0;
        if (taken.rows.integerAt(row, 0, &id) && taken.rows.integerAt(row, 1, &line))
            firstLine.insert(id, line);
    }
    QList<qint64> earlier;
    QStringList added;
    for (const auto &[id, line] : idsAndLines) {
        const qint64 first = firstLine.value(id);
        earlier << first;
        if (first == 0) {
            firstLine.insert(id, line); // a duplicate within the slice
            added << QStringLiteral("(%1, %2)").arg(id).arg(line);
        }
    }
    if (!added.isEmpty())
        m_connection.Execute(
            QStringLiteral("INSERT INTO taken (contacto_id, first_line) VALUES %1").arg(added.join(u',')));
    return earlier;
}

} // namespace memberimport
