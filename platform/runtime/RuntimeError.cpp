#include "platform/runtime/RuntimeError.h"

#include <new>

namespace platform {

RuntimeError::RuntimeError(int number, QString description, Kind kind)
    : m_number(number), m_description(std::move(description)), m_kind(kind),
      m_what(QByteArray::number(number) + ' ' + m_description.toUtf8())
{
}

RuntimeError currentRuntimeError()
{
    try {
        throw;
    } catch (const RuntimeError &error) {
        return error;
    } catch (const std::bad_alloc &) {
        return RuntimeError(ErrorNumber::OutOfMemory, QStringLiteral("Out of memory"));
    } catch (const std::exception &error) {
        return RuntimeError(ErrorNumber::InternalError, QString::fromLocal8Bit(error.what()));
    } catch (...) {
        return RuntimeError(ErrorNumber::InternalError, QStringLiteral("Internal error"));
    }
}

} // namespace platform
