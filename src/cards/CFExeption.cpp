#include "CFExeption.h"

#include "base/SystemError.h"

#include <utility>

CFExeption::CFExeption(QString message, quint32 code)
    : m_message(std::move(message)), m_what(m_message.toUtf8()), m_code(code)
{
}

CFExeption CFExeption::fromSystemCode(int code)
{
    return CFExeption(plainSystemErrorText(code), static_cast<quint32>(code));
}

CFExeption CFExeption::fromText(QString message)
{
    return CFExeption(std::move(message), 0);
}

const char *CFExeption::what() const noexcept
{
    return m_what.constData();
}
