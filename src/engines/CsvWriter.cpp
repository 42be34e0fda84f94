#include "engines/CsvWriter.h"

#include <QIODevice>

namespace Diduza {

namespace {
// Adds Text to out as the record's next field, quoted when it must be.
void appendField(QString &out, bool &atRecordStart, const QString &Text)
{
    if (!atRecordStart)
        out += QLatin1Char(',');
    atRecordStart = false;
    // Plain code units: the scan runs once per field of every row.
    const ushort *text = Text.utf16();
    const qsizetype size = Text.size();
    qsizetype at = 0;
    while (
        at < size && text[at] != u'"' && text[at] != u',' && text[at] != u'\n' && text[at] != u'\r')
        ++at;
    if (at == size) {
        out += Text;
        return;
    }
    out += QLatin1Char('"');
    qsizetype from = 0;
    for (; at < size; ++at) {
        if (text[at] == u'"') {
            out += QStringView(text + from, at + 1 - from); // the quote, then its double
            from = at;
        }
    }
    out += QStringView(text + from, size - from);
    out += QLatin1Char('"');
}
} // namespace

namespace {
// The gathered text is written once it holds this many UTF-16 code units.
constexpr qsizetype BlockSize = 64 * 1024;
} // namespace

TCsvWriter::TCsvWriter(QIODevice *Device)
    : m_device(Device)
{
    m_text.reserve(BlockSize + 1024);
}

void TCsvWriter::WriteRecord(const QStringList &Fields)
{
    for (const QString &field : Fields)
        appendField(m_text, m_atRecordStart, field);
    EndRecord();
}

void TCsvWriter::WriteRow(const QVector<QVariant> &Values)
{
    for (const QVariant &value : Values)
        WriteField(value);
    EndRecord();
}

void TCsvWriter::WriteField(const QVariant &Value)
{
    appendField(m_text, m_atRecordStart, Value.isNull() ? QString() : Value.toString());
}

void TCsvWriter::EndRecord()
{
    m_text += QLatin1String("\r\n");
    m_atRecordStart = true;
    if (m_text.size() >= BlockSize)
        Flush();
}

bool TCsvWriter::Flush()
{
    if (m_failed || !m_device) {
        m_text.resize(0);
        return false;
    }
    if (m_text.isEmpty())
        return true;
    m_bytes = m_text.toUtf8();
    m_text.resize(0); // keeps its room for the next block
    if (m_device->write(m_bytes) != m_bytes.size())
        m_failed = true;
    return !m_failed;
}

} // namespace Diduza
