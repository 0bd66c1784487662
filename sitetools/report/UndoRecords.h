#pragma once

#include "platform/db/access/Connection.h"
#include "sitetools/report/DeskConnections.h"

#include <QDateTime>
#include <QList>

namespace report {

// The record table of undone deliveries: each undone delivery's original
// row, when it was undone, by which account on which computer, and why.
inline constexpr char16_t RecordTable[] = u"tbAnulacoes";

struct UndoneRecord
{
    qint32 number = 0;
    QDateTime delivered;
    QString nome;
    QDateTime undoneAt;
    QString account;
    QString computer;
    QString reason;
};

// Every record, in order of number; an empty list when the table is not
// there yet (nothing was ever undone through the tool), told by `missing`.
QList<UndoneRecord> readUndoneRecords(platform::Connection &deliveries, bool *missing = nullptr);

// The record of one number, when there is one.
bool findUndoneRecord(platform::Connection &deliveries, qint32 number, UndoneRecord *record);

// Makes the record table where it is missing, on the embedded files and on
// PostgreSQL; on SQL Server the schema script makes it, as the desk's login
// is not meant to create tables. Raises a RuntimeError that says what to do.
void ensureRecordTable(platform::Connection &deliveries, Engine engine);

} // namespace report
