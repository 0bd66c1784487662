#pragma once

#include <QString>
#include <QVariant>

namespace platform {
class Recordset;
}

namespace modData {

// The display text of one field of the current row: one blank for a field
// the recordset lacks or a Null value, "" for an unknown kind or an error
// (which is reported).
QString ListField(platform::Recordset &recordset, const QString &fieldName, int kind);
// The text ListField gives for a value already read.
QString ListText(const QVariant &value, int kind);

} // namespace modData
