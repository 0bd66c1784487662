#pragma once

#include <QString>

// The format texts that go with each format code.
namespace controls::formattexts {

// What ApplyFormat shows the Tag with; empty for codes that show no format.
QString applyFormat(int code);
// What a control shows once the operator leaves it.
QString lostFocusFormat(int code);

inline const QString DateFormat = QStringLiteral("dd-mm-yyyy");
inline const QString DateTimeFormat = QStringLiteral("dd-mm-yyyy Hh:Nn:Ss");

// The date masks of a masked edit box.
bool isDateMask(const QString &mask);

} // namespace controls::formattexts
