#include "platform/ColorConvert.h"

#include <QGuiApplication>

#include <cmath>

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

namespace {
qreal relativeLuminance(const QColor &color)
{
    auto linear
        = [](qreal c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    const QColor rgb = color.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF())
        + 0.0722 * linear(rgb.blueF());
}
} // namespace

qreal ContrastRatio(const QColor &a, const QColor &b)
{
    const qreal la = relativeLuminance(a);
    const qreal lb = relativeLuminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

QColor ReadableOn(const QColor &color, const QColor &background)
{
    constexpr qreal Readable = 4.5;
    if (ContrastRatio(color, background) >= Readable)
        return color;
    // Towards whichever end of the lightness scale stands out more from the background.
    const bool lighten
        = ContrastRatio(Qt::white, background) > ContrastRatio(Qt::black, background);
    QColor hsl = color.toHsl();
    const qreal hue = qMax<qreal>(0, hsl.hslHueF()); // -1 for greys
    const qreal saturation = hsl.hslSaturationF();
    qreal lightness = hsl.lightnessF();
    for (int step = 0; step < 50; ++step) {
        lightness = qBound(0.0, lightness + (lighten ? 0.02 : -0.02), 1.0);
        hsl.setHslF(hue, saturation, lightness);
        if (ContrastRatio(hsl, background) >= Readable)
            break;
    }
    return hsl.toRgb();
}

} // namespace Diduza
