#pragma once

#include "diduzacore_export.h"
#include "platform/TColor.h"

#include <QString>

namespace Diduza {

/// A font as the components keep and store it. The character set is kept and stored although
/// Qt does not use it; a family the machine lacks still keeps its name here.
struct DIDUZACORE_EXPORT TFontValue {
    /// The bits of StyleBits.
    enum Style { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

    /// The family name.
    QString Name = QStringLiteral("MS Sans Serif");
    /// The character set number; 1 is the "default" character set.
    int Charset = 1;
    /// The text colour.
    TColor Color = clWindowText;
    /// The size in points.
    int Size = 8;
    /// The styles, an or of Style bits.
    int StyleBits = 0;

    /// True when fsBold is set.
    bool Bold() const { return StyleBits & fsBold; }
    /// Fonts are equal when all five fields are.
    bool operator==(const TFontValue &o) const
    {
        return Name == o.Name && Charset == o.Charset && Color == o.Color && Size == o.Size
            && StyleBits == o.StyleBits;
    }
    /// See operator==.
    bool operator!=(const TFontValue &o) const { return !(*this == o); }
};

} // namespace Diduza
