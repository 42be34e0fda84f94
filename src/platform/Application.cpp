#include "platform/Application.h"

#include "platform/DialogService.h"

#include <QCoreApplication>
#include <QTimer>

namespace Diduza {

namespace {
TExceptionHandler &currentHandler()
{
    static TExceptionHandler handler;
    return handler;
}

void defaultHandler(const Exception &e)
{
    DialogService()->ShowError(nullptr, e.Message());
}

void deliver(const Exception &e)
{
    if (dynamic_cast<const EAbort *>(&e))
        return;
    TExceptionHandler handler = currentHandler();
    try {
        if (handler)
            handler(e);
        else
            defaultHandler(e);
    } catch (...) {
        // A handler that fails has nowhere left to report to.
    }
}

Exception toException(const std::exception &e)
{
    if (auto own = dynamic_cast<const Exception *>(&e))
        return *own;
    return Exception(QString::fromUtf8(e.what()));
}
} // namespace

TExceptionHandler SetExceptionHandler(TExceptionHandler Value)
{
    TExceptionHandler previous = currentHandler();
    currentHandler() = std::move(Value);
    return previous;
}

void HandleException(const std::exception &e)
{
    if (dynamic_cast<const EAbort *>(&e))
        return;
    deliver(toException(e));
}

void HandleExceptionQueued(const std::exception &e)
{
    if (dynamic_cast<const EAbort *>(&e))
        return;
    const Exception copy = toException(e);
    if (!QCoreApplication::instance()) {
        deliver(copy);
        return;
    }
    QTimer::singleShot(0, QCoreApplication::instance(), [copy] { deliver(copy); });
}

} // namespace Diduza
