#pragma once

// Colours as 32-bit values in the layout that schema files store: RGB colours as 0x00BBGGRR
// (red in the low byte), system colours with high byte 0xFF and the system colour index in the
// low byte. A value keeps its form (a system colour stays one); it is resolved only when painted.

#include "diduzacore_export.h"

#include <QtGlobal>

namespace Diduza {

/// A colour value as described above.
using TColor = qint32;

/// The system colour of index (a SystemColorIndex).
constexpr TColor SystemColor(int index)
{
    return TColor(quint32(0xFF000000u) | quint32(index & 0xFF));
}

/// The RGB colour of red r, green g and blue b (0 to 255 each; higher bits are dropped).
constexpr TColor RGBColor(int r, int g, int b)
{
    return TColor(quint32(r & 0xFF) | (quint32(g & 0xFF) << 8) | (quint32(b & 0xFF) << 16));
}

/// Whether c is a system colour.
constexpr bool IsSystemColor(TColor c)
{
    return (quint32(c) & 0xFF000000u) == 0xFF000000u;
}

/// The red, green and blue parts of an RGB colour (meaningless for a system colour).
constexpr int ColorRed(TColor c)
{
    return int(quint32(c) & 0xFF);
}
/// See ColorRed.
constexpr int ColorGreen(TColor c)
{
    return int((quint32(c) >> 8) & 0xFF);
}
/// See ColorRed.
constexpr int ColorBlue(TColor c)
{
    return int((quint32(c) >> 16) & 0xFF);
}

/// System colour indexes.
enum SystemColorIndex {
    COLOR_SCROLLBAR = 0,
    COLOR_BACKGROUND = 1,
    COLOR_ACTIVECAPTION = 2,
    COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4,
    COLOR_WINDOW = 5,
    COLOR_WINDOWFRAME = 6,
    COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9,
    COLOR_ACTIVEBORDER = 10,
    COLOR_INACTIVEBORDER = 11,
    COLOR_APPWORKSPACE = 12,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24
};

/// Named RGB colours.
constexpr TColor clBlack = RGBColor(0, 0, 0);
constexpr TColor clWhite = RGBColor(255, 255, 255);
constexpr TColor clRed = RGBColor(255, 0, 0);
constexpr TColor clLime = RGBColor(0, 255, 0);
constexpr TColor clBlue = RGBColor(0, 0, 255);
constexpr TColor clNavy = RGBColor(0, 0, 128);
constexpr TColor clSilver = RGBColor(192, 192, 192);
constexpr TColor clGray = RGBColor(128, 128, 128);
constexpr TColor clFuchsia = RGBColor(255, 0, 255);

/// Named system colours, resolved through the palette when painted.
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);
constexpr TColor clMenu = SystemColor(COLOR_MENU);
constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);

/// No colour (transparent) and the control's default colour.
constexpr TColor clNone = TColor(0x1FFFFFFF);
constexpr TColor clDefault = TColor(0x20000000);

static_assert(clBtnFace == -16777201, "button face is stored as -16777201");
static_assert(clRed == 255 && clWhite == 16777215, "RGB layout is 0x00BBGGRR");

} // namespace Diduza
