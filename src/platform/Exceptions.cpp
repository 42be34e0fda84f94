#include "platform/Exceptions.h"

#include <QCoreApplication>

namespace Diduza {

Exception::Exception(const QString &message)
    : m_message(message)
    , m_utf8(message.toUtf8())
{
}

Exception::~Exception() = default;

const char *Exception::what() const noexcept
{
    return m_utf8.constData();
}

EAbort::EAbort()
    : Exception(QCoreApplication::translate("Diduza::Exception", "Operation aborted"))
{
}

EInvalidCast::EInvalidCast()
    : Exception(QCoreApplication::translate("Diduza::Exception", "Invalid class typecast"))
{
}

void Abort()
{
    throw EAbort();
}

bool TryStrToInt(const QString &text, int &value)
{
    const int n = text.size();
    int i = 0;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i == n)
        return false;
    qint64 result = 0;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        result = result * 10 + (c - u'0');
        if (result > qint64(2147483648LL))
            return false;
    }
    if (negative)
        result = -result;
    if (result > 2147483647LL || result < -2147483648LL)
        return false;
    value = int(result);
    return true;
}

int StrToInt(const QString &text)
{
    int value = 0;
    if (!TryStrToInt(text, value))
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

} // namespace Diduza
