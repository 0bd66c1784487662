#pragma once

#include "sitetools/report/Delivery.h"

#include <QByteArray>
#include <QIODevice>

namespace report {

enum class CsvForm {
    // What a Portuguese spreadsheet opens without asking: UTF-8 with a
    // byte-order mark, ";" between fields.
    Spreadsheet,
    // Plain UTF-8 with ",", for other programs.
    Plain,
};

// Writes every delivery standing (an undone one is no delivery) as a line of
// number, date and time (dd-mm-yyyy hh:mm), association, company number,
// name, company and e-mail, under a header line.
class DeliveryCsv
{
public:
    DeliveryCsv(QIODevice &out, CsvForm form);

    void add(const Delivery &delivery);
    // Raises a RuntimeError when the device took less than it was given.
    void flush();

private:
    void field(const QString &value, bool last = false);

    QIODevice &m_out;
    CsvForm m_form;
    char m_separator;
    QByteArray m_pending;
};

} // namespace report
