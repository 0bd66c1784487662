#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Turns a spreadsheet export's bytes into text, a piece at a time, with one
// encoding for the whole file: UTF-8 (with or without its byte-order mark),
// or Windows-1252 when no byte of the file reads as UTF-8 beyond plain ASCII.
// A file with both (a "João" written as UTF-8 and a stray "\xE3" byte) is
// refused: reading it either way would garble part of it.
namespace csv {

enum class Encoding { Undecided, Utf8, Utf8WithMark, Windows1252 };

// "UTF-8", "UTF-8 with byte-order mark", "Windows-1252"; plain ASCII is UTF-8.
QString encodingName(Encoding encoding);

class Decoder
{
public:
    // Appends the text of bytes to text; a sequence cut at the end of bytes
    // is kept for the next call. False when the file mixes two encodings
    // (problem() says where); nothing is appended from the conflict on.
    bool decode(QByteArrayView bytes, QString &text);
    // The end of the file: a sequence left open is a stray byte.
    bool finish(QString &text);

    Encoding encoding() const { return m_encoding; }
    const QString &problem() const { return m_problem; }

private:
    bool decodeFrom(const unsigned char *bytes, qsizetype size, bool final, qsizetype *used, QString &text);
    bool conflict(qint64 line);
    void countLine(unsigned char byte);

    Encoding m_encoding = Encoding::Undecided;
    bool m_started = false; // the byte-order mark can only come first
    QByteArray m_carry;     // the start of a sequence the last piece cut
    qint64 m_line = 1;      // the line of the next byte
    bool m_afterCarriageReturn = false;
    qint64 m_evidenceLine = 0; // where the encoding was decided
    QString m_problem;
};

} // namespace csv
