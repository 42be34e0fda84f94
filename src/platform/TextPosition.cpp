#include "platform/TextPosition.h"

#include <QCoreApplication>

namespace Diduza {

TextLineColumn LineColumnAt(QStringView Text, qsizetype Position)
{
    TextLineColumn at;
    const qsizetype end = qBound<qsizetype>(0, Position, Text.size());
    for (qsizetype i = 0; i < end; ++i) {
        const QChar c = Text.at(i);
        // CR LF ends one line, at its line feed.
        const bool lineEnd = c == QLatin1Char('\n')
            || (c == QLatin1Char('\r')
                && !(i + 1 < Text.size() && Text.at(i + 1) == QLatin1Char('\n')));
        if (lineEnd) {
            ++at.Line;
            at.Column = 1;
        } else if (!(c.isHighSurrogate() && i + 1 < end && Text.at(i + 1).isLowSurrogate())) {
            ++at.Column;
        }
    }
    return at;
}

QString LineColumnText(QStringView Text, qsizetype Position)
{
    const TextLineColumn at = LineColumnAt(Text, Position);
    return QCoreApplication::translate("Diduza::TextPosition", "line %1, column %2")
        .arg(at.Line)
        .arg(at.Column);
}

} // namespace Diduza
