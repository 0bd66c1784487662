#pragma once

#include "sitetools/import/CsvDecoder.h"

#include <QByteArray>
#include <QChar>
#include <QIODevice>
#include <QList>
#include <QStringList>

// Records of a spreadsheet's CSV export, as Excel and LibreOffice write them:
// UTF-8 or Windows-1252, separated by ";" (Portuguese locale) or ",", fields
// in double quotes holding separators, newlines and doubled quotes. Read a
// piece at a time, so that neither a long file nor a long field is ever held
// whole.
namespace csv {

struct Record
{
    qint64 line = 0;          // the line of the file where the record begins
    QStringList fields;       // the fields kept (see Limits)
    qsizetype fieldCount = 0; // the fields the record holds, kept or not
    bool cut = false;         // a field longer, or more fields, than the reader keeps
};

// What the reader holds at most, so that its memory stays bounded whatever
// it is given; past the last two the input is refused.
struct Limits
{
    qsizetype fieldChars = 1024;            // the start of a longer field is kept
    qsizetype fields = 1024;                // the fields kept of a record
    qint64 recordChars = 256 * 1024 * 1024; // a record longer is no spreadsheet's
    qint64 fileBytes = 2LL * 1024 * 1024 * 1024;
};

class Reader
{
public:
    explicit Reader(QIODevice &input, Limits limits = {});

    // The next record, blank lines left out. False at the end of the input
    // and when it cannot be read as CSV: an unterminated quote, two
    // encodings, a limit passed, a read error (problem() then says which).
    bool next(Record &record);

    // The one of ";" and "," the first record holds more of outside quotes
    // (";" when neither): a header row has no reason to quote its names.
    QChar separator() const { return m_separator; }
    Encoding encoding() const { return m_decoder.encoding(); }
    qint64 linesRead() const { return m_lineEnds + (m_lineOpen ? 1 : 0); }
    const QString &problem() const { return m_problem; }

private:
    enum class State { FieldStart, Unquoted, Quoted, QuoteInQuoted };

    bool fill();
    bool step(QChar c); // true when c ended a record
    void append(QChar c);
    void endField();
    void endLine();
    bool takeRecord(Record &record); // false for a blank line

    QIODevice &m_input;
    Limits m_limits;
    Decoder m_decoder;
    QByteArray m_chunk;
    QString m_text; // decoded, from m_position on not yet parsed
    qsizetype m_position = 0;
    bool m_atEnd = false;
    qint64 m_bytesRead = 0;
    QChar m_separator;

    State m_state = State::FieldStart;
    Record m_record;
    QString m_field;
    bool m_quotedField = false;  // a quote opened in the record: never a blank line
    bool m_skipLineFeed = false; // the LF of a CR LF
    qint64 m_line = 1;
    qint64 m_quoteLine = 0;
    qint64 m_recordChars = 0;
    qint64 m_lineEnds = 0;
    bool m_lineOpen = false;
    QString m_problemAhead; // met by the decoder, told once the text before it is read
    QString m_problem;
};

// Every record of bytes held in memory, and why reading stopped short, if it did.
struct Records
{
    QChar separator;
    QList<Record> records;
    QString problem;
};
Records readRecords(const QByteArray &bytes, Limits limits = {});

} // namespace csv
