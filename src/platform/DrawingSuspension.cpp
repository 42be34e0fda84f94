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
QSize measureCheckBox()
{
    QStyle *style = QApplication::style();
    if (!style)
        return QSize(13, 13);
    return QSize(style->pixelMetric(QStyle::PM_IndicatorWidth),
        style->pixelMetric(QStyle::PM_IndicatorHeight));
}
const QSize &checkBoxSize()
{
    static const QSize size = measureCheckBox();
    return size;
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
