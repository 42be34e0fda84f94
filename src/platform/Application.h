#pragma once

// The application's exception handling. Exceptions must never leave a Qt event handler: every
// entry point that Qt drives (mouse, key and drop events, menu actions, slots, deferred
// deletions, destructors) runs its work through Guarded(), which hands an escaping exception
// to one replaceable handler. The default handler shows the message in a message box (through
// the dialog service); the silent abort EAbort is never shown.

#include "diduzawidgets_export.h"
#include "platform/Exceptions.h"

#include <functional>

namespace Diduza {

/// Receives an exception that escaped a Guarded() call (never an EAbort).
using TExceptionHandler = std::function<void(const Exception &)>;

/// Replaces the handler; an empty function restores the default one. Returns the previous one.
DIDUZAWIDGETS_EXPORT TExceptionHandler SetExceptionHandler(TExceptionHandler Value);

/// Hands an exception to the handler now (EAbort is dropped).
DIDUZAWIDGETS_EXPORT void HandleException(const std::exception &e);
/// Hands an exception to the handler on the next turn of the event loop, for failures raised
/// inside a drag-and-drop operation, which must finish before a message box may open.
DIDUZAWIDGETS_EXPORT void HandleExceptionQueued(const std::exception &e);

/// Runs f, handing any exception it raises to the handler (queued when queued is true).
template <typename F> void Guarded(F &&f, bool queued = false) noexcept
{
    try {
        f();
    } catch (const std::exception &e) {
        queued ? HandleExceptionQueued(e) : HandleException(e);
    } catch (...) {
        const Exception unknown(QStringLiteral("Unknown error"));
        queued ? HandleExceptionQueued(unknown) : HandleException(unknown);
    }
}

} // namespace Diduza
