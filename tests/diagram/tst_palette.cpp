// The diagram and the relation dialog in the application's palette: with a dark palette, set
// before the widgets are made or switched to while they show, every part stands out from what
// it is drawn on; with the light palette the designed colours (white canvas, black lines, navy
// values) are what shows.

#include "DiagramTestSupport.h"
#include "diagram/TSchemaText.h"
#include "platform/ColorConvert.h"
#include "relations/TfrmZkRelation.h"

#include <QApplication>
#include <QLabel>
#include <QStyle>
#include <QStyleFactory>
#include <QtTest>

using namespace Diduza;
using DiduzaTest::addTable;
using DiduzaTest::link;

namespace {

enum Part { Canvas, ListRows, RelationLine, CloseGlyph, ShapeOutline, RelationValues };
enum Timing { Light, DarkBefore, DarkSwitched };

QPalette darkPalette()
{
    QPalette dark(QColor(53, 53, 53), QColor(53, 53, 53));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    return dark;
}

// The highest contrast of a pixel inside rect against background, and whether the colour
// wanted shows there exactly.
qreal inkContrast(const QImage &image, const QRect &rect, const QColor &background,
    const QColor &wanted = QColor(), bool *shows = nullptr)
{
    qreal best = 1;
    const QRect r = rect & image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            best = qMax(best, ContrastRatio(c, background));
            if (shows && wanted.isValid() && c.rgb() == wanted.rgb())
                *shows = true;
        }
    }
    return best;
}

} // namespace

class tst_Palette : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void darkPaletteIsReadable_data();
    void darkPaletteIsReadable();

private:
    QPalette m_light;
};

void tst_Palette::initTestCase()
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    m_light = QApplication::style()->standardPalette();
    QApplication::setPalette(m_light);
}

void tst_Palette::cleanup()
{
    QApplication::setPalette(m_light);
}

void tst_Palette::darkPaletteIsReadable_data()
{
    QTest::addColumn<int>("part");
    QTest::addColumn<int>("timing");
    QTest::addColumn<QColor>("designed"); // shows exactly in the light palette
    const struct {
        const char *name;
        Part part;
        QColor designed;
    } parts[] = {
        { "canvas", Canvas, Qt::white },
        { "list rows", ListRows, Qt::black },
        { "relation line", RelationLine, Qt::black },
        { "title bar close glyph", CloseGlyph, QColor() },
        { "text shape outline", ShapeOutline, Qt::black },
        { "relation dialog values", RelationValues, QColor(0, 0, 128) },
    };
    const struct {
        const char *name;
        Timing timing;
    } timings[]
        = { { "light", Light }, { "dark", DarkBefore }, { "switched to dark", DarkSwitched } };
    for (const auto &p : parts) {
        for (const auto &t : timings) {
            QTest::addRow("%s, %s", p.name, t.name)
                << int(p.part) << int(t.timing) << (t.timing == Light ? p.designed : QColor());
        }
    }
}

void tst_Palette::darkPaletteIsReadable()
{
    QFETCH(int, part);
    QFETCH(int, timing);
    QFETCH(QColor, designed);
    if (timing == DarkBefore)
        QApplication::setPalette(darkPalette());

    TSchemaDesignArea area;
    area.resize(500, 320);
    TSchemaItem *customer = addTable(area, "customer", { "id", "name" }, 10, 10, scCheckListBox);
    TSchemaItem *orders = addTable(area, "orders", { "id", "customer_id" }, 250, 40);
    TSchemaRelation *relation = link(area, customer, 0, orders, 1);
    TSchemaItem *shape = area.AddItem(QString(), scText);
    shape->TextControl()->SetShapeKind(skRoundRect);
    shape->SetBounds(50, 150, 80, 60);
    TfrmZkRelation form;
    form.txtTable1->setText(QStringLiteral("orders"));
    area.show();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    if (timing == DarkSwitched) {
        QApplication::setPalette(darkPalette());
        QCoreApplication::processEvents();
    }

    const QImage canvas = area.viewport()->grab().toImage();
    const QColor bare = canvas.pixelColor(canvas.width() - 5, canvas.height() - 5);
    bool shows = false;
    qreal contrast = 21;
    switch (part) {
    case Canvas:
        QCOMPARE(bare, QApplication::palette().color(QPalette::Base));
        shows = bare == designed;
        break;
    case ListRows: {
        // The rows' background is the palette's window colour (the items' default), also after
        // a switch; their text stands out from it.
        QWidget *list = orders->ItemControl();
        const QImage rows = list->grab().toImage();
        const QColor behind = rows.pixelColor(rows.width() - 4, rows.height() - 4);
        QCOMPARE(behind, QApplication::palette().color(QPalette::Base));
        contrast = inkContrast(rows, rows.rect().adjusted(2, 2, -2, -2), behind, designed, &shows);
        break;
    }
    case RelationLine:
        contrast = inkContrast(canvas, relation->BoundsRect(), bare, designed, &shows);
        break;
    case CloseGlyph: {
        const QImage item = customer->grab().toImage();
        const QRect button = customer->CloseButtonRect();
        const QColor bar = item.pixelColor(button.left() - 3, button.center().y());
        contrast = inkContrast(item, button.adjusted(2, 2, -2, -2), bar);
        break;
    }
    case ShapeOutline: {
        const QImage text = shape->grab().toImage();
        const QColor face = text.pixelColor(text.rect().center());
        contrast = inkContrast(text, text.rect(), face, designed, &shows);
        break;
    }
    case RelationValues: {
        const QImage dialog = form.grab().toImage();
        const QRect label(form.txtTable1->mapTo(&form, QPoint(0, 0)), form.txtTable1->size());
        const QColor behind = dialog.pixelColor(label.right() - 2, label.center().y());
        contrast = inkContrast(dialog, label, behind, designed, &shows);
        break;
    }
    }
    QVERIFY2(contrast >= 4.5, qPrintable(QString::number(contrast)));
    if (designed.isValid())
        QVERIFY(shows);
}

QTEST_MAIN(tst_Palette)
#include "tst_palette.moc"
