#include "diagram/model/SchemaFile.h"

#include "platform/CompareText.h"

#include <QCoreApplication>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>

namespace Diduza {

EStreamError::EStreamError(const QString &message, QFileDevice::FileError error)
    : Exception(message)
    , m_error(error)
{
}

namespace SchemaFile {

QString WebAddress()
{
    return QStringLiteral("https://diduza.example.org");
}

QString EMailAddress()
{
    return QStringLiteral("support@diduza.example.org");
}

QString ItemHeader(int i)
{
    return QStringLiteral("[Item%1]").arg(i);
}

QString SubItemHeader(int i, int j)
{
    return QStringLiteral("[SubItem%1of%2]").arg(i).arg(j);
}

QString RelationHeader(int k)
{
    return QStringLiteral("[Relation%1]").arg(k);
}

// ---------------------------------------------------------------------------------------------
// Text

namespace {

// Windows-1252 at 0x80-0x9F; the five unassigned bytes map to the C1 control of the same
// number, as the system's own conversion does.
constexpr char16_t Cp1252High[32]
    = { 0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
          0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
          0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178 };

QString decodeCp1252(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar b = uchar(bytes[i]);
        out[i] = QChar(b >= 0x80 && b < 0xA0 ? Cp1252High[b - 0x80] : char16_t(b));
    }
    return text;
}

QString decodeWith(QStringConverter::Encoding encoding, QByteArrayView bytes, bool *valid)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (valid)
        *valid = !decoder.hasError();
    return text;
}

bool startsWith(const QByteArray &bytes, std::initializer_list<uchar> mark)
{
    if (bytes.size() < qsizetype(mark.size()))
        return false;
    qsizetype i = 0;
    for (uchar b : mark) {
        if (uchar(bytes[i++]) != b)
            return false;
    }
    return true;
}

// Trims characters up to the blank (blanks and control characters) at both ends.
QString trimBlanks(const QString &s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && s[b].unicode() <= u' ')
        ++b;
    while (e > b && s[e - 1].unicode() <= u' ')
        --e;
    return s.mid(b, e - b);
}

} // namespace

QString DecodeText(const QByteArray &bytes)
{
    const QByteArrayView view(bytes);
    if (startsWith(bytes, { 0xEF, 0xBB, 0xBF }))
        return decodeWith(QStringConverter::Utf8, view.sliced(3), nullptr);
    if (startsWith(bytes, { 0xFF, 0xFE }))
        return decodeWith(QStringConverter::Utf16LE, view.sliced(2), nullptr);
    if (startsWith(bytes, { 0xFE, 0xFF }))
        return decodeWith(QStringConverter::Utf16BE, view.sliced(2), nullptr);
    bool valid = false;
    QString text = decodeWith(QStringConverter::Utf8, view, &valid);
    return valid ? text : decodeCp1252(bytes);
}

QByteArray EncodeText(const QString &text)
{
    return text.toUtf8();
}

namespace {
// The lines of text as views into it, split as SplitLines splits.
QVector<QStringView> splitViews(QStringView text)
{
    QVector<QStringView> lines;
    const qsizetype n = text.size();
    const QChar *p = text.data();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i].unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && p[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}
} // namespace

QStringList SplitLines(const QString &text)
{
    QStringList lines;
    const QVector<QStringView> views = splitViews(text);
    lines.reserve(views.size());
    for (QStringView line : views)
        lines.append(line.toString());
    return lines;
}

QString OneLine(const QString &text)
{
    if (!text.contains(u'\r') && !text.contains(u'\n'))
        return text;
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            result.append(u' ');
        } else if (c == u'\n') {
            result.append(u' ');
        } else {
            result.append(c);
        }
    }
    return result;
}

QString FormatSaved(const QDateTime &time, const QString &timeSeparator)
{
    const QDate d = time.date();
    const QTime t = time.time();
    auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    return QStringLiteral("%1%2%3 ")
               .arg(d.year(), 4, 10, QLatin1Char('0'))
               .arg(two(d.month()), two(d.day()))
        + two(t.hour()) + timeSeparator + two(t.minute()) + timeSeparator + two(t.second());
}

QString TimeSeparatorOf(const QString &timeFormat)
{
    const QString fallback = QStringLiteral(":");
    bool quoted = false;
    qsizetype i = 0;
    for (; i < timeFormat.size(); ++i) {
        const QChar c = timeFormat[i];
        if (c == u'\'')
            quoted = !quoted;
        else if (!quoted && (c == u'h' || c == u'H'))
            break;
    }
    while (i < timeFormat.size() && (timeFormat[i] == u'h' || timeFormat[i] == u'H'))
        ++i;
    qsizetype e = i;
    while (e < timeFormat.size() && !timeFormat[e].isLetter() && timeFormat[e] != u'\'')
        ++e;
    if (e - i != 1 || timeFormat[i].isSpace())
        return fallback;
    return timeFormat.mid(i, 1);
}

// ---------------------------------------------------------------------------------------------
// Font value

QString FormatFontValue(const TFontValue &font, TColor itemColor)
{
    // One pass over the placeholders: a "%1" in the name stays text.
    return QStringLiteral("%1,%2,%3,%4,%5,%6")
        .arg(font.Name, QString::number(font.Charset), QString::number(font.Color),
            QString::number(font.Size), QString::number(font.StyleBits & 15),
            QString::number(itemColor));
}

void ParseFontValue(const QString &value, TFontValue &font, TColor &itemColor)
{
    auto takeInt = [](const QString &field, auto apply) {
        int v = 0;
        if (!field.isEmpty() && TryStrToInt(field, v))
            apply(v);
    };
    qsizetype pos = 0;
    for (int field = 0; field < 5; ++field) {
        const qsizetype comma = value.indexOf(u',', pos);
        if (comma < 0)
            return; // a field without "," after it is not taken; nor is anything after it
        const QString text = trimBlanks(value.mid(pos, comma - pos));
        pos = comma + 1;
        switch (field) {
        case 0:
            if (!text.isEmpty())
                font.Name = text;
            break;
        case 1:
            takeInt(text, [&](int v) {
                if (v >= 0 && v <= 255)
                    font.Charset = v;
            });
            break;
        case 2:
            takeInt(text, [&](int v) { font.Color = TColor(v); });
            break;
        case 3:
            takeInt(text, [&](int v) { font.Size = v; });
            break;
        case 4:
            takeInt(text, [&](int v) { font.StyleBits = v & 15; });
            break;
        }
    }
    takeInt(trimBlanks(value.mid(pos)), [&](int v) { itemColor = TColor(v); });
}

// ---------------------------------------------------------------------------------------------
// Sections

namespace {
char16_t foldAscii(char16_t c)
{
    return c >= u'a' && c <= u'z' ? char16_t(c - (u'a' - u'A')) : c;
}

// The value of a line whose name is key, or nothing.
std::optional<QString> valueOfLine(QStringView line, const QString &key)
{
    // The name is the text before the first "=": only a line with "=" right after the key's
    // length and none before can name the key, which most lines show at a glance.
    const qsizetype n = key.size();
    if (line.size() <= n || line[n] != u'=')
        return std::nullopt;
    const QStringView name = line.left(n);
    if (name.contains(u'=') || !SameText(name, QStringView(key)))
        return std::nullopt;
    return line.mid(n + 1).toString();
}

QString decodeUtf8Line(const char *bytes, qsizetype size)
{
    // A line of valid UTF-8 decodes alone as it does inside the whole text; a U+FEFF that
    // begins it is a character there, not a byte-order mark.
    QStringDecoder decoder(QStringConverter::Utf8,
        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(QByteArrayView(bytes, size));
}

bool asciiBytes(QByteArrayView bytes)
{
    uchar any = 0;
    for (const char c : bytes)
        any |= uchar(c);
    return any < 0x80;
}

bool asciiOnly(const QString &key)
{
    return std::all_of(key.begin(), key.end(), [](QChar c) { return c.unicode() < 0x80; });
}
} // namespace

std::shared_ptr<TSchemaFileLines> TSchemaFileLines::FromBytes(const QByteArray &bytes)
{
    auto lines = std::make_shared<TSchemaFileLines>();
    const bool bom = startsWith(bytes, { 0xEF, 0xBB, 0xBF });
    const bool utf16 = startsWith(bytes, { 0xFF, 0xFE }) || startsWith(bytes, { 0xFE, 0xFF });
    const qsizetype from = bom ? 3 : 0;
    // A second mark after the first would be dropped by the whole-text decoding: such a file is
    // decoded whole.
    bool valid = !utf16 && !(bom && startsWith(bytes.mid(3, 3), { 0xEF, 0xBB, 0xBF }));
    // Checked in slices that never cut a UTF-8 sequence, so that no decoded copy of the file
    // (or of one huge line) is made; a slice of ASCII alone needs no decoding.
    constexpr qsizetype Slice = 1 << 16;
    QByteArrayView rest = QByteArrayView(bytes).sliced(std::min(from, bytes.size()));
    while (valid && !rest.isEmpty()) {
        qsizetype n = std::min(rest.size(), Slice);
        for (int k = 0; k < 3 && n < rest.size() && (uchar(rest[n]) & 0xC0) == 0x80; ++k)
            --n;
        const QByteArrayView slice = rest.first(n);
        if (!asciiBytes(slice)) {
            QStringDecoder check(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
            const QString decoded = check.decode(slice);
            valid = !check.hasError();
        }
        rest = rest.sliced(n);
    }
    if (valid) {
        lines->m_utf8 = bytes;
        lines->split(from, bytes.size(), nullptr, lines->m_utf8.constData());
    } else {
        lines->m_text = DecodeText(bytes);
        lines->split(0, lines->m_text.size(),
            reinterpret_cast<const char16_t *>(lines->m_text.constData()), nullptr);
    }
    return lines;
}

std::shared_ptr<TSchemaFileLines> TSchemaFileLines::FromList(const QStringList &list)
{
    auto lines = std::make_shared<TSchemaFileLines>();
    lines->m_list = list;
    lines->m_begin.resize(list.size());
    return lines;
}

void TSchemaFileLines::split(
    qsizetype from, qsizetype size, const char16_t *text, const char *bytes)
{
    // A line ends at CR, LF or CR LF; text after the last end is a line of its own.
    m_size = size;
    qsizetype start = from;
    if (bytes) {
        // Room for a line per LF at once (a file of CR alone grows as it goes).
        m_begin.reserve(
            qsizetype(std::count(bytes + std::min(from, size), bytes + size, '\n')) + 1);
        // The next CR and the next LF are each searched once, by memchr, and kept until passed.
        auto next = [bytes, size](char c, qsizetype at) {
            const void *found = std::memchr(bytes + at, c, size_t(size - at));
            return found ? qsizetype(static_cast<const char *>(found) - bytes) : size;
        };
        qsizetype cr = start < size ? next('\r', start) : size;
        qsizetype lf = start < size ? next('\n', start) : size;
        while (start < size) {
            if (cr < start)
                cr = next('\r', start);
            if (lf < start)
                lf = next('\n', start);
            const qsizetype eol = std::min(cr, lf);
            if (eol >= size)
                break;
            m_begin.append(start);
            start = eol + 1;
            if (eol == cr && lf == eol + 1)
                start = lf + 1;
        }
    } else {
        for (qsizetype i = from; i < size; ++i) {
            const char16_t c = text[i];
            if (c != u'\r' && c != u'\n')
                continue;
            m_begin.append(start);
            if (c == u'\r' && i + 1 < size && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < size)
        m_begin.append(start);
}

qsizetype TSchemaFileLines::endOf(int i) const
{
    const qsizetype begin = m_begin[i];
    qsizetype end = i + 1 < m_begin.size() ? m_begin[i + 1] : m_size;
    auto at = [this](qsizetype k) {
        return m_utf8.isNull() ? m_text[k].unicode() : char16_t(uchar(m_utf8[k]));
    };
    // An LF, then a CR (alone or before that LF): neither stands inside a line.
    if (end > begin && at(end - 1) == u'\n')
        --end;
    if (end > begin && at(end - 1) == u'\r')
        --end;
    return end;
}

QString TSchemaFileLines::Line(int i) const
{
    if (i < 0 || i >= Count())
        return QString();
    if (!m_list.isEmpty())
        return m_list.at(i);
    if (!m_utf8.isNull())
        return decodeUtf8Line(m_utf8.constData() + m_begin[i], endOf(i) - m_begin[i]);
    return m_text.mid(m_begin[i], endOf(i) - m_begin[i]);
}

bool TSchemaFileLines::StartsWithBracket(int i) const
{
    if (!m_list.isEmpty())
        return m_list.at(i).startsWith(u'[');
    if (endOf(i) == m_begin[i])
        return false;
    return !m_utf8.isNull() ? m_utf8[m_begin[i]] == '[' : m_text[m_begin[i]] == u'[';
}

std::optional<QString> TSchemaFileLines::Value(int i, const QString &key) const
{
    if (!m_list.isEmpty())
        return valueOfLine(m_list.at(i), key);
    if (m_utf8.isNull())
        return valueOfLine(QStringView(m_text).mid(m_begin[i], endOf(i) - m_begin[i]), key);
    if (!asciiOnly(key))
        return valueOfLine(Line(i), key);
    // An ASCII key against the bytes: a name of other characters never equals it.
    const char *line = m_utf8.constData() + m_begin[i];
    const qsizetype size = endOf(i) - m_begin[i];
    const qsizetype n = key.size();
    if (size <= n || line[n] != '=')
        return std::nullopt;
    for (qsizetype k = 0; k < n; ++k) {
        const char16_t c = char16_t(uchar(line[k]));
        if (c == u'=' || foldAscii(c) != foldAscii(key[k].unicode()))
            return std::nullopt;
    }
    return decodeUtf8Line(line + n + 1, size - n - 1);
}

TSchemaSection::TSchemaSection(const QString &header, const QStringList &lines, int begin, int end)
    : TSchemaSection(header, TSchemaFileLines::FromList(lines), begin, end)
{
}

TSchemaSection::TSchemaSection(
    const QString &header, std::shared_ptr<const TSchemaFileLines> lines, int begin, int end)
    : m_header(header)
    , m_lines(std::move(lines))
    , m_begin(begin)
    , m_end(end)
{
}

QStringList TSchemaSection::Lines() const
{
    QStringList lines;
    for (int i = m_begin; m_lines && i < m_end && i < m_lines->Count(); ++i)
        lines.append(m_lines->Line(i));
    return lines;
}

std::optional<QString> TSchemaSection::Value(const QString &key) const
{
    for (int i = m_begin; m_lines && i < m_end; ++i) {
        if (std::optional<QString> v = m_lines->Value(i, key))
            return v;
    }
    return std::nullopt;
}

QString TSchemaSection::Text(const QString &key) const
{
    return Value(key).value_or(QString());
}

bool TSchemaSection::Bool(const QString &key) const
{
    const std::optional<QString> v = Value(key);
    return v && *v == QLatin1String("1");
}

std::optional<int> TSchemaSection::Int(const QString &key) const
{
    const std::optional<QString> v = Value(key);
    int result = 0;
    if (!v || !TryStrToInt(*v, result))
        return std::nullopt;
    return result;
}

QString TSchemaSection::Describe(const QString &key, const QString &detail) const
{
    return QCoreApplication::translate("Diduza::SchemaFile", "Section %1, key \"%2\": %3")
        .arg(m_header, key, detail);
}

int TSchemaSection::RequiredInt(const QString &key) const
{
    const std::optional<QString> v = Value(key);
    if (!v)
        throw EConvertError(Describe(key,
            Exists()
                ? QCoreApplication::translate("Diduza::SchemaFile", "missing")
                : QCoreApplication::translate("Diduza::SchemaFile", "missing (no such section)")));
    int result = 0;
    if (!TryStrToInt(*v, result))
        throw EConvertError(Describe(key,
            QCoreApplication::translate("Diduza::SchemaFile", "'%1' is not a valid integer value")
                .arg(*v)));
    return result;
}

namespace {
void checkEnum(const TSchemaSection &section, const QString &key, int value, int count)
{
    if (value < 0 || value >= count)
        throw ESchemaFileError(section.Describe(key,
            QCoreApplication::translate("Diduza::SchemaFile", "%1 is not a valid value (0 to %2)")
                .arg(value)
                .arg(count - 1)));
}
} // namespace

int TSchemaSection::RequiredEnum(const QString &key, int count) const
{
    const int value = RequiredInt(key);
    checkEnum(*this, key, value, count);
    return value;
}

std::optional<int> TSchemaSection::OptionalEnum(const QString &key, int count) const
{
    const std::optional<int> value = Int(key);
    if (value)
        checkEnum(*this, key, *value, count);
    return value;
}

// ---------------------------------------------------------------------------------------------
// Reader

TSchemaFileReader::TSchemaFileReader()
    : m_lines(TSchemaFileLines::FromList(QStringList()))
{
}

TSchemaFileReader::TSchemaFileReader(const QByteArray &bytes)
    : m_lines(TSchemaFileLines::FromBytes(bytes))
{
    buildIndex();
}

TSchemaFileReader::TSchemaFileReader(const QStringList &lines)
    : m_lines(TSchemaFileLines::FromList(lines))
{
    buildIndex();
}

const QStringList &TSchemaFileReader::Lines() const
{
    if (!m_lineListMade) {
        m_lineList.reserve(m_lines->Count());
        for (int i = 0; i < m_lines->Count(); ++i)
            m_lineList.append(m_lines->Line(i));
        m_lineListMade = true;
    }
    return m_lineList;
}

void TSchemaFileReader::buildIndex()
{
    // Every line that is not empty and starts with "[" either continues the block it repeats
    // the header of, or starts a new block. Only the first block of each header is indexed.
    m_index.clear();
    const int n = m_lines->Count();
    QString blockHeader;
    bool inBlock = false;
    bool indexed = false; // the running block is the first of its header
    for (int i = 0; i < n; ++i) {
        if (!m_lines->StartsWithBracket(i))
            continue;
        const QString line = m_lines->Line(i);
        if (inBlock && line == blockHeader)
            continue;
        if (indexed)
            m_index[blockHeader].end = i;
        blockHeader = line;
        inBlock = true;
        indexed = !m_index.contains(blockHeader);
        if (indexed)
            m_index.insert(blockHeader, Range { i, n });
    }
}

TSchemaSection TSchemaFileReader::Section(const QString &header) const
{
    const auto it = m_index.constFind(header);
    if (it == m_index.constEnd())
        return TSchemaSection(header, std::shared_ptr<const TSchemaFileLines>(), 0, 0);
    return TSchemaSection(header, m_lines, it->begin, it->end);
}

std::optional<QString> TSchemaFileReader::FirstValue(const QString &key) const
{
    for (int i = 0; i < m_lines->Count(); ++i) {
        if (std::optional<QString> v = m_lines->Value(i, key))
            return v;
    }
    return std::nullopt;
}

namespace {
int countOf(const TSchemaFileReader &reader, const QString &key)
{
    int value = 0;
    const std::optional<QString> v = reader.FirstValue(key);
    return v && TryStrToInt(*v, value) ? value : 0;
}
} // namespace

int TSchemaFileReader::ItemCount() const
{
    return countOf(*this, QStringLiteral("ItemCount"));
}

int TSchemaFileReader::RelCount() const
{
    return countOf(*this, QStringLiteral("RelCount"));
}

// ---------------------------------------------------------------------------------------------
// Writer

namespace {
class LineWriter {
public:
    void line(const QString &text)
    {
        m_text += text;
        m_text += QLatin1String("\r\n");
    }
    void key(const char *name, const QString &value)
    {
        m_text += QLatin1String(name);
        m_text += u'=';
        m_text += OneLine(value);
        m_text += QLatin1String("\r\n");
    }
    void key(const char *name, int value) { key(name, QString::number(value)); }
    void flag(const char *name, bool value)
    {
        key(name, value ? QStringLiteral("1") : QStringLiteral("0"));
    }
    QString take() { return std::move(m_text); }
    void reserve(qsizetype n) { m_text.reserve(n); }

private:
    QString m_text;
};
} // namespace

QString WriteText(const TSchemaFileData &data)
{
    LineWriter w;
    w.reserve(256 + data.Items.size() * 400 + data.Relations.size() * 200);
    w.line(QStringLiteral("[General]"));
    w.key("WEB", WebAddress());
    w.key("EMail", EMailAddress());
    w.key("App", data.App);
    w.key("Saved", data.Saved);
    w.key("ItemCount", int(data.Items.size()));
    w.key("RelCount", int(data.Relations.size()));
    if (data.SQLSubType)
        w.key("SQLSubType", *data.SQLSubType);
    w.line(QString());

    for (int i = 0; i < data.Items.size(); ++i) {
        const TSchemaFileItem &item = data.Items[i];
        w.line(ItemHeader(i + 1));
        w.key("ControlType", item.ControlType);
        w.key("Caption", item.Caption);
        w.flag("ShowCaption", item.ShowCaption);
        w.flag("Sizeable", item.Sizeable);
        w.flag("ToolWin", item.ToolWin);
        w.flag("Border", item.Border);
        w.key("Left", item.Left);
        w.key("Top", item.Top);
        w.key("Width", item.Width);
        w.key("Height", item.Height);
        if (item.IconType)
            w.key("IconType", *item.IconType);
        w.key("SubItems", int(item.Rows.size()));
        w.key("Font", FormatFontValue(item.Font, item.Color));
        w.line(QString());
        for (int j = 0; j < item.Rows.size(); ++j) {
            const TSchemaFileRow &row = item.Rows[j];
            w.line(SubItemHeader(i + 1, j + 1));
            w.key("Caption", row.Caption);
            w.flag("Checked", row.Checked);
            w.key("Index", row.Index);
            w.key("ImageIndex", row.ImageIndex);
            w.key("SelectedIndex", row.SelectedIndex);
            w.key("OverlayIndex", row.OverlayIndex);
            w.key("StateIndex", row.StateIndex);
            w.flag("Linked", row.Linked);
            w.line(QString());
        }
    }

    for (int k = 0; k < data.Relations.size(); ++k) {
        const TSchemaFileRelation &r = data.Relations[k];
        w.line(RelationHeader(k + 1));
        w.key("ParentItem", r.ParentItem);
        w.key("ChildItem", r.ChildItem);
        w.key("ParentSubItem", r.ParentSubItem);
        w.key("ChildSubItem", r.ChildSubItem);
        w.key("JoinOperator", r.JoinOperator);
        w.key("JoinType", r.JoinType);
        w.key("RelationType", r.RelationType);
        if (r.ParentItemNo > 0)
            w.key("ParentItemNo", r.ParentItemNo);
        if (r.ChildItemNo > 0)
            w.key("ChildItemNo", r.ChildItemNo);
        if (!r.JoinCondition.isEmpty())
            w.key("JoinCondition", r.JoinCondition);
        w.line(QString());
    }
    return w.take();
}

} // namespace SchemaFile
} // namespace Diduza
