#pragma once

#include "diduzacore_export.h"
#include "platform/TColor.h"

#include <QString>

namespace Diduza {

/// A font as the components keep and store it. The character set is kept and stored although
/// Qt does not use it; a family the machine lacks still keeps its name here.
struct DIDUZACORE_EXPORT TFontValue {
    enum Style { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

    QString Name = QStringLiteral("MS Sans Serif");
    int Charset = 1; // the "default" character set
    TColor Color = clWindowText;
    int Size = 8; // points
    int StyleBits = 0;

    bool Bold() const { return StyleBits & fsBold; }
    bool operator==(const TFontValue &o) const
    {
        return Name == o.Name && Charset == o.Charset && Color == o.Color && Size == o.Size
            && StyleBits == o.StyleBits;
    }
    bool operator!=(const TFontValue &o) const { return !(*this == o); }
};

} // namespace Diduza
