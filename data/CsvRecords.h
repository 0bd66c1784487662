#pragma once

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QStringList>

// Records of a spreadsheet's CSV export, as Excel and LibreOffice write them:
// UTF-8 or Windows-1252, separated by ";" (Portuguese locale) or ",", fields
// in double quotes holding separators, newlines and doubled quotes.
namespace csv {

struct Record
{
    int line = 0; // the line of the file where the record begins
    QStringList fields;
    bool unterminated = false; // a quoted field ran to the end of the file
};

struct Records
{
    QChar separator;
    QList<Record> records; // blank lines left out
};

// The separator is the one of ";" and "," the first record holds more of
// (";" when neither): a header row has no reason to quote its names.
Records readRecords(const QByteArray &bytes);

} // namespace csv
