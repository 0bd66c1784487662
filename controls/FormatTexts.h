#pragma once

#include "controls/modControls.h"

#include <QString>

// The format texts that go with each format code.
namespace controls::formattexts {

// What ApplyFormat shows the Tag with; empty for codes that show no format.
QString applyFormat(modControls::FormatCode code);
// What a control shows once the operator leaves it.
QString lostFocusFormat(modControls::FormatCode code);

inline const QString DateFormat = QStringLiteral("dd-mm-yyyy");
inline const QString DateTimeFormat = QStringLiteral("dd-mm-yyyy Hh:Nn:Ss");

// The date masks of a masked edit box.
bool isDateMask(const QString &mask);

} // namespace controls::formattexts
