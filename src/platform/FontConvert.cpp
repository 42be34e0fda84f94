#include "platform/FontConvert.h"

#include <QStringList>

namespace Diduza {

QFont FontValueToQFont(const TFontValue &value)
{
    QFont font;
    if (value.Name == QLatin1String("MS Sans Serif"))
        font.setFamilies(QStringList()
            << value.Name << QStringLiteral("Microsoft Sans Serif") << QStringLiteral("DejaVu Sans")
            << QStringLiteral("Sans Serif"));
    else
        font.setFamily(value.Name);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(value.Size > 0 ? value.Size : 8);
    font.setBold(value.StyleBits & TFontValue::fsBold);
    font.setItalic(value.StyleBits & TFontValue::fsItalic);
    font.setUnderline(value.StyleBits & TFontValue::fsUnderline);
    font.setStrikeOut(value.StyleBits & TFontValue::fsStrikeOut);
    return font;
}

TFontValue QFontToFontValue(const QFont &font, const TFontValue &base)
{
    TFontValue v = base;
    if (font.family() != FontValueToQFont(base).family())
        v.Name = font.family();
    if (font.pointSize() > 0)
        v.Size = font.pointSize();
    v.StyleBits = (font.bold() ? TFontValue::fsBold : 0)
        | (font.italic() ? TFontValue::fsItalic : 0)
        | (font.underline() ? TFontValue::fsUnderline : 0)
        | (font.strikeOut() ? TFontValue::fsStrikeOut : 0);
    return v;
}

} // namespace Diduza
