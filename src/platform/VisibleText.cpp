#include "platform/VisibleText.h"

namespace Diduza {

QString VisibleText(const QString &Text)
{
    if (Text.size() <= VisibleTextLength)
        return Text;
    qsizetype length = VisibleTextLength;
    if (Text.at(length - 1).isHighSurrogate())
        --length;
    return Text.left(length);
}

} // namespace Diduza
