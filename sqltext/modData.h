#pragma once

#include <QString>
#include <QVariant>

namespace platform {
class Recordset;
}

namespace modData {

// How a field is shown: its Format pattern (or its plain text).
enum class DisplayKind {
    Date = 1,        // dd-mm-yyyy
    Amount = 2,      // #,##0.00
    Text = 3,        // the value as text
    Euros = 4,       // € #,##0.00
    Percent = 5,     // 0.00 %
    WholeNumber = 6, // #,##0, rounded first
    DateTime = 7,    // dd-mm-yyyy Hh:Nn:Ss
    IsoDate = 8,     // yyyy-mm-dd
};

// The display text of one field of the current row: one blank for a field
// the recordset lacks or a Null value, "" for an unknown kind or an error
// (which is reported).
QString ListField(platform::Recordset &recordset, const QString &fieldName, DisplayKind kind);
// The text ListField gives for a value already read.
QString ListText(const QVariant &value, DisplayKind kind);

} // namespace modData
