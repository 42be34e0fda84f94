#include "DemoWindow.h"

#include <QRect>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace {
// Room the window manager's frame takes before the window is shown and its frame is known.
constexpr int GuessedFrameWidth = 16;
constexpr int GuessedFrameHeight = 40;

void fit(QWidget *window, const QSize &preferred)
{
    const QScreen *screen = window->screen();
    if (!screen)
        return;
    const QRect room = screen->availableGeometry();
    const QSize frame = window->isVisible()
        ? window->frameGeometry().size() - window->geometry().size()
        : QSize(GuessedFrameWidth, GuessedFrameHeight);
    const QSize most = (room.size() - frame).expandedTo(QSize(1, 1));
    const QSize size = preferred.boundedTo(most).expandedTo(window->minimumSize());
    if (window->size() != size)
        window->resize(size);
    if (window->isVisible()) {
        QRect outer = window->frameGeometry();
        if (!room.contains(outer)) {
            outer.moveLeft(qBound(room.left(), outer.left(), room.right() - outer.width() + 1));
            outer.moveTop(qBound(room.top(), outer.top(), room.bottom() - outer.height() + 1));
            window->move(outer.topLeft());
        }
    }
}
} // namespace

void FitDemoWindow(QWidget *Window, const QSize &Preferred)
{
    fit(Window, Preferred);
    // The frame is known once the window shows (the window manager adds it then).
    QTimer::singleShot(0, Window, [Window, Preferred] {
        if (Window->isVisible())
            fit(Window, Preferred);
    });
}
