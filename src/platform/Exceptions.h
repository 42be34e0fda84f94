#pragma once

// Exception classes of the components. Failures the user must see are raised as exceptions
// that carry a message text; EAbort is the silent abort that the application handler ignores.

#include "diduzacore_export.h"

#include <QString>

#include <exception>

namespace Diduza {

class DIDUZACORE_EXPORT Exception : public std::exception {
public:
    explicit Exception(const QString &message);
    ~Exception() override;

    const QString &Message() const { return m_message; }
    const char *what() const noexcept override;

private:
    QString m_message;
    QByteArray m_utf8;
};

/// The silent abort: raised to leave an operation without a message.
class DIDUZACORE_EXPORT EAbort : public Exception {
public:
    EAbort();
};

/// A text that should be a number is not.
class DIDUZACORE_EXPORT EConvertError : public Exception {
public:
    using Exception::Exception;
};

/// An object is not of the class an operation needs.
class DIDUZACORE_EXPORT EInvalidCast : public Exception {
public:
    EInvalidCast();
    using Exception::Exception;
};

/// Raises the silent abort.
[[noreturn]] DIDUZACORE_EXPORT void Abort();

/// The platform's integer parse: an optional sign and decimal digits, nothing else (no blanks).
/// Returns false when the text is not such an integer or does not fit 32 bits.
DIDUZACORE_EXPORT bool TryStrToInt(const QString &text, int &value);
/// As TryStrToInt, raising EConvertError ("'x' is not a valid integer value") on failure.
DIDUZACORE_EXPORT int StrToInt(const QString &text);

} // namespace Diduza
