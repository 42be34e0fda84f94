#pragma once

// Plain walks over the lines of a schema file, the reference that the reader's section index
// is checked against (by tst_schemafileformat and by the format's fuzz entry). Qt Core only.

#include <QString>
#include <QStringList>

namespace DiduzaTest {

// The section of header, walked from the top: from the first line equal to it up to the next
// line that starts with "[" and is not that header again.
inline QStringList WalkSection(const QStringList &lines, const QString &header)
{
    QStringList section;
    bool started = false;
    for (const QString &line : lines) {
        if (line == header) {
            section << line;
            started = true;
        } else if (started) {
            if (line.startsWith(u'['))
                break;
            section << line;
        }
    }
    return section;
}

} // namespace DiduzaTest
