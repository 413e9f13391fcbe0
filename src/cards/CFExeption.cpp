#include "CFExeption.h"

#include <cstring>
#include <locale.h>
#include <utility>

namespace {

locale_t neutralLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return locale;
}

} // namespace

CFExeption::CFExeption(QString message, quint32 code)
    : m_message(std::move(message)), m_what(m_message.toUtf8()), m_code(code)
{
}

CFExeption CFExeption::fromSystemCode(int code)
{
    const locale_t locale = neutralLocale();
    const char *text = locale ? strerror_l(code, locale) : std::strerror(code);
    return CFExeption(QString::fromLocal8Bit(text), static_cast<quint32>(code));
}

CFExeption CFExeption::fromText(QString message)
{
    return CFExeption(std::move(message), 0);
}

const char *CFExeption::what() const noexcept
{
    return m_what.constData();
}
