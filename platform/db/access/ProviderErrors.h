#pragma once

namespace platform {

// Run-time error numbers of provider failures, as the OLE DB layer numbers them,
// so that every provider raises the same ones for the same kind of failure.
namespace ProviderError {
inline constexpr int OpenFailed = -2147467259;         // the database cannot be reached or opened
inline constexpr int StatementFailed = -2147217900;    // the statement was refused or failed
inline constexpr int IntegrityViolation = -2147217873; // a constraint refused the change
inline constexpr int TimeoutExpired = -2147217871;     // the statement ran past its command timeout
} // namespace ProviderError

} // namespace platform
