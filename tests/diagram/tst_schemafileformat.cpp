// The schema file format without widgets (SchemaFile.h, in DiduzaCore): decoding, line
// splitting, the section index, typed key lookups, the font value, the writer and the time
// stamp. Loading and saving through the design area are in tst_schemafile.

#include "../common/SchemaFileWalk.h"
#include "diagram/model/SchemaFile.h"
#include "platform/SchemaTypes.h"

#include <QRandomGenerator>
#include <QtTest>

#include <iterator>
#include <optional>

using namespace Diduza;
using namespace Diduza::SchemaFile;

Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

// A file text written compactly: "|" stands for CR LF.
QString crlf(QString text)
{
    return text.replace(u'|', QLatin1String("\r\n"));
}

} // namespace

class tst_SchemaFileFormat : public QObject {
    Q_OBJECT
private slots:
    void splitLines_data();
    void splitLines();
    void largeFilesReadAsDecoded_data();
    void largeFilesReadAsDecoded();
    void decode_data();
    void decode();
    void sections_data();
    void sections();
    void sectionIndexMatchesWalk();
    void keys_data();
    void keys();
    void requiredValues_data();
    void requiredValues();
    void fontValue_data();
    void fontValue();
    void writerOrderAndLineBreaks();
    void timeSeparator_data();
    void timeSeparator();
};

void tst_SchemaFileFormat::splitLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty lines kept") << "a\r\n\r\n\rb\n\n" << QStringList { "a", "", "", "b", "" };
    QTest::newRow("CR before CR LF") << "a\r\r\nb" << QStringList { "a", "", "b" };
    QTest::newRow("nothing") << "" << QStringList {};
    QTest::newRow("blanks kept") << " a = b \t\r\n" << QStringList { " a = b \t" };
}

void tst_SchemaFileFormat::splitLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(SplitLines(text), lines);
}

void tst_SchemaFileFormat::largeFilesReadAsDecoded_data()
{
    // Files of a few hundred kilobytes, so that the reader's slices and line search meet
    // multi-byte characters and line ends at every kind of boundary.
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<QByteArray>("prefix");
    QTest::addColumn<bool>("badByteLate");
    QTest::addColumn<QByteArray>("lineEnd");
    QTest::newRow("UTF-8, CR LF") << 1u << QByteArray() << false << QByteArray("\r\n");
    QTest::newRow("UTF-8 with mark, LF")
        << 2u << QByteArray("\xEF\xBB\xBF") << false << QByteArray("\n");
    QTest::newRow("UTF-8, CR") << 3u << QByteArray() << false << QByteArray("\r");
    QTest::newRow("mixed ends") << 4u << QByteArray() << false << QByteArray();
    QTest::newRow("not UTF-8 far in") << 5u << QByteArray() << true << QByteArray("\r\n");
}

void tst_SchemaFileFormat::largeFilesReadAsDecoded()
{
    QFETCH(quint32, seed);
    QFETCH(QByteArray, prefix);
    QFETCH(bool, badByteLate);
    QFETCH(QByteArray, lineEnd);
    QRandomGenerator random(seed);
    const char *pieces[] = { "Caption", "=", "[Item1]", "x", " ", "\xC3\xA9", "\xE2\x82\xAC",
        "\xF0\x9F\x98\x80", "\xEF\xBB\xBF", "caption=" };
    const char *ends[] = { "\r\n", "\n", "\r" };
    QByteArray bytes = prefix;
    while (bytes.size() < 300'000) {
        // Now and then one very long line, which spans several slices.
        const int length = random.bounded(40) == 0 ? 70'000 : int(random.bounded(60));
        for (qsizetype start = bytes.size(); bytes.size() - start < length;)
            bytes += pieces[random.bounded(int(std::size(pieces)))];
        bytes += lineEnd.isEmpty() ? QByteArray(ends[random.bounded(3)]) : lineEnd;
    }
    if (badByteLate)
        bytes.insert(200'001, '\x9F');
    const QStringList lines = SplitLines(DecodeText(bytes));
    const TSchemaFileReader reader(bytes);
    QCOMPARE(reader.Lines(), lines);
    // The same lines given as a list are read by plain string code.
    const TSchemaFileReader fromList(lines);
    for (const QString &key : { QStringLiteral("caption"), QStringLiteral("x x") })
        QCOMPARE(reader.FirstValue(key), fromList.FirstValue(key));
    for (const QString &header : { QStringLiteral("[Item1]"), QStringLiteral("[Item1]x") }) {
        const TSchemaSection bytesSection = reader.Section(header);
        const TSchemaSection listSection = fromList.Section(header);
        QCOMPARE(bytesSection.Lines(), listSection.Lines());
        QCOMPARE(bytesSection.Value(QStringLiteral("CAPTION")),
            listSection.Value(QStringLiteral("CAPTION")));
    }
}

void tst_SchemaFileFormat::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("Windows-1252") << QByteArray("\x80\xE9\x9F\x81")
                                  << QStringLiteral("\u20AC\u00E9\u0178\u0081");
    QTest::newRow("cut UTF-8 is 1252") << QByteArray("ok\xC3") << QStringLiteral("ok\u00C3");
    QTest::newRow("overlong UTF-8 is 1252")
        << QByteArray("\xC0\xAF") << QStringLiteral("\u00C0\u00AF");
}

void tst_SchemaFileFormat::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(DecodeText(bytes), text);
}

void tst_SchemaFileFormat::sections_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QStringList>("section");
    QTest::newRow("first occurrence wins") << QStringList { "[A]", "x=1", "[B]", "[A]", "x=2" }
                                           << "[A]" << QStringList { "[A]", "x=1" };
    QTest::newRow("repeated header continues") << QStringList { "[A]", "x=1", "[A]", "x=2",
        "[B]" } << "[A]" << QStringList { "[A]", "x=1", "[A]", "x=2" };
    QTest::newRow("header case matters")
        << QStringList { "[item1]", "x=1" } << "[Item1]" << QStringList {};
    QTest::newRow("header not trimmed")
        << QStringList { "[Item1] ", "x=1" } << "[Item1]" << QStringList {};
}

void tst_SchemaFileFormat::sections()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, header);
    QFETCH(QStringList, section);
    QCOMPARE(TSchemaFileReader(lines).Section(header).Lines(), section);
}

void tst_SchemaFileFormat::sectionIndexMatchesWalk()
{
    const QStringList alphabet { "[A]", "[B]", "[C]", "", "k=1", "K=2", "[A] ", "x", "[" };
    QRandomGenerator random(7);
    for (int round = 0; round < 500; ++round) {
        QStringList lines;
        const int n = random.bounded(30);
        for (int i = 0; i < n; ++i)
            lines << alphabet[random.bounded(int(alphabet.size()))];
        const TSchemaFileReader reader(lines);
        for (const QString header : { "[A]", "[B]", "[C]", "[D]", "[A] " })
            QCOMPARE(reader.Section(header).Lines(), DiduzaTest::WalkSection(lines, header));
    }
}

void tst_SchemaFileFormat::keys_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("key");
    QTest::addColumn<std::optional<QString>>("value");
    QTest::addColumn<bool>("boolean");
    QTest::addColumn<int>("integer"); // -99: missing or not an integer
    auto row = [](const char *name, QStringList lines, const char *key, std::optional<QString> v,
                   bool b, int i) { QTest::newRow(name) << lines << QString(key) << v << b << i; };
    row("case of A-Z ignored", { "[S]", "CAPTION=1" }, "Caption", "1", true, 1);
    row("other letters keep case", { "[S]", "\u00C4=1" }, "\u00E4", {}, false, -99);
    row("first line wins", { "[S]", "Left=1", "left=2" }, "Left", "1", true, 1);
    row("value holds =", { "[S]", "Font=a=b" }, "Font", "a=b", false, -99);
    row("blanks around =", { "[S]", "Left = 5" }, "Left", {}, false, -99);
    row("no = no name", { "[S]", "Left" }, "Left", {}, false, -99);
    row("empty value", { "[S]", "Left=" }, "Left", "", false, -99);
    row("word true", { "[S]", "Checked=true" }, "Checked", "true", false, -99);
    row("two", { "[S]", "Checked=2" }, "Checked", "2", false, 2);
    row("other section", { "[S]", "[T]", "Left=1" }, "Left", {}, false, -99);
}

void tst_SchemaFileFormat::keys()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, key);
    QFETCH(std::optional<QString>, value);
    QFETCH(bool, boolean);
    QFETCH(int, integer);
    const TSchemaSection section = TSchemaFileReader(lines).Section(QStringLiteral("[S]"));
    QCOMPARE(section.Value(key), value);
    QCOMPARE(section.Bool(key), boolean);
    QCOMPARE(section.Int(key).value_or(-99), integer);
}

void tst_SchemaFileFormat::requiredValues_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("count"); // 0: RequiredInt; otherwise RequiredEnum and OptionalEnum
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("optionalError");
    QTest::newRow("missing") << "Other=1" << 0 << "convert: Section [S], key \"Key\": missing"
                             << "";
    QTest::newRow("not a number")
        << "Key=abc" << 0 << "convert: Section [S], key \"Key\": 'abc' is not a valid integer value"
        << "";
    QTest::newRow("beyond the last")
        << "Key=5" << 5 << "format: Section [S], key \"Key\": 5 is not a valid value (0 to 4)"
        << "format: Section [S], key \"Key\": 5 is not a valid value (0 to 4)";
    QTest::newRow("negative")
        << "Key=-1" << 3 << "format: Section [S], key \"Key\": -1 is not a valid value (0 to 2)"
        << "format: Section [S], key \"Key\": -1 is not a valid value (0 to 2)";
    QTest::newRow("optional not a number")
        << "Key=x" << 3 << "convert: Section [S], key \"Key\": 'x' is not a valid integer value"
        << "";
}

void tst_SchemaFileFormat::requiredValues()
{
    QFETCH(QString, line);
    QFETCH(int, count);
    QFETCH(QString, error);
    QFETCH(QString, optionalError);
    const TSchemaSection s = TSchemaFileReader(QStringList { "[S]", line }).Section("[S]");
    auto attempt = [](auto f) -> QString {
        try {
            f();
        } catch (const EConvertError &e) {
            return "convert: " + e.Message();
        } catch (const ESchemaFileError &e) {
            return "format: " + e.Message();
        }
        return QString();
    };
    QCOMPARE(attempt([&] { count ? s.RequiredEnum("Key", count) : s.RequiredInt("Key"); }), error);
    if (count)
        QCOMPARE(attempt([&] { s.OptionalEnum("Key", count); }), optionalError);
}

void tst_SchemaFileFormat::fontValue_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QList<int>>("fields"); // charset, colour, size, style, item colour
    QTest::newRow("written form") << "MS Sans Serif,1,-16777208,8,1,16777215"
                                  << "MS Sans Serif" << QList<int> { 1, -16777208, 8, 1, 16777215 };
    QTest::newRow("blanks trimmed") << " Arial , 0 ,\t255 , 10 , 3 , 5 "
                                    << "Arial" << QList<int> { 0, 255, 10, 3, 5 };
    QTest::newRow("empty fields keep") << ",,,,,"
                                       << "Base" << QList<int> { 2, 100, 9, 0, 200 };
    QTest::newRow("non-integers keep") << "Arial,x,1.5,big,bold,white"
                                       << "Arial" << QList<int> { 2, 100, 9, 0, 200 };
    QTest::newRow("field without comma not taken") << "Arial,4,3,7,5"
                                                   << "Arial" << QList<int> { 4, 3, 7, 0, 200 };
    QTest::newRow("empty sixth keeps colour") << "Arial,4,3,7,5,"
                                              << "Arial" << QList<int> { 4, 3, 7, 5, 200 };
    QTest::newRow("name alone not taken") << "Arial"
                                          << "Base" << QList<int> { 2, 100, 9, 0, 200 };
    QTest::newRow("extra fields spoil the sixth") << "A,1,2,3,4,5,6"
                                                  << "A" << QList<int> { 1, 2, 3, 4, 200 };
    QTest::newRow("character set beyond 255") << "A,256,2,3,4,5"
                                              << "A" << QList<int> { 2, 2, 3, 4, 5 };
    QTest::newRow("style bits beyond 8") << "A,1,2,3,17,5"
                                         << "A" << QList<int> { 1, 2, 3, 1, 5 };
    QTest::newRow("placeholders in the name") << "Serif%0 %1,1,2,3,4,5"
                                              << "Serif%0 %1" << QList<int> { 1, 2, 3, 4, 5 };
}

void tst_SchemaFileFormat::fontValue()
{
    QFETCH(QString, value);
    QFETCH(QString, name);
    QFETCH(QList<int>, fields);
    TFontValue font { "Base", 2, 100, 9, 0 };
    TColor color = 200;
    ParseFontValue(value, font, color);
    QCOMPARE(font.Name, name);
    QCOMPARE((QList<int> { font.Charset, font.Color, font.Size, font.StyleBits, color }), fields);

    // Written and read again, the value gives the same font.
    TFontValue again;
    TColor againColor = 0;
    ParseFontValue(FormatFontValue(font, color), again, againColor);
    QCOMPARE(again.Name, font.Name);
    QVERIFY(again == font && againColor == color);
}

void tst_SchemaFileFormat::writerOrderAndLineBreaks()
{
    TSchemaFileData data;
    data.App = "App";
    data.Saved = "20240102 03:04:05";
    TSchemaFileItem icon;
    icon.ControlType = scIcon;
    icon.Caption = "two\r\nline\rcap\ntion";
    icon.Sizeable = icon.ShowCaption = icon.Border = false;
    icon.Left = -5;
    icon.IconType = itPrinter;
    icon.Font = TFontValue { "MS Sans Serif", 1, clWindowText, 8, TFontValue::fsBold };
    icon.Color = clWhite;
    icon.Rows.append(TSchemaFileRow { "r", true, -1, 1, 2, 3, 4, true });
    data.Items << icon;
    data.Relations << TSchemaFileRelation { icon.Caption, "two", 0, 0, 5, 3, 2, 1, 1, {} };
    const QString expected
        = "[General]|WEB=https://diduza.example.org|EMail=support@diduza.example.org|"
          "App=App|Saved=20240102 03:04:05|ItemCount=1|RelCount=1||"
          "[Item1]|ControlType=4|Caption=two line cap "
          "tion|ShowCaption=0|Sizeable=0|ToolWin=1|Border=0|"
          "Left=-5|Top=0|Width=0|Height=0|IconType=24|SubItems=1|"
          "Font=MS Sans Serif,1,-16777208,8,1,16777215||"
          "[SubItem1of1]|Caption=r|Checked=1|Index=-1|ImageIndex=1|SelectedIndex=2|OverlayIndex=3|"
          "StateIndex=4|Linked=1||"
          "[Relation1]|ParentItem=two line cap tion|ChildItem=two|ParentSubItem=0|ChildSubItem=0|"
          "JoinOperator=5|JoinType=3|RelationType=2|ParentItemNo=1|ChildItemNo=1||";
    QCOMPARE(WriteText(data), crlf(expected));
}

void tst_SchemaFileFormat::timeSeparator_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("separator");
    QTest::newRow("colon") << "HH:mm:ss"
                           << ":";
    QTest::newRow("dot") << "H.mm.ss"
                         << ".";
    QTest::newRow("12 hours") << "h:mm:ss AP t"
                              << ":";
    QTest::newRow("words between") << "HH 'h' mm"
                                   << ":";
    QTest::newRow("none") << "HHmmss"
                          << ":";
    QTest::newRow("quoted h skipped") << "'uhr' HH.mm"
                                      << ".";
}

void tst_SchemaFileFormat::timeSeparator()
{
    QFETCH(QString, format);
    QFETCH(QString, separator);
    QCOMPARE(TimeSeparatorOf(format), separator);
    QCOMPARE(FormatSaved(QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9)), separator),
        "20240305 07" + separator + "08" + separator + "09");
}

QTEST_GUILESS_MAIN(tst_SchemaFileFormat)
#include "tst_schemafileformat.moc"
