#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace platform {

// Error numbers the desk tells apart; the rest are only passed on to the report.
namespace ErrorNumber {
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int TypeMismatch = 13;
inline constexpr int InternalError = 51;
inline constexpr int ObjectNotSet = 91;
inline constexpr int InvalidPropertyValue = 380;
inline constexpr int PropertyReadOnly = 383;
inline constexpr int CannotCreateObject = 429;
inline constexpr int MethodNotSupported = 438;
inline constexpr int NoCurrentRecord = 3021;
inline constexpr int ItemNotFound = 3265;
inline constexpr int ProviderNotFound = 3706;
inline constexpr int ConnectionClosed = 3709;
inline constexpr int KeyNotUnique = 35602;
} // namespace ErrorNumber

// The one run-time error of the system: a number and a description, as the
// error-reporting component receives them.
class RuntimeError : public std::exception
{
public:
    enum class Kind { General, UniqueViolation };

    RuntimeError(int number, QString description, Kind kind = Kind::General);

    int number() const { return m_number; }
    const QString &description() const { return m_description; }
    // A provider error raised by a unique constraint of the database.
    bool isUniqueViolation() const { return m_kind == Kind::UniqueViolation; }

    const char *what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_description;
    Kind m_kind;
    QByteArray m_what;
};

// Turns whatever a handler caught into the run-time error it stands for.
// Call only inside a catch block.
RuntimeError currentRuntimeError();

} // namespace platform
