#pragma once

#include "sitetools/demo/DemoDatabase.h"
#include "sitetools/import/CsvRecords.h"

#include <QList>
#include <QString>
#include <QStringList>

// The rows of a member list's CSV as members of a register: the header row
// says which field is which column, and each row either is a member the desk
// can search and deliver to, or is rejected with the reason.
namespace memberimport {

// The header names each column accepts, compared without regard to case,
// accents, blanks and punctuation: "Nº Sócio" is "no_socio". In the order of
// the view's columns; the first name of each is the view's own.
QList<QStringList> acceptedHeaderNames();

class MemberRows
{
public:
    // Empty when the header names the columns a member needs; else why not.
    QString readHeader(const csv::Record &header);
    const QStringList &ignoredColumns() const { return m_ignoredColumns; }

    // Empty when the record is a member, put in member; else why the line is
    // rejected. Duplicate ids are for the caller, which sees every line.
    QString readMember(const csv::Record &record, demo::Member &member) const;

private:
    QString field(const csv::Record &record, int column) const;
    QString textProblem(const csv::Record &record, int column, QString *text) const;

    QList<int> m_fieldOf; // the field of each column, -1 when none
    qsizetype m_width = 0;
    qsizetype m_namedWidth = 0; // up to the last field the header names
    QStringList m_ignoredColumns;
};

} // namespace memberimport
