#include "platform/CompareText.h"

#include <algorithm>

namespace Diduza {

static inline char16_t foldAscii(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - (u'a' - u'A')) : c;
}

int CompareText(QStringView a, QStringView b)
{
    const int n = int(std::min(a.size(), b.size()));
    const QChar *pa = a.constData();
    const QChar *pb = b.constData();
    for (int i = 0; i < n; ++i) {
        const char16_t ca = foldAscii(pa[i].unicode());
        const char16_t cb = foldAscii(pb[i].unicode());
        if (ca != cb)
            return int(ca) - int(cb);
    }
    return int(a.size()) - int(b.size());
}

bool SameText(QStringView a, QStringView b)
{
    return a.size() == b.size() && CompareText(a, b) == 0;
}

} // namespace Diduza
