#pragma once

#include <QString>

namespace platform {

// The account this process runs under, as a record of what a site tool
// changed names it: on Linux the effective user's name (with the caller's
// name when sudo started it), on Windows the logged-on user's.
QString accountName();

// Whether this account may change the desks' embedded files: on Linux root
// or a member of the operators' group "velunas"; on Windows every user the
// installer let write the common data folder. When not, why, in words for
// whoever runs the tool.
bool mayChangeDeskFiles(QString *why);

} // namespace platform
