#include "querybuilder/SqlTemplate.h"

namespace Diduza {

namespace {

const QString OpeningMarker = QStringLiteral("%[");
const QString ClosingMarker = QStringLiteral("]%");

// True when the characters from..to (exclusive) hold something other than blanks and control
// characters.
bool hasVisibleText(const QString &text, qsizetype from, qsizetype to)
{
    for (qsizetype i = from; i < to; ++i) {
        if (text.at(i).unicode() > 32)
            return true;
    }
    return false;
}

} // namespace

void ExpandSQL(QString &SQL, const QString &Macro, const QString &Value)
{
    if (Macro.isEmpty())
        return;
    const qsizetype macroPos = SQL.indexOf(Macro, 0, Qt::CaseSensitive);
    if (macroPos < 0)
        return;
    const qsizetype macroEnd = macroPos + Macro.size();

    // The nearest "%[" whose "[" stands right before the macro or earlier.
    qsizetype sectionStart = macroPos;
    bool hasOpening = false;
    for (qsizetype i = macroPos - 1; i >= 1; --i) {
        if (SQL.at(i) == QLatin1Char('[') && SQL.at(i - 1) == QLatin1Char('%')) {
            sectionStart = i - 1;
            hasOpening = true;
            break;
        }
    }

    // The first "]%" after the macro. The search starts behind the macro's last character so
    // that a closing marker can never overlap the macro text.
    const qsizetype closingPos = SQL.indexOf(ClosingMarker, macroEnd);
    const qsizetype sectionEnd = closingPos >= 0 ? closingPos + ClosingMarker.size() : macroEnd;

    if (Value.isEmpty()) {
        SQL.remove(sectionStart, sectionEnd - sectionStart);
        return;
    }

    const qsizetype beforeStart = hasOpening ? sectionStart + OpeningMarker.size() : macroPos;
    QString filled;
    filled.reserve(sectionEnd - sectionStart + Value.size());
    filled += QStringView(SQL).mid(beforeStart, macroPos - beforeStart);
    filled += Value;
    if (closingPos >= 0)
        filled += QStringView(SQL).mid(macroEnd, closingPos - macroEnd);
    SQL.replace(sectionStart, sectionEnd - sectionStart, filled);
}

void RemoveBlankLines(QString &SQL)
{
    static const QString LineBreak = QStringLiteral("\r\n");
    QString result;
    result.reserve(SQL.size() + SQL.size() / 8);
    qsizetype lineStart = 0;
    const qsizetype length = SQL.size();
    for (qsizetype i = 0; i <= length; ++i) {
        const bool atEnd = i == length;
        if (!atEnd && SQL.at(i) != QLatin1Char('\r') && SQL.at(i) != QLatin1Char('\n'))
            continue;
        if (hasVisibleText(SQL, lineStart, i)) {
            result += QStringView(SQL).mid(lineStart, i - lineStart);
            result += LineBreak;
        }
        lineStart = i + 1;
    }
    SQL = result;
}

} // namespace Diduza
