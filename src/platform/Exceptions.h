#pragma once

// Exception classes of the components. Failures the user must see are raised as exceptions
// that carry a message text; EAbort is the silent abort that the application handler ignores.

#include "diduzacore_export.h"

#include <QString>

#include <exception>

namespace Diduza {

/// The base of the components' exceptions: a failure with a message for the user.
class DIDUZACORE_EXPORT Exception : public std::exception {
public:
    /// An exception carrying message (already translated).
    explicit Exception(const QString &message);
    ~Exception() override; ///< Exceptions are copied and destroyed freely.

    /// The message, as given to the constructor.
    const QString &Message() const { return m_message; }
    /// The message in UTF-8; valid while the exception lives.
    const char *what() const noexcept override;

private:
    /// See Message.
    QString m_message;
    /// The message as what() returns it.
    QByteArray m_utf8;
};

/// The silent abort: raised to leave an operation without a message.
class DIDUZACORE_EXPORT EAbort : public Exception {
public:
    /// Carries the message "Operation aborted", which is never shown.
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
    /// Carries the message "Invalid class typecast".
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
