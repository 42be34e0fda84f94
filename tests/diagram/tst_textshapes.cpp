// The inner controls of text and icon items: the outline of each shape, where the text goes,
// accelerator characters, the disabled look; the icon glyphs and their see-through colour.

#include "diagram/items/TSchemaIcon.h"
#include "diagram/items/TSchemaText.h"
#include "platform/ColorConvert.h"

#include <QPainter>
#include <QtTest>

using namespace Diduza;

Q_DECLARE_METATYPE(Diduza::TSchemaShapeKind)
Q_DECLARE_METATYPE(Diduza::TSCIconType)

namespace {

const QRgb kBackground = qRgb(0, 0, 255); // what lies under the label
const QRgb kLabel = qRgb(0, 200, 0); // the label's colour
const QRgb kInk = qRgb(255, 0, 0); // the font's colour
const QRgb kOutline = qRgb(0, 0, 0);

using Points = QList<QPoint>;

// Renders the control alone, on top of a plain background (no window background of its own).
QImage render(QWidget &w, QRgb background = kBackground)
{
    QImage img(w.size(), QImage::Format_RGB32);
    img.fill(background);
    w.render(&img, QPoint(), QRegion(), QWidget::RenderFlags());
    return img;
}

// Text without smoothing, so that every text pixel has exactly the pen's colour.
QFont crispFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

void setUp(TSchemaText &text, TSchemaShapeKind kind, const QSize &size, const QString &caption)
{
    text.setFont(crispFont());
    text.SetColor(QColorToColor(QColor(kLabel)));
    text.SetFontColor(clRed);
    text.SetShapeKind(kind);
    text.SetCaption(caption);
    text.resize(size);
}

// The bounding box of the pixels of one colour (null when there are none).
QRect boxOf(const QImage &img, QRgb colour)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                box = box.united(QRect(x, y, 1, 1));
    return box;
}

int countOf(const QImage &img, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += (img.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return n;
}

// Where a plain painter puts the ink of a text drawn at the origin with the label's flags.
QRect referenceInk(const QString &caption, const QSize &size)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(kBackground);
    QPainter p(&img);
    p.setFont(crispFont());
    p.setPen(QColor(kInk));
    p.drawText(QRect(QPoint(0, 0), size),
        Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs | Qt::TextShowMnemonic,
        caption);
    p.end();
    return boxOf(img, kInk);
}

QString pixelName(QRgb c)
{
    return QStringLiteral("#%1").arg(c & 0xFFFFFF, 6, 16, QLatin1Char('0'));
}

} // namespace

class tst_TextShapes : public QObject {
    Q_OBJECT
private slots:

    void shapeOutline_data();
    void shapeOutline();
    void transparentLabelIsNotFilled_data();
    void transparentLabelIsNotFilled();
    void textRectangle_data();
    void textRectangle();
    void layoutMovesTextDown_data();
    void layoutMovesTextDown();
    void alignmentKeptWithLayout();
    void accelerators();
    void measuring();
    void disabledLook();
    void setShapeKindRepaints();

    void glyphNames_data();
    void glyphNames();
    void setIconType();
    void lowerLeftColourIsSeeThrough_data();
    void lowerLeftColourIsSeeThrough();
};

// ---------------------------------------------------------------------------------------------
// Text shapes

void tst_TextShapes::shapeOutline_data()
{
    QTest::addColumn<TSchemaShapeKind>("kind");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<Points>("outline"); // black
    QTest::addColumn<Points>("filled"); // the label's colour
    QTest::addColumn<Points>("clear"); // untouched background

    // Star through (W div 2, 0), (dx, H - dy), (W, H div 2 - dy), (0, H div 2 - dy),
    // (W - dx, H - dy): for 65 x 17 (32,0) (10,15) (65,6) (0,6) (55,15); an open line.
    QTest::newRow("star 65x17") << skStar << QSize(65, 17)
                                << Points { { 32, 0 }, { 10, 15 }, { 64, 6 }, { 0, 6 }, { 55, 15 },
                                       { 20, 6 }, { 45, 6 } }
                                << Points {}
                                << Points { { 32, 9 }, { 32, 3 }, { 0, 0 }, { 64, 16 } };
    QTest::newRow("star 100x40") << skStar << QSize(100, 40)
                                 << Points { { 50, 0 }, { 16, 34 }, { 0, 14 }, { 84, 34 },
                                        { 99, 14 }, { 50, 14 } }
                                 << Points {} << Points { { 50, 22 }, { 0, 39 }, { 99, 0 } };
    // Triangle (0, H - 1), (W div 2, 0), (W, H - 1); open.
    QTest::newRow("triangle 65x17")
        << skTriangle << QSize(65, 17)
        << Points { { 0, 16 }, { 32, 0 }, { 20, 16 }, { 60, 16 }, { 64, 16 } } << Points {}
        << Points { { 32, 10 }, { 0, 0 }, { 64, 0 }, { 5, 8 } };
    // Octagon with cx = W div 3 = 21, cy = H div 3 = 5: first point (21, 0), vertical edges
    // from y 5 to y 12; open.
    QTest::newRow("octagon 65x17")
        << skOctogon << QSize(65, 17)
        << Points { { 21, 0 }, { 30, 0 }, { 44, 0 }, { 64, 5 }, { 64, 8 }, { 64, 12 }, { 44, 16 },
               { 21, 16 }, { 0, 12 }, { 0, 8 }, { 0, 5 } }
        << Points {}
        << Points { { 32, 8 }, { 0, 2 }, { 0, 4 }, { 0, 13 }, { 64, 4 }, { 64, 13 }, { 0, 16 } };
    QTest::newRow("octagon 90x60")
        << skOctogon << QSize(90, 60)
        << Points { { 30, 0 }, { 60, 0 }, { 89, 20 }, { 89, 39 }, { 60, 59 }, { 30, 59 }, { 0, 40 },
               { 0, 20 } }
        << Points {} << Points { { 45, 30 }, { 0, 18 }, { 0, 42 }, { 89, 18 }, { 89, 42 } };
    // Folded sheet: the body (W-10,0) (W-1,10) (W-1,H-1) (0,H-1) (0,0) and the corner triangle
    // (W-10,0) (W-10,10) (W,10), both filled; the cut-off corner stays clear.
    QTest::newRow("sheet 65x17") << skRectangle << QSize(65, 17)
                                 << Points { { 0, 0 }, { 0, 8 }, { 0, 16 }, { 30, 16 }, { 30, 0 },
                                        { 55, 0 }, { 64, 10 }, { 64, 14 }, { 55, 5 }, { 55, 10 },
                                        { 60, 10 } }
                                 << Points { { 10, 8 }, { 40, 8 }, { 57, 8 }, { 62, 13 } }
                                 << Points { { 63, 2 }, { 64, 0 }, { 60, 1 } };
    QTest::newRow("sheet 120x50") << skRectangle << QSize(120, 50)
                                  << Points { { 0, 0 }, { 0, 49 }, { 110, 0 }, { 119, 10 },
                                         { 119, 49 }, { 110, 10 }, { 115, 10 } }
                                  << Points { { 60, 25 }, { 112, 8 }, { 117, 40 } }
                                  << Points { { 118, 2 }, { 119, 0 } };
    // Rounded rectangle over the whole label, filled; its corners stay clear.
    QTest::newRow("round rect 65x17")
        << skRoundRect << QSize(65, 17) << Points { { 32, 0 }, { 32, 16 }, { 0, 8 }, { 64, 8 } }
        << Points { { 32, 8 }, { 5, 8 }, { 60, 8 } }
        << Points { { 0, 0 }, { 64, 0 }, { 0, 16 }, { 64, 16 } };
    // No outline at all.
    QTest::newRow("none") << skNone << QSize(65, 17) << Points {} << Points {}
                          << Points { { 0, 0 }, { 32, 0 }, { 0, 8 }, { 32, 8 }, { 64, 16 } };
    QTest::newRow("ellipse") << skEllipse << QSize(65, 17) << Points {} << Points {}
                             << Points { { 0, 0 }, { 32, 0 }, { 0, 8 }, { 32, 8 }, { 64, 16 } };
}

void tst_TextShapes::shapeOutline()
{
    QFETCH(TSchemaShapeKind, kind);
    QFETCH(QSize, size);
    QFETCH(Points, outline);
    QFETCH(Points, filled);
    QFETCH(Points, clear);

    TSchemaText text;
    setUp(text, kind, size, QString());
    const QImage img = render(text);
    for (const QPoint &p : outline)
        QVERIFY2((img.pixel(p) & 0xFFFFFF) == (kOutline & 0xFFFFFF),
            qPrintable(QStringLiteral("(%1,%2) is %3, not the outline")
                           .arg(p.x())
                           .arg(p.y())
                           .arg(pixelName(img.pixel(p)))));
    for (const QPoint &p : filled)
        QVERIFY2((img.pixel(p) & 0xFFFFFF) == (kLabel & 0xFFFFFF),
            qPrintable(QStringLiteral("(%1,%2) is %3, not filled")
                           .arg(p.x())
                           .arg(p.y())
                           .arg(pixelName(img.pixel(p)))));
    for (const QPoint &p : clear)
        QVERIFY2((img.pixel(p) & 0xFFFFFF) == (kBackground & 0xFFFFFF),
            qPrintable(QStringLiteral("(%1,%2) is %3, not left clear")
                           .arg(p.x())
                           .arg(p.y())
                           .arg(pixelName(img.pixel(p)))));
    // Only the sheet and the rounded rectangle are filled; nothing but the outline is black.
    const bool fills = kind == skRectangle || kind == skRoundRect;
    QCOMPARE(countOf(img, kLabel) > 0, fills);
    if (kind == skNone || kind == skEllipse)
        QCOMPARE(countOf(img, kBackground), size.width() * size.height());

    // With a text, the text is the only thing added.
    TSchemaText withText;
    setUp(withText, kind, size, QStringLiteral("Hi"));
    const QImage textImg = render(withText);
    int changed = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != textImg.pixel(x, y)) {
                ++changed;
                QCOMPARE(textImg.pixel(x, y) & 0xFFFFFF, kInk & 0xFFFFFF);
            }
    QVERIFY(changed > 0);
}

void tst_TextShapes::transparentLabelIsNotFilled_data()
{
    QTest::addColumn<TSchemaShapeKind>("kind");
    QTest::newRow("sheet") << skRectangle;
    QTest::newRow("round rect") << skRoundRect;
}

void tst_TextShapes::transparentLabelIsNotFilled()
{
    QFETCH(TSchemaShapeKind, kind);
    TSchemaText text;
    setUp(text, kind, QSize(65, 17), QString());
    text.SetTransparent(true);
    const QImage img = render(text);
    QCOMPARE(countOf(img, kLabel), 0);
    QVERIFY(countOf(img, kOutline) > 0);
    QCOMPARE(img.pixel(20, 8) & 0xFFFFFF, kBackground & 0xFFFFFF);
}

void tst_TextShapes::textRectangle_data()
{
    QTest::addColumn<TSchemaShapeKind>("kind");
    QTest::addColumn<QPoint>("offset");

    // The text rectangle is (1, 2, W - 1, H) for the sheet, (1, 1, W, H) for the others.
    QTest::newRow("sheet") << skRectangle << QPoint(1, 2);
    QTest::newRow("none") << skNone << QPoint(1, 1);
    QTest::newRow("round rect") << skRoundRect << QPoint(1, 1);
    QTest::newRow("ellipse") << skEllipse << QPoint(1, 1);
    QTest::newRow("star") << skStar << QPoint(1, 1);
    QTest::newRow("triangle") << skTriangle << QPoint(1, 1);
    QTest::newRow("octagon") << skOctogon << QPoint(1, 1);
}

void tst_TextShapes::textRectangle()
{
    QFETCH(TSchemaShapeKind, kind);
    QFETCH(QPoint, offset);

    const QSize size(120, 40);
    TSchemaText text;
    setUp(text, kind, size, QStringLiteral("HH"));
    const QRect ink = boxOf(render(text), kInk);
    const QRect reference = referenceInk(QStringLiteral("HH"), size);
    QVERIFY(!reference.isNull());
    QCOMPARE(ink, reference.translated(offset));
}

void tst_TextShapes::layoutMovesTextDown_data()
{
    QTest::addColumn<TSchemaShapeKind>("kind");
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("height");

    for (TSchemaShapeKind kind : { skNone, skRectangle })
        for (int height : { 17, 40, 61 }) {
            const QByteArray name = EnumValueName(kind).toLatin1();
            QTest::addRow("%s top %d", name.data(), height)
                << kind << int(TSchemaText::tlTop) << height;
            QTest::addRow("%s centre %d", name.data(), height)
                << kind << int(TSchemaText::tlCenter) << height;
            QTest::addRow("%s bottom %d", name.data(), height)
                << kind << int(TSchemaText::tlBottom) << height;
        }
}

void tst_TextShapes::layoutMovesTextDown()
{
    QFETCH(TSchemaShapeKind, kind);
    QFETCH(int, layout);
    QFETCH(int, height);

    const QSize size(100, height);
    TSchemaText text;
    setUp(text, kind, size, QStringLiteral("Hx"));
    text.SetLayout(TSchemaText::TTextLayout(layout));
    const QRect ink = boxOf(render(text), kInk);
    const QRect reference = referenceInk(QStringLiteral("Hx"), size);

    // The text's extent (one line) is moved so that its bottom meets the label's bottom, or
    // so that it is centred in what lies below the text rectangle's top.
    const int top = kind == skRectangle ? 2 : 1;
    const int extent = QFontMetrics(crispFont()).height();
    int shift = top;
    if (layout == TSchemaText::tlBottom)
        shift = height - extent;
    else if (layout == TSchemaText::tlCenter)
        shift = top + (height - top - extent) / 2;
    QCOMPARE(ink, reference.translated(1, shift));
}

void tst_TextShapes::alignmentKeptWithLayout()
{
    // Measuring for the layout must not narrow the rectangle the text is aligned in.
    const QSize size(120, 40);
    for (int layout : { TSchemaText::tlTop, TSchemaText::tlCenter, TSchemaText::tlBottom }) {
        TSchemaText centred;
        setUp(centred, skNone, size, QStringLiteral("Hx"));
        centred.SetAlignment(Qt::AlignHCenter);
        centred.SetLayout(TSchemaText::TTextLayout(layout));
        const QRect ink = boxOf(render(centred), kInk);
        // Centred in the text rectangle from x 1 to x 120.
        QVERIFY2(qAbs((ink.left() + ink.right() + 1) - (1 + 120)) <= 2,
            qPrintable(QStringLiteral("layout %1: ink from %2 to %3")
                           .arg(layout)
                           .arg(ink.left())
                           .arg(ink.right())));

        TSchemaText right;
        setUp(right, skNone, size, QStringLiteral("Hx"));
        right.SetAlignment(Qt::AlignRight);
        right.SetLayout(TSchemaText::TTextLayout(layout));
        const QRect rightInk = boxOf(render(right), kInk);
        QVERIFY2(rightInk.right() >= 115, qPrintable(QString::number(rightInk.right())));
    }
}

void tst_TextShapes::accelerators()
{
    const QSize size(100, 20);
    auto draw = [&](const QString &caption, bool shown) {
        TSchemaText text;
        setUp(text, skNone, size, caption);
        text.SetShowAccelChar(shown);
        return render(text);
    };

    // "&&" stands for one "&" while accelerators are shown.
    QCOMPARE(draw(QStringLiteral("a&&b"), true), draw(QStringLiteral("a&b"), false));
    // "&" marks the next character, which is underlined, and is not drawn itself.
    const QImage marked = draw(QStringLiteral("a&bc"), true);
    const QImage plain = draw(QStringLiteral("abc"), false);
    QVERIFY(marked != plain);
    QCOMPARE(boxOf(marked, kInk).left(), boxOf(plain, kInk).left());
    QVERIFY2(countOf(marked, kInk) > countOf(plain, kInk), "accelerator not underlined");
    QVERIFY(boxOf(marked, kInk).bottom() > boxOf(plain, kInk).bottom());
    // Not shown: "&" is an ordinary character.
    const QImage literal = draw(QStringLiteral("a&bc"), false);
    QVERIFY(boxOf(literal, kInk).right() > boxOf(plain, kInk).right());
    QVERIFY(draw(QStringLiteral("&"), false) != draw(QString(), false));
}

void tst_TextShapes::measuring()
{
    TSchemaText text;
    setUp(text, skNone, QSize(65, 17), QString());
    const QFontMetrics fm(crispFont());
    const QSize blank = text.MeasureText(-1);
    // An empty text is measured as one blank: one line high, not nothing.
    QCOMPARE(blank.height(), fm.height());
    QVERIFY(blank.width() > 0);
    // So is "&" alone while accelerators are shown; not shown, it is measured as it is.
    text.SetCaption(QStringLiteral("&"));
    QCOMPARE(text.MeasureText(-1).height(), fm.height());
    QVERIFY(text.MeasureText(-1).width() > 0);
    text.SetShowAccelChar(false);
    QCOMPARE(text.MeasureText(-1).width(), fm.horizontalAdvance(QLatin1Char('&')));
    // Word breaking within a width; an unbounded measure keeps one line.
    text.SetCaption(QStringLiteral("one two three four five"));
    QCOMPARE(text.MeasureText(-1).height(), fm.height());
    QVERIFY(text.MeasureText(40).height() >= 3 * fm.height());
    text.SetWordWrap(false);
    QCOMPARE(text.MeasureText(40).height(), fm.height());

    // Empty and "&" texts with a layout below the top draw nothing and do not fail.
    for (const QString &caption : { QString(), QStringLiteral("&") }) {
        TSchemaText label;
        setUp(label, skNone, QSize(65, 40), caption);
        label.SetLayout(TSchemaText::tlCenter);
        QCOMPARE(countOf(render(label), kInk), 0);
    }
}

void tst_TextShapes::disabledLook()
{
    const QSize size(100, 30);
    TSchemaText enabled;
    setUp(enabled, skNone, size, QStringLiteral("Hxy"));
    const QRect enabledInk = boxOf(render(enabled), kInk);

    TSchemaText disabled;
    setUp(disabled, skNone, size, QStringLiteral("Hxy"));
    disabled.setEnabled(false);
    const QImage img = render(disabled);
    const QRgb light = ColorToQColor(clBtnHighlight, disabled.palette()).rgb();
    const QRgb shadow = ColorToQColor(clBtnShadow, disabled.palette()).rgb();
    QVERIFY(light != shadow);
    QCOMPARE(countOf(img, kInk), 0);
    // First shifted by (1, 1) in the highlight colour, then in place in the shadow colour.
    const QRect shadowInk = boxOf(img, shadow);
    const QRect lightInk = boxOf(img, light);
    QCOMPARE(shadowInk, enabledInk);
    QCOMPARE(lightInk.bottomRight(), shadowInk.bottomRight() + QPoint(1, 1));
    QVERIFY(countOf(img, light) > 0);
}

void tst_TextShapes::setShapeKindRepaints()
{
    TSchemaText text;
    QCOMPARE(text.ShapeKind(), skRectangle);
    QCOMPARE(text.size(), QSize(65, 17));
    QVERIFY(text.WordWrap());
    QCOMPARE(text.Layout(), TSchemaText::tlTop);
    QVERIFY(text.ShowAccelChar());
    setUp(text, skRectangle, QSize(65, 17), QString());
    const QImage sheet = render(text);
    text.SetShapeKind(skStar);
    QCOMPARE(text.ShapeKind(), skStar);
    QVERIFY(render(text) != sheet);
    text.SetShapeKind(skRectangle);
    QCOMPARE(render(text), sheet);
}

// ---------------------------------------------------------------------------------------------
// Icons

void tst_TextShapes::glyphNames_data()
{
    QTest::addColumn<TSCIconType>("type");
    QTest::addColumn<QString>("resource");

    const char *const names[] = { "SIT_DEFAULT", "SIT_COMPUTER", "SIT_DRIVE", "SIT_CALCULATOR",
        "SIT_CALENDAR", "SIT_DESIGN", "SIT_FAX", "SIT_RECYCLE", "SIT_CONNECTION", "SIT_CROSS",
        "SIT_PASSWORD", "SIT_DATABASE", "SIT_PAPER", "SIT_LINK", "SIT_RELATION", "SIT_SETTINGS",
        "SIT_FOLDERBOX", "SIT_FONT", "SIT_FORM", "SIT_GRAPH", "SIT_MAIL", "SIT_NETWORK", "SIT_NOTE",
        "SIT_WEBDATA", "SIT_PRINTER", "SIT_SERVER", "SIT_SIGNAL", "SIT_STOPLIGHT", "SIT_TIME",
        "SIT_UPDATE", "SIT_USER" };
    QCOMPARE(EnumCount<TSCIconType>(), int(std::size(names)));
    for (int i = 0; i < int(std::size(names)); ++i)
        QTest::newRow(names[i]) << TSCIconType(i) << QString::fromLatin1(names[i]);
}

void tst_TextShapes::glyphNames()
{
    QFETCH(TSCIconType, type);
    QFETCH(QString, resource);
    QCOMPARE(TSchemaIcon::GlyphResourceName(type), resource);
    QCOMPARE(TSchemaIcon::LoadGlyph(type).size(), QSize(32, 32));
}

void tst_TextShapes::setIconType()
{
    TSchemaIcon icon;
    QCOMPARE(icon.IconType(), itDefault);
    QCOMPARE(icon.size(), QSize(65, 17));
    QCOMPARE(icon.Picture(), TSchemaIcon::LoadGlyph(itDefault));

    const qint64 loaded = icon.Picture().cacheKey();
    icon.SetIconType(itDefault); // unchanged: nothing is loaded again
    QCOMPARE(icon.Picture().cacheKey(), loaded);

    icon.SetIconType(itPrinter);
    QCOMPARE(icon.IconType(), itPrinter);
    QVERIFY(icon.Picture().cacheKey() != loaded);
    QCOMPARE(icon.Picture(), TSchemaIcon::LoadGlyph(itPrinter));
    const qint64 printer = icon.Picture().cacheKey();
    icon.SetIconType(itPrinter);
    QCOMPARE(icon.Picture().cacheKey(), printer);
}

void tst_TextShapes::lowerLeftColourIsSeeThrough_data()
{
    QTest::addColumn<TSCIconType>("type");
    QTest::addColumn<QSize>("size");

    for (int i = 0; i < EnumCount<TSCIconType>(); ++i)
        QTest::addRow("%s", qPrintable(EnumValueName(TSCIconType(i))))
            << TSCIconType(i) << QSize(64, 64);
    QTest::newRow("smaller than the glyph") << itStopLight << QSize(65, 17);
}

void tst_TextShapes::lowerLeftColourIsSeeThrough()
{
    QFETCH(TSCIconType, type);
    QFETCH(QSize, size);

    TSchemaIcon icon;
    icon.SetIconType(type);
    icon.resize(size);
    const QRgb background = qRgb(1, 2, 3);
    const QImage img = render(icon, background);
    const QImage picture = icon.Picture().convertToFormat(QImage::Format_ARGB32);
    const QRgb key = picture.pixel(0, picture.height() - 1) & 0xFFFFFF;
    // Centred, integer division toward zero: for a 17-pixel height the glyph starts at -7.
    const QPoint origin((size.width() - 32) / 2, (size.height() - 32) / 2);
    int shown = 0;
    int hidden = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QPoint p = QPoint(x, y) - origin;
            const QRgb got = img.pixel(x, y) & 0xFFFFFF;
            if (!picture.rect().contains(p)) {
                QCOMPARE(got, background & 0xFFFFFF);
                continue;
            }
            const QRgb want = picture.pixel(p) & 0xFFFFFF;
            if (want == key) {
                QCOMPARE(got, background & 0xFFFFFF);
                ++hidden;
            } else {
                QCOMPARE(got, want);
                ++shown;
            }
        }
    // A glyph is a picture on a plain background, whose colour (that of the lower-left corner)
    // lets the item's colour through.
    if (size == QSize(64, 64)) {
        QCOMPARE(img.pixel(origin.x(), origin.y() + 31) & 0xFFFFFF, background & 0xFFFFFF);
        QVERIFY2(shown > 0, "nothing of the glyph is drawn");
        QVERIFY2(hidden > 0, "no background in the glyph");
    }
}

QTEST_MAIN(tst_TextShapes)
#include "tst_textshapes.moc"
