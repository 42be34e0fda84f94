#include "platform/ColorConvert.h"

#include <QGuiApplication>

namespace Diduza {

QColor ColorToQColor(TColor color)
{
    return ColorToQColor(color, QGuiApplication::palette());
}

QColor ColorToQColor(TColor color, const QPalette &pal)
{
    if (color == clNone)
        return QColor(Qt::transparent);
    if (color == clDefault)
        return pal.color(QPalette::Active, QPalette::Base);
    if (!IsSystemColor(color))
        return QColor(ColorRed(color), ColorGreen(color), ColorBlue(color));

    using R = QPalette::ColorRole;
    switch (quint32(color) & 0xFF) {
    case COLOR_WINDOW:
        return pal.color(QPalette::Active, R::Base);
    case COLOR_WINDOWTEXT:
        return pal.color(QPalette::Active, R::Text);
    case COLOR_HIGHLIGHT:
        return pal.color(QPalette::Active, R::Highlight);
    case COLOR_HIGHLIGHTTEXT:
        return pal.color(QPalette::Active, R::HighlightedText);
    case COLOR_BTNFACE:
    case COLOR_SCROLLBAR:
    case COLOR_ACTIVEBORDER:
    case COLOR_INACTIVEBORDER:
        return pal.color(QPalette::Active, R::Button);
    case COLOR_BTNSHADOW:
        return pal.color(QPalette::Active, R::Dark);
    case COLOR_GRAYTEXT:
        return pal.color(QPalette::Disabled, R::Text);
    case COLOR_BTNTEXT:
        return pal.color(QPalette::Active, R::ButtonText);
    case COLOR_BTNHIGHLIGHT:
        return pal.color(QPalette::Active, R::Light);
    case COLOR_3DDKSHADOW:
    case COLOR_WINDOWFRAME:
        return pal.color(QPalette::Active, R::Shadow);
    case COLOR_3DLIGHT:
        return pal.color(QPalette::Active, R::Midlight);
    case COLOR_INFOTEXT:
        return pal.color(QPalette::Active, R::ToolTipText);
    case COLOR_INFOBK:
        return pal.color(QPalette::Active, R::ToolTipBase);
    case COLOR_MENU:
    case COLOR_BACKGROUND:
    case COLOR_APPWORKSPACE:
        return pal.color(QPalette::Active, R::Window);
    case COLOR_MENUTEXT:
    case COLOR_CAPTIONTEXT:
    case COLOR_INACTIVECAPTIONTEXT:
        return pal.color(QPalette::Active, R::WindowText);
    case COLOR_ACTIVECAPTION:
        return pal.color(QPalette::Active, R::Highlight);
    case COLOR_INACTIVECAPTION:
        return pal.color(QPalette::Inactive, R::Highlight);
    default:
        return pal.color(QPalette::Active, R::Window);
    }
}

TColor QColorToColor(const QColor &color)
{
    return RGBColor(color.red(), color.green(), color.blue());
}

} // namespace Diduza
