#include "sitetools/import/MemberImport.h"

#include "data/RegisterIndex.h"
#include "platform/db/access/Connection.h"
#include "platform/db/access/ConnectionString.h"
#include "platform/os/ToolInput.h"
#include "platform/runtime/RuntimeError.h"
#include "sitetools/import/CsvRecords.h"
#include "sitetools/import/IdLedger.h"
#include "sitetools/import/RegisterReplacement.h"

#include <QFile>
#include <QFileInfo>

namespace memberimport {

namespace {

// Rows in one statement, as demo::insertMembers sends them.
constexpr qsizetype SliceRows = 1000;

// The lines read since the last slice, in order: members, and lines rejected
// for what they hold. Duplicate ids are found when the slice is handed on.
class Slice
{
public:
    Slice(IdLedger &ledger, MemberSink &sink, const RejectionHandler &rejected)
        : m_ledger(ledger), m_sink(sink), m_rejected(rejected)
    {
    }

    bool full() const { return m_lines.size() >= SliceRows; }
    void add(qint64 line, const demo::Member &member, const QString &reason) { m_lines.append({line, member, reason}); }

    // Tells the rejected lines and, while the register may still be loaded,
    // writes the members: all or nothing, after the first rejected line the
    // rest is only read to list every other one.
    void handOn(bool skipRejected, Outcome &outcome, qint64 &accepted)
    {
        QList<std::pair<qint64, qint64>> ids;
        for (const Line &line : std::as_const(m_lines))
            if (line.reason.isEmpty())
                ids.append({line.member.contactoId, line.line});
        const QList<qint64> earlier = m_ledger.take(ids);
        QList<demo::Member> members;
        qsizetype next = 0;
        for (Line &line : m_lines) {
            if (line.reason.isEmpty()) {
                if (const qint64 first = earlier.at(next++); first > 0)
                    line.reason =
                        QStringLiteral("contacto_id %1 is already on line %2").arg(line.member.contactoId).arg(first);
            }
            if (line.reason.isEmpty()) {
                members << line.member;
            } else {
                ++outcome.linesRejected;
                if (m_rejected)
                    m_rejected({line.line, line.reason});
            }
        }
        accepted += members.size();
        if ((skipRejected || outcome.linesRejected == 0) && !members.isEmpty())
            m_sink.write(members);
        m_lines.clear();
    }

private:
    struct Line
    {
        qint64 line;
        demo::Member member;
        QString reason;
    };
    IdLedger &m_ledger;
    MemberSink &m_sink;
    const RejectionHandler &m_rejected;
    QList<Line> m_lines;
};

bool holdsMemberTable(const QString &registerFile)
{
    platform::Connection connection;
    connection.setConnectionString(demo::fileConnectionString(registerFile));
    connection.Open();
    const auto table = connection.query(
        QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = 'tbAssociados'"));
    connection.Close();
    return !table.rows.isEmpty();
}

// The register beside this one in its folder, by the names the desk gives
// them; empty for a file of another name.
QString otherRegisterOf(const QString &registerFile)
{
    const QFileInfo file(registerFile);
    const demo::Files files = demo::demoFiles(file.absolutePath());
    if (file.fileName() == QFileInfo(files.haldor).fileName())
        return files.mirva;
    if (file.fileName() == QFileInfo(files.mirva).fileName())
        return files.haldor;
    return QString();
}

// The delivery table tells members apart by id and search code only, so an id
// in both registers makes one member's delivery refuse the other.
QList<qint64> idsInBoth(const QString &registerFile, const QString &otherRegister)
{
    if (!QFileInfo(otherRegister).isFile() || !holdsMemberTable(otherRegister))
        return {};
    platform::Connection connection;
    connection.setConnectionString(demo::fileConnectionString(registerFile) + QStringLiteral(";Attach=") +
                                   platform::quotedConnectionValue(otherRegister));
    connection.Open();
    const auto table = connection.query(QStringLiteral("SELECT contacto_id FROM main.tbAssociados WHERE contacto_id "
                                                       "IN (SELECT contacto_id FROM %1.tbAssociados) ORDER BY 1")
                                            .arg(QFileInfo(otherRegister).completeBaseName()));
    connection.Close();
    QList<qint64> ids;
    for (const auto &row : table.rows)
        ids << row.at(0).toLongLong();
    return ids;
}

QString registerProblem(const QString &registerFile)
{
    if (!QFileInfo(registerFile).isFile())
        return QStringLiteral("%1 is not there (--create-schema makes it)").arg(registerFile);
    if (!holdsMemberTable(registerFile))
        return QStringLiteral("%1 holds no member table tbAssociados").arg(registerFile);
    return QString();
}

} // namespace

Outcome loadMembers(QIODevice &csv, MemberSink &sink, const Options &options, const RejectionHandler &rejected)
{
    Outcome outcome;
    csv::Reader reader(csv);
    try {
        csv::Record record;
        MemberRows rows;
        if (!reader.next(record))
            outcome.problem =
                reader.problem().isEmpty() ? QStringLiteral("the file has no header row") : reader.problem();
        else
            outcome.problem = rows.readHeader(record);
        outcome.ignoredColumns = rows.ignoredColumns();
        if (outcome.problem.isEmpty()) {
            IdLedger ledger;
            Slice slice(ledger, sink, rejected);
            qint64 accepted = 0;
            qint64 records = 0;
            const auto handOn = [&] { slice.handOn(options.skipRejected, outcome, accepted); };
            while (reader.next(record)) {
                ++records;
                demo::Member member;
                const QString reason = rows.readMember(record, member);
                slice.add(record.line, member, reason);
                if (slice.full())
                    handOn();
            }
            handOn();
            if (!reader.problem().isEmpty())
                outcome.problem = reader.problem();
            else if (outcome.linesRejected > 0 && !options.skipRejected)
                outcome.problem =
                    QStringLiteral("%1 rejected, so nothing was loaded (--skip-rejected loads the "
                                   "other lines)")
                        .arg(outcome.linesRejected == 1 ? QStringLiteral("1 line was")
                                                        : QStringLiteral("%1 lines were").arg(outcome.linesRejected));
            else if (accepted == 0)
                outcome.problem = records == 0 ? QStringLiteral("the file holds no members")
                                               : QStringLiteral("every row was rejected");
            if (outcome.problem.isEmpty()) {
                sink.commit();
                outcome.loaded = true;
                outcome.membersLoaded = accepted;
            }
        }
    } catch (const platform::RuntimeError &error) {
        outcome.problem = error.description();
    }
    outcome.linesRead = reader.linesRead();
    outcome.encoding = csv::encodingName(reader.encoding());
    outcome.separator = reader.separator();
    return outcome;
}

Outcome importMembers(const QString &registerFile, QIODevice &csv, const Options &options,
                      const RejectionHandler &rejected)
{
    // A register of an earlier build is brought to the current form when it is opened.
    registers::installMemberIndex();
    Outcome outcome;
    try {
        outcome.problem = registerProblem(registerFile);
    } catch (const platform::RuntimeError &error) {
        outcome.problem = error.description();
    }
    if (!outcome.problem.isEmpty())
        return outcome;
    {
        RegisterReplacement replacement(registerFile);
        outcome = loadMembers(csv, replacement, options, rejected);
    }
    if (!outcome.loaded)
        return outcome;
    outcome.otherRegister = otherRegisterOf(registerFile);
    try {
        outcome.sharedIds = idsInBoth(registerFile, outcome.otherRegister);
    } catch (const platform::RuntimeError &) {
        // Loaded all the same: the other register is only looked at.
    }
    return outcome;
}

Outcome importMembersFromFile(const QString &registerFile, const QString &csvPath, const Options &options,
                              const RejectionHandler &rejected)
{
    QFile file;
    QString why;
    if (!platform::openToolInput(file, csvPath, &why)) {
        Outcome outcome;
        outcome.problem = why;
        return outcome;
    }
    return importMembers(registerFile, file, options, rejected);
}

} // namespace memberimport
