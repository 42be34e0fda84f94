#include "platform/DrawingSuspension.h"

#include <QApplication>
#include <QPointer>
#include <QStyle>
#include <QWidget>

namespace Diduza {

namespace {
QPointer<QWidget> &slot()
{
    static QPointer<QWidget> holder;
    return holder;
}
} // namespace

bool LockWindowUpdate(QWidget *window)
{
    QPointer<QWidget> &holder = slot();
    if (!window) {
        if (!holder)
            return false;
        QWidget *w = holder;
        holder = nullptr;
        w->setUpdatesEnabled(true);
        return true;
    }
    if (holder)
        return false;
    holder = window;
    window->setUpdatesEnabled(false);
    return true;
}

QWidget *LockedWindow()
{
    return slot();
}

namespace {
// The check-box glyph is measured once per application, on first use: a widget style exists only
// with a QApplication, and every item measures itself after one exists. Asked before that, the
// answer is the classic 13 x 13 and nothing is kept, so that an early question does not fix a
// wrong size. When the application goes, the size is forgotten, so that a later application
// (with another style, say) measures again.
const QSize ClassicCheckBox(13, 13);

struct CheckBoxMetrics {
    QSize size;
    bool measured = false;
    bool forgetRegistered = false;

    // At unload the application must not call into this library any more.
    ~CheckBoxMetrics()
    {
        if (forgetRegistered)
            qRemovePostRoutine(&forget);
    }
    static void forget();
};

CheckBoxMetrics &checkBoxMetrics()
{
    static CheckBoxMetrics metrics;
    return metrics;
}

void CheckBoxMetrics::forget()
{
    CheckBoxMetrics &m = checkBoxMetrics();
    m.measured = false;
    m.forgetRegistered = false;
}

QSize checkBoxSize()
{
    CheckBoxMetrics &m = checkBoxMetrics();
    if (m.measured)
        return m.size;
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return ClassicCheckBox;
    QStyle *style = QApplication::style();
    if (!style)
        return ClassicCheckBox;
    m.size = QSize(style->pixelMetric(QStyle::PM_IndicatorWidth),
        style->pixelMetric(QStyle::PM_IndicatorHeight));
    m.measured = true;
    if (!m.forgetRegistered) {
        qAddPostRoutine(&CheckBoxMetrics::forget);
        m.forgetRegistered = true;
    }
    return m.size;
}
} // namespace

int CheckBoxGlyphWidth()
{
    return checkBoxSize().width();
}

int CheckBoxGlyphHeight()
{
    return checkBoxSize().height();
}

} // namespace Diduza
