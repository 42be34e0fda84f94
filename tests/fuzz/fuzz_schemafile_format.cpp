// libFuzzer target of the schema file format without widgets (scripts/fuzz runs it): decoding,
// line splitting, the section index, the typed key lookups and the font value of SchemaFile.h,
// checked against plain walks over the lines, and the writer read back. It runs thousands of
// inputs a second; fuzz_schemafile, which loads each input into a design area, about a hundred.

#include "../common/SchemaFileWalk.h"
#include "diagram/model/SchemaFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace Diduza;
using namespace Diduza::SchemaFile;

namespace {

#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__);         \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

// Sections compared with the plain walk per input (the walk costs a pass over the lines each),
// and keys looked up per section.
constexpr int CheckedSections = 4;
constexpr int CheckedKeys = 6;

// Names equal ignoring the case of A-Z only.
bool sameName(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= u'a' && x <= u'z')
            x -= 32;
        if (y >= u'a' && y <= u'z')
            y -= 32;
        if (x != y)
            return false;
    }
    return true;
}

// The value of the first line of lines whose name is key, walked plainly.
std::optional<QString> walkValue(const QStringList &lines, const QString &key)
{
    for (const QString &line : lines) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq >= 0 && sameName(QStringView(line).left(eq), key))
            return line.mid(eq + 1);
    }
    return std::nullopt;
}

void checkLines(const QString &text, const QStringList &lines)
{
    QString joined = text;
    joined.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    if (joined.endsWith(u'\n'))
        joined.chop(1);
    FUZZ_CHECK(lines.join(u'\n') == joined);
    const QString one = OneLine(text);
    FUZZ_CHECK(!one.contains(u'\r') && !one.contains(u'\n') && one.size() <= text.size());
    if (text.isValidUtf16() && !text.startsWith(QChar(0xFEFF)))
        FUZZ_CHECK(DecodeText(EncodeText(text)) == text);
}

void checkSection(const TSchemaFileReader &reader, const QString &header)
{
    const TSchemaSection section = reader.Section(header);
    const QStringList walked = DiduzaTest::WalkSection(reader.Lines(), header);
    FUZZ_CHECK(section.Lines() == walked);
    FUZZ_CHECK(section.Exists() == !walked.isEmpty());
    QStringList keys;
    for (const QString &line : walked.mid(1)) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0 || keys.size() == CheckedKeys)
            continue;
        const QString key = line.left(eq);
        if (keys.contains(key))
            continue;
        keys << key;
        const std::optional<QString> value = section.Value(key);
        FUZZ_CHECK(value == walkValue(walked, key));
        FUZZ_CHECK(section.Bool(key) == (value == QLatin1String("1")));
        int number = 0;
        const bool isInt = TryStrToInt(*value, number);
        FUZZ_CHECK(section.Int(key) == (isInt ? std::optional<int>(number) : std::nullopt));
        // Failures cost an exception each, the font a few strings: the first key of a section
        // stands for any value.
        if (isInt || keys.size() == 1) {
            try {
                FUZZ_CHECK(section.RequiredEnum(key, 4) == number && isInt);
                FUZZ_CHECK(number >= 0 && number < 4);
            } catch (const EConvertError &) {
                FUZZ_CHECK(!isInt);
            } catch (const ESchemaFileError &) {
                FUZZ_CHECK(isInt && (number < 0 || number >= 4));
            }
        }
        if (!sameName(key, u"Font") && keys.size() != 1)
            continue;
        // A font value read, written and read again gives the same font.
        TFontValue font;
        TColor color = clBtnFace;
        ParseFontValue(*value, font, color);
        FUZZ_CHECK(font.Charset >= 0 && font.Charset <= 255);
        FUZZ_CHECK(font.StyleBits >= 0 && font.StyleBits <= 15);
        TFontValue again;
        TColor againColor = clBtnFace;
        ParseFontValue(FormatFontValue(font, color), again, againColor);
        FUZZ_CHECK(again == font && againColor == color);
    }
}

// A diagram whose item caption and relation end are the input's text is written and read back.
void checkWriter(const QString &text)
{
    TSchemaFileData data;
    TSchemaFileItem item;
    item.Caption = text;
    item.Rows.append(TSchemaFileRow {});
    data.Items.append(item);
    data.Relations.append(TSchemaFileRelation { QString(), text });
    const TSchemaFileReader reader(EncodeText(WriteText(data)));
    FUZZ_CHECK(reader.ItemCount() == 1 && reader.RelCount() == 1);
    if (!text.isValidUtf16())
        return; // lone surrogates are written as replacement characters
    const QString one = OneLine(text);
    FUZZ_CHECK(reader.Section(ItemHeader(1)).Text(QStringLiteral("Caption")) == one);
    FUZZ_CHECK(reader.Section(SubItemHeader(1, 1)).Exists());
    FUZZ_CHECK(reader.Section(RelationHeader(1)).Text(QStringLiteral("ChildItem")) == one);
}

} // namespace

// Each input allocates hundreds of small strings: a small quarantine keeps AddressSanitizer
// from touching fresh pages for every one of them.
extern "C" const char *__asan_default_options()
{
    return "quarantine_size_mb=16";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = DecodeText(bytes);
    const QStringList lines = SplitLines(text);
    checkLines(text, lines);

    const TSchemaFileReader reader(bytes);
    FUZZ_CHECK(reader.Lines() == lines);
    const auto count = [&reader](const char *key) {
        int value = 0;
        const std::optional<QString> v = walkValue(reader.Lines(), QLatin1String(key));
        return v && TryStrToInt(*v, value) ? value : 0;
    };
    FUZZ_CHECK(reader.ItemCount() == count("ItemCount"));
    FUZZ_CHECK(reader.RelCount() == count("RelCount"));

    QStringList headers;
    for (const QString &line : lines) {
        if (line.startsWith(u'[') && !headers.contains(line)) {
            headers << line;
            if (headers.size() == CheckedSections)
                break;
        }
    }
    headers << ItemHeader(1) << QStringLiteral("[none]");
    for (const QString &header : headers)
        checkSection(reader, header);

    checkWriter(text);
    return 0;
}
