#include "resources/Glyphs.h"

#include <QFile>
#include <QPainter>
#include <QSet>
#include <QXmlStreamReader>
#include <QtTest>

#include <algorithm>

using namespace Diduza;

namespace {

const QStringList IconNames = { "DEFAULT", "COMPUTER", "DRIVE", "CALCULATOR", "CALENDAR", "DESIGN",
    "FAX", "RECYCLE", "CONNECTION", "CROSS", "PASSWORD", "DATABASE", "PAPER", "LINK", "RELATION",
    "SETTINGS", "FOLDERBOX", "FONT", "FORM", "GRAPH", "MAIL", "NETWORK", "NOTE", "WEBDATA",
    "PRINTER", "SERVER", "SIGNAL", "STOPLIGHT", "TIME", "UPDATE", "USER" };

const QStringList ToolbarNames = { "LISTBOX", "CHECKLISTBOX", "TREEVIEW", "TEXT", "ICON" };

const QStringList BuilderNames = { "TABLE", "FIELD", "NEW", "OPEN", "SAVE", "SAVE_DISABLED",
    "SHOWGRID", "SHOWTABLES", "GENSQL", "EXECSQL", "FORM_ICON" };

// The palette glyphs of the registered component classes, and the one no class uses.
const QStringList PaletteNames = { "TSCHEMADESIGNAREA", "TSQLBUILDERDIALOG",
    "TSCHEMACUSTOMDATAENGINE", "TSCHEMABDEDATAENGINE", "TSCHEMAADODATAENGINE" };

QString PalettePath(const QString &name)
{
    return ":/diduza/palette/" + name + ".svg";
}

QString IconPath(const QString &name)
{
    return ":/diduza/icons/SIT_" + name + ".svg";
}
QString ToolbarPath(const QString &name)
{
    return ":/diduza/toolbar/STB_" + name + ".svg";
}
QString BuilderPath(const QString &name)
{
    return ":/diduza/builder/" + name + ".svg";
}
const QString ItemPath = QStringLiteral(":/diduza/SD_ITEM.svg");

int BuilderSide(const QString &name)
{
    return name == "FORM_ICON" ? 32 : 16;
}

// The sixteen classic VGA colours, the only ones the glyphs are drawn in.
const QSet<QRgb> &Palette()
{
    static const QSet<QRgb> colours = { qRgb(0x00, 0x00, 0x00), qRgb(0x80, 0x00, 0x00),
        qRgb(0x00, 0x80, 0x00), qRgb(0x80, 0x80, 0x00), qRgb(0x00, 0x00, 0x80),
        qRgb(0x80, 0x00, 0x80), qRgb(0x00, 0x80, 0x80), qRgb(0xC0, 0xC0, 0xC0),
        qRgb(0x80, 0x80, 0x80), qRgb(0xFF, 0x00, 0x00), qRgb(0x00, 0xFF, 0x00),
        qRgb(0xFF, 0xFF, 0x00), qRgb(0x00, 0x00, 0xFF), qRgb(0xFF, 0x00, 0xFF),
        qRgb(0x00, 0xFF, 0xFF), qRgb(0xFF, 0xFF, 0xFF) };
    return colours;
}

const QRgb Teal = qRgb(0x00, 0x80, 0x80);

// Every picture with its expected size: icons, tool-bar glyphs, the item icon, the
// query-builder pictures.
QList<QPair<QString, int>> AllPictures()
{
    QList<QPair<QString, int>> all;
    for (const QString &n : IconNames)
        all.append({ IconPath(n), 32 });
    for (const QString &n : ToolbarNames)
        all.append({ ToolbarPath(n), 16 });
    all.append({ ItemPath, 16 });
    for (const QString &n : BuilderNames)
        all.append({ BuilderPath(n), BuilderSide(n) });
    for (const QString &n : PaletteNames)
        all.append({ PalettePath(n), 24 });
    return all;
}

int CountDifferent(const QImage &a, const QImage &b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class tst_Glyphs : public QObject {
    Q_OBJECT
private slots:
    // resources and their declared geometry
    void pictures_data();
    void pictures();
    void pathHelpers();

    // rendering helpers
    void renderRejectsBadInput();
    void renderScalesToTheRequestedSize();
    void makeTransparent();

    // icon glyphs (keyed by fuchsia)
    void icons_data();
    void icons();
    void iconsArePairwiseDifferent();

    // tool-bar glyphs
    void toolbarGlyphs_data();
    void toolbarGlyphs();
    void toolbarGlyphOutOfRange();

    // pictures with a transparent background
    void transparentPictures_data();
    void transparentPictures();
    void disabledSaveIsGrey();
    void paletteGlyphs();

    // writes the contact sheet when DIDUZA_GLYPH_SHEET names a file
    void contactSheet();
};

void tst_Glyphs::pictures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("side");
    for (const auto &p : AllPictures())
        QTest::newRow(qPrintable(p.first)) << p.first << p.second;
}

void tst_Glyphs::pictures()
{
    QFETCH(QString, path);
    QFETCH(int, side);
    QVERIFY2(QFile::exists(path), qPrintable(path));

    // The root element declares the pixel size and a matching view box.
    QXmlStreamReader xml(ReadAll(path));
    QVERIFY(xml.readNextStartElement());
    QCOMPARE(xml.name(), QLatin1String("svg"));
    const auto attrs = xml.attributes();
    QCOMPARE(attrs.value("width").toInt(), side);
    QCOMPARE(attrs.value("height").toInt(), side);
    QCOMPARE(attrs.value("viewBox").toString().simplified(), QStringLiteral("0 0 %1 %1").arg(side));
    while (!xml.atEnd())
        xml.readNext();
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));

    const QImage image = RenderGlyph(path, QSize(side, side));
    QCOMPARE(image.size(), QSize(side, side));
    QCOMPARE(image.format(), QImage::Format_ARGB32);

    // Flat VGA colours only: no blended edge pixels, no partial transparency.
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const QRgb c = image.pixel(x, y);
            if (qAlpha(c) != 0 && !(qAlpha(c) == 255 && Palette().contains(c)))
                QFAIL(qPrintable(
                    QString("pixel %1,%2 is #%3").arg(x).arg(y).arg(c, 8, 16, QLatin1Char('0'))));
        }
    }
}

void tst_Glyphs::pathHelpers()
{
    for (int i = 0; i < IconNames.size(); ++i)
        QCOMPARE(IconGlyphPath(i), IconPath(IconNames[i]));
    QCOMPARE(IconGlyphCount, int(IconNames.size()));
    QVERIFY(IconGlyphPath(-1).isEmpty());
    QVERIFY(IconGlyphPath(IconGlyphCount).isEmpty());

    for (int i = 0; i < ToolbarNames.size(); ++i)
        QCOMPARE(ToolbarGlyphPath(i), ToolbarPath(ToolbarNames[i]));
    QCOMPARE(ToolbarGlyphCount, int(ToolbarNames.size()));
    QVERIFY(ToolbarGlyphPath(-1).isEmpty());
    QVERIFY(ToolbarGlyphPath(ToolbarGlyphCount).isEmpty());

    QCOMPARE(PaletteGlyphNames(), PaletteNames);
    QCOMPARE(PaletteGlyphCount, int(PaletteNames.size()));
    for (const QString &n : PaletteNames)
        QCOMPARE(PaletteGlyphPath(n), PalettePath(n));
    // Resource names are exact: no other case, no class name without the upper-casing.
    QVERIFY(PaletteGlyphPath("TSchemaDesignArea").isEmpty());
    QVERIFY(PaletteGlyphPath(QString()).isEmpty());
    QVERIFY(PaletteGlyph("TSCHEMAITEM").isNull());
}

void tst_Glyphs::renderRejectsBadInput()
{
    QVERIFY(RenderGlyph(":/diduza/icons/SIT_NOSUCH.svg", QSize(32, 32)).isNull());
    QVERIFY(RenderGlyph(QString(), QSize(32, 32)).isNull());
    QVERIFY(RenderGlyph(IconPath("PRINTER"), QSize(0, 32)).isNull());
    QVERIFY(RenderGlyph(IconPath("PRINTER"), QSize(32, -1)).isNull());

    // A file that exists but is no SVG picture.
    QTemporaryFile notSvg;
    QVERIFY(notSvg.open());
    notSvg.write("this is not a picture");
    notSvg.close();
    // The SVG parser may complain about the file; its messages are not what is tested here.
    const QtMessageHandler previous
        = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    const QImage rendered = RenderGlyph(notSvg.fileName(), QSize(16, 16));
    qInstallMessageHandler(previous);
    QVERIFY(rendered.isNull());
}

void tst_Glyphs::renderScalesToTheRequestedSize()
{
    // The pictures are drawn on the pixel grid, so twice the size is (nearly) every pixel
    // doubled; a renderer that ignored the size or the view box would differ widely.
    for (const QString &name : { QString("PRINTER"), QString("CALENDAR"), QString("FORM") }) {
        const QImage small = RenderGlyph(IconPath(name), QSize(32, 32));
        const QImage large = RenderGlyph(IconPath(name), QSize(64, 64));
        QCOMPARE(large.size(), QSize(64, 64));
        const QImage doubled = small.scaled(64, 64, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                                   .convertToFormat(QImage::Format_ARGB32);
        const int diff = CountDifferent(doubled, large);
        QVERIFY2(
            diff < 64 * 64 / 20, qPrintable(QString("%1: %2 pixels differ").arg(name).arg(diff)));
        QCOMPARE(large.pixel(0, 63), GlyphKeyColor);
    }

    // A non-square request stretches the picture: the key colour still fills the corner.
    const QImage wide = RenderGlyph(IconPath("USER"), QSize(48, 24));
    QCOMPARE(wide.size(), QSize(48, 24));
    QCOMPARE(wide.pixel(0, 23), GlyphKeyColor);
}

void tst_Glyphs::makeTransparent()
{
    QImage source(4, 2, QImage::Format_RGB32);
    source.setPixel(0, 0, qRgb(255, 0, 255));
    source.setPixel(1, 0, qRgb(254, 0, 255)); // one step away from the key: kept
    source.setPixel(2, 0, qRgb(0, 0, 0));
    source.setPixel(3, 0, qRgb(255, 0, 255));
    source.setPixel(0, 1, qRgb(255, 255, 255));
    source.setPixel(1, 1, qRgb(0, 128, 128));
    source.setPixel(2, 1, qRgb(255, 0, 255));
    source.setPixel(3, 1, qRgb(255, 0, 0));

    // The alpha of the key is ignored.
    const QImage result = MakeTransparent(source, qRgba(255, 0, 255, 17));
    QCOMPARE(result.format(), QImage::Format_ARGB32);
    QCOMPARE(result.size(), source.size());
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) {
            const QRgb in = source.pixel(x, y);
            const QRgb out = result.pixel(x, y);
            if ((in & RGB_MASK) == 0xFF00FF)
                QCOMPARE(qAlpha(out), 0);
            else
                QCOMPARE(out, in);
        }
    }
    // The source is untouched.
    QCOMPARE(source.pixel(0, 0), qRgb(255, 0, 255));

    // Another key colour, on an ARGB image whose pixels are partly transparent already.
    QImage argb(2, 1, QImage::Format_ARGB32);
    argb.setPixel(0, 0, qRgba(0, 128, 128, 255));
    argb.setPixel(1, 0, qRgba(10, 20, 30, 40));
    const QImage teal = MakeTransparent(argb, Teal);
    QCOMPARE(qAlpha(teal.pixel(0, 0)), 0);
    QCOMPARE(teal.pixel(1, 0), qRgba(10, 20, 30, 40));

    QVERIFY(MakeTransparent(QImage(), GlyphKeyColor).isNull());
}

void tst_Glyphs::icons_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &n : IconNames)
        QTest::newRow(qPrintable(n)) << n;
}

void tst_Glyphs::icons()
{
    QFETCH(QString, name);
    const QImage image = RenderGlyph(IconPath(name), QSize(32, 32));
    QCOMPARE(image.size(), QSize(32, 32));

    // The icon control keys by the lower-left pixel: the whole lower-left 2 x 2 is background.
    for (int y = 30; y < 32; ++y)
        for (int x = 0; x < 2; ++x)
            QCOMPARE(image.pixel(x, y), GlyphKeyColor);

    // Opaque everywhere (a full background), a real picture in a few colours, not blank and
    // not a filled square.
    int art = 0;
    QSet<QRgb> colours;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb c = image.pixel(x, y);
            QCOMPARE(qAlpha(c), 255);
            QVERIFY2(c != Teal, qPrintable(QString("teal at %1,%2").arg(x).arg(y)));
            if (c != GlyphKeyColor) {
                ++art;
                colours.insert(c);
            }
        }
    }
    QVERIFY2(art >= 250, qPrintable(QString("only %1 pixels of art").arg(art)));
    QVERIFY2(art <= 32 * 32 - 60, qPrintable(QString("%1 pixels of art, hardly any key").arg(art)));
    QVERIFY2(colours.size() >= 2, qPrintable(QString("%1 colours").arg(colours.size())));
    QVERIFY(colours.contains(qRgb(0, 0, 0))); // the outline

    // The source uses fuchsia once, for the full-canvas background, and never teal.
    const QString text = QString::fromUtf8(ReadAll(IconPath(name))).toLower();
    QCOMPARE(text.count("#ff00ff") + text.count("fuchsia") + text.count("magenta"), 1);
    QVERIFY(text.contains(
        QRegularExpression(R"(<rect\s+width="32"\s+height="32"\s+fill="#ff00ff"\s*/>)")));
    QCOMPARE(text.count("#008080") + text.count("teal"), 0);
}

void tst_Glyphs::iconsArePairwiseDifferent()
{
    QList<QImage> images;
    for (const QString &n : IconNames)
        images.append(RenderGlyph(IconPath(n), QSize(32, 32)));
    for (int i = 0; i < images.size(); ++i) {
        for (int j = i + 1; j < images.size(); ++j) {
            const int diff = CountDifferent(images[i], images[j]);
            QVERIFY2(diff >= 100,
                qPrintable(QString("%1 and %2 differ in %3 pixels only")
                               .arg(IconNames[i], IconNames[j])
                               .arg(diff)));
        }
    }
}

void tst_Glyphs::toolbarGlyphs_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < ToolbarNames.size(); ++i)
        QTest::newRow(qPrintable(ToolbarNames[i])) << i;
}

void tst_Glyphs::toolbarGlyphs()
{
    QFETCH(int, index);
    const QImage raw = RenderGlyph(ToolbarPath(ToolbarNames[index]), QSize(16, 16));
    QCOMPARE(raw.pixel(0, 15), GlyphKeyColor);

    const QPixmap pixmap = ToolbarGlyph(index);
    QCOMPARE(pixmap.size(), QSize(16, 16));
    QVERIFY(pixmap.hasAlphaChannel());
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (const QPoint corner : { QPoint(0, 0), QPoint(15, 0), QPoint(0, 15), QPoint(15, 15) })
        QCOMPARE(qAlpha(image.pixel(corner)), 0);

    int opaque = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const QRgb c = image.pixel(x, y);
            QVERIFY(qAlpha(c) == 0 || qAlpha(c) == 255);
            // every key pixel went; the others are the rendered ones
            if (raw.pixel(x, y) == GlyphKeyColor)
                QCOMPARE(qAlpha(c), 0);
            else
                QCOMPARE(c, raw.pixel(x, y));
            opaque += qAlpha(c) == 255;
        }
    }
    QVERIFY2(opaque >= 60, qPrintable(QString("%1 opaque pixels").arg(opaque)));

    // Different from the other tool-bar glyphs.
    for (int other = 0; other < ToolbarNames.size(); ++other) {
        if (other == index)
            continue;
        const QImage o = ToolbarGlyph(other).toImage().convertToFormat(QImage::Format_ARGB32);
        QVERIFY2(CountDifferent(image, o) >= 30, qPrintable(ToolbarNames[other]));
    }
}

void tst_Glyphs::toolbarGlyphOutOfRange()
{
    QVERIFY(ToolbarGlyph(-1).isNull());
    QVERIFY(ToolbarGlyph(ToolbarGlyphCount).isNull());
}

void tst_Glyphs::paletteGlyphs()
{
    // Each glyph is a picture of its own, offered at both palette sizes.
    QList<QImage> images;
    for (const QString &n : PaletteNames) {
        const QIcon icon = PaletteGlyph(n);
        QVERIFY2(!icon.isNull(), qPrintable(n));
        QCOMPARE(icon.availableSizes(), (QList<QSize> { QSize(24, 24), QSize(16, 16) }));
        const QImage image = icon.pixmap(24, 24).toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image, RenderGlyph(PalettePath(n), QSize(24, 24)));
        for (int i = 0; i < images.size(); ++i) {
            const int diff = CountDifferent(images[i], image);
            QVERIFY2(diff >= 40,
                qPrintable(
                    QString("%1 and %2 differ in %3 pixels").arg(PaletteNames[i], n).arg(diff)));
        }
        images.append(image);
    }
}

void tst_Glyphs::transparentPictures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("side");
    QTest::newRow("SD_ITEM") << ItemPath << 16;
    for (const QString &n : BuilderNames)
        QTest::newRow(qPrintable(n)) << BuilderPath(n) << BuilderSide(n);
    for (const QString &n : PaletteNames)
        QTest::newRow(qPrintable(n)) << PalettePath(n) << 24;
}

void tst_Glyphs::transparentPictures()
{
    QFETCH(QString, path);
    QFETCH(int, side);
    const QImage image = RenderGlyph(path, QSize(side, side));
    QCOMPARE(image.size(), QSize(side, side));

    int clear = 0;
    int opaque = 0;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const QRgb c = image.pixel(x, y);
            QVERIFY(c != GlyphKeyColor); // no key colour: these are drawn as they are
            clear += qAlpha(c) == 0;
            opaque += qAlpha(c) == 255;
        }
    }
    QVERIFY2(clear >= side * side / 10, qPrintable(QString("%1 transparent pixels").arg(clear)));
    QVERIFY2(opaque >= side * side / 4, qPrintable(QString("%1 opaque pixels").arg(opaque)));
}

void tst_Glyphs::disabledSaveIsGrey()
{
    const QImage save = RenderGlyph(BuilderPath("SAVE"), QSize(16, 16));
    const QImage disabled = RenderGlyph(BuilderPath("SAVE_DISABLED"), QSize(16, 16));
    int coloured = 0;
    int shapeDiff = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const QRgb c = save.pixel(x, y);
            coloured += qAlpha(c) && !(qRed(c) == qGreen(c) && qGreen(c) == qBlue(c));
            const QRgb d = disabled.pixel(x, y);
            if (qAlpha(d))
                QVERIFY2(qRed(d) == qGreen(d) && qGreen(d) == qBlue(d),
                    qPrintable(QString("coloured pixel at %1,%2").arg(x).arg(y)));
            shapeDiff += (qAlpha(c) == 0) != (qAlpha(d) == 0);
        }
    }
    QVERIFY(coloured > 20); // the enabled floppy is in colour
    QVERIFY(shapeDiff <= 16 + 16); // the same floppy (an embossed shadow at most)
}

void tst_Glyphs::contactSheet()
{
    const QString target = qEnvironmentVariable("DIDUZA_GLYPH_SHEET");
    if (target.isEmpty())
        QSKIP("set DIDUZA_GLYPH_SHEET to a PNG file name to write the contact sheet");

    struct Entry {
        QString label;
        QString path;
        int side;
        bool keyed;
    };
    QList<Entry> entries;
    for (const QString &n : IconNames)
        entries.append({ "SIT_" + n, IconPath(n), 32, true });
    for (const QString &n : ToolbarNames)
        entries.append({ "STB_" + n, ToolbarPath(n), 16, true });
    entries.append({ "SD_ITEM", ItemPath, 16, false });
    for (const QString &n : BuilderNames)
        entries.append({ n, BuilderPath(n), BuilderSide(n), false });

    // Each cell: the picture enlarged (3x unless DIDUZA_GLYPH_SHEET_SCALE says otherwise)
    // over a checkerboard, so that transparency shows, and at its real size on white and on
    // grey, with its name underneath. DIDUZA_GLYPH_SHEET_ONLY (words separated by commas)
    // restricts the sheet to the pictures whose name contains one of the words.
    bool scaleOk = false;
    int scale = qEnvironmentVariableIntValue("DIDUZA_GLYPH_SHEET_SCALE", &scaleOk);
    if (!scaleOk || scale < 1 || scale > 16)
        scale = 3;
    const QStringList only
        = qEnvironmentVariable("DIDUZA_GLYPH_SHEET_ONLY").split(',', Qt::SkipEmptyParts);
    if (!only.isEmpty()) {
        const auto unwanted = [&](const Entry &e) {
            return std::none_of(
                only.begin(), only.end(), [&](const QString &w) { return e.label.contains(w); });
        };
        entries.erase(std::remove_if(entries.begin(), entries.end(), unwanted), entries.end());
    }
    QVERIFY(!entries.isEmpty());
    const int big = 32 * scale;
    const int cellW = big + 54, cellH = std::max(big, 80) + 32, columns = std::max(1, 1200 / cellW);
    const int rows = (int(entries.size()) + columns - 1) / columns;
    QImage sheet(columns * cellW, rows * cellH, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    QFont font = p.font();
    font.setPixelSize(11);
    p.setFont(font);
    for (int i = 0; i < entries.size(); ++i) {
        const Entry &e = entries[i];
        const QPoint origin((i % columns) * cellW + 6, (i / columns) * cellH + 6);
        QImage image = RenderGlyph(e.path, QSize(e.side, e.side));
        QVERIFY2(!image.isNull(), qPrintable(e.path));
        if (e.keyed)
            image = MakeTransparent(image, GlyphKeyColor);
        const QColor light(0xF4, 0xF4, 0xF4), dark(0xD8, 0xD8, 0xD8);
        for (int y = 0; y < big; y += 8)
            for (int x = 0; x < big; x += 8)
                p.fillRect(origin.x() + x, origin.y() + y, 8, 8, ((x + y) / 8) % 2 ? dark : light);
        const QImage enlarged = image.scaled(
            e.side * scale, e.side * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        p.drawImage(origin.x() + (big - enlarged.width()) / 2,
            origin.y() + (big - enlarged.height()) / 2, enlarged);
        p.drawImage(origin.x() + big + 6, origin.y(), image);
        p.fillRect(origin.x() + big + 6, origin.y() + 40, 36, 36, QColor(0x80, 0x80, 0x80));
        p.drawImage(origin.x() + big + 8, origin.y() + 42, image);
        p.setPen(Qt::black);
        p.drawText(QRect(origin.x(), origin.y() + std::max(big, 76) + 2, cellW - 8, 16),
            Qt::AlignLeft, e.label);
    }
    p.end();
    QVERIFY2(sheet.save(target), qPrintable(target));
}

QTEST_MAIN(tst_Glyphs)
#include "tst_glyphs.moc"
