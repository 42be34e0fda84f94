// What users of diagram tools expect beside the designed area: export and print, find, an
// overview, and arranging the items by rank.

#include "../common/TestSupport.h"
#include "DiagramTestSupport.h"
#include "diagram/TSchemaFindBar.h"
#include "diagram/TfrmZkLinkTo.h"
#include "diagram/items/TSchemaListBox.h"
#include "diagram/items/TSchemaText.h"
#include "diagram/model/RankLayout.h"
#include "diagram/tools/TSchemaDiagramExport.h"
#include "diagram/tools/TSchemaOverview.h"
#include "platform/ColorConvert.h"
#include "relations/TfrmZkRelation.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QVBoxLayout>
#include <QtTest>

using namespace Diduza;
using DiduzaTest::addTable;
using DiduzaTest::link;

namespace {

// Whether the picture has ink (anything not white) inside rect.
bool hasInk(const QImage &image, const QRect &rect)
{
    for (int y = qMax(0, rect.top()); y <= qMin(image.height() - 1, rect.bottom()); ++y) {
        for (int x = qMax(0, rect.left()); x <= qMin(image.width() - 1, rect.right()); ++x) {
            if (qGray(image.pixel(x, y)) < 200)
                return true;
        }
    }
    return false;
}

} // namespace

class tst_DiagramTools : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void exports_data();
    void exports();
    void exportsShowNoSelectionOrRings();
    void svgTitleGlyphWithoutBlackBars();
    void tilesCutNoItem();
    void tiledPdfCutsNoItem();
    void darkPaletteIsReadable();
    void findAsYouType();
    void ringsGoWithTheBar_data();
    void ringsGoWithTheBar();
    void overviewFollowsAndScrolls();
    void arrangeByRank();
    void rankLayoutLessensCrossings();
    void linkByKeyboard();
    void keyboardReachesRelations();
    void keysOnAFocusedItem_data();
    void keysOnAFocusedItem();
    void tabFollowsThePlacementOfItems_data();
    void tabFollowsThePlacementOfItems();
    void menuKeyOnTheCanvas();
    void titleBarOpensTheItemMenu();
    void focusIsMarked();
    void accessibleNames();

private:
    std::unique_ptr<TSchemaDesignArea> m_area;
    TSchemaItem *m_customer = nullptr;
    TSchemaItem *m_orders = nullptr;
    TSchemaItem *m_far = nullptr;
};

void tst_DiagramTools::init()
{
    m_area = std::make_unique<TSchemaDesignArea>();
    m_area->resize(500, 300);
    m_customer = addTable(*m_area, "customer", { "id", "name", "city" }, 20, 20);
    m_orders = addTable(*m_area, "orders", { "id", "customer_id", "amount" }, 250, 60);
    // Far beyond the visible part.
    m_far = addTable(*m_area, "suppliers", { "id", "city" }, 1300, 900);
    link(*m_area, m_customer, 0, m_orders, 1);
    m_area->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_area.get()));
}

void tst_DiagramTools::cleanup()
{
    m_area.reset();
}

void tst_DiagramTools::exports_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("pages");
    QTest::newRow("png") << "png" << 1;
    QTest::newRow("svg") << "svg" << 1;
    QTest::newRow("pdf, one page") << "pdf" << 1;
    QTest::newRow("pdf, tiled") << "tiled" << 2; // pages at full size: at least two
}

// The whole diagram, the items out of sight included, shows in every format.
void tst_DiagramTools::exports()
{
    QFETCH(QString, format);
    QFETCH(int, pages);
    QTemporaryDir dir;
    TSchemaDiagramExport exporter(m_area.get());
    const QRect whole = exporter.DiagramRect();
    QCOMPARE(whole.topLeft(), QPoint(10, 10));
    QVERIFY(whole.contains(m_far->geometry()));
    const QString file = dir.filePath("diagram." + QString(format == "tiled" ? "pdf" : format));
    QString error;
    QImage picture;
    if (format == "png") {
        QVERIFY2(exporter.ExportPng(file, &error), qPrintable(error));
        QVERIFY(picture.load(file));
        QCOMPARE(picture.size(), whole.size());
    } else if (format == "svg") {
        QVERIFY2(exporter.ExportSvg(file, &error), qPrintable(error));
        QSvgRenderer svg(file);
        QVERIFY(svg.isValid());
        QCOMPARE(svg.viewBox().size(), whole.size());
        picture = QImage(whole.size(), QImage::Format_ARGB32);
        picture.fill(Qt::white);
        QPainter painter(&picture);
        svg.render(&painter);
    } else {
        QVERIFY2(exporter.ExportPdf(file, format == "tiled", &error), qPrintable(error));
        // Pages to pictures with poppler's pdftoppm, at 96 dots per inch: one diagram pixel each.
        QProcess pdftoppm;
        pdftoppm.start("pdftoppm", { "-png", "-r", "96", file, dir.filePath("page") });
        QVERIFY2(pdftoppm.waitForFinished(60000) && pdftoppm.exitCode() == 0,
            qPrintable(pdftoppm.readAllStandardError()));
        const QStringList made
            = QDir(dir.path()).entryList({ "page*.png" }, QDir::Files, QDir::Name);
        QVERIFY2(format == "tiled" ? made.size() >= pages : made.size() == pages,
            qPrintable(made.join(' ')));
        QVERIFY(picture.load(dir.filePath(made.first())));
        if (format == "tiled") {
            // The last page holds the far item, at its place from the diagram's corner.
            QImage last;
            QVERIFY(last.load(dir.filePath(made.last())));
            QVERIFY(hasInk(last, QRect(0, 0, last.width(), last.height())));
            return;
        }
        // One page: scaled to fit; the far item still shows in the bottom-right part.
        const qreal scale = qMin(
            qreal(picture.width()) / whole.width(), qreal(picture.height()) / whole.height());
        QVERIFY(scale < 1);
        const QRect far(m_far->geometry().translated(-whole.topLeft()));
        QVERIFY(hasInk(picture, QRect((far.topLeft() * scale), (far.bottomRight() * scale))));
        return;
    }
    for (TSchemaItem *item : { m_customer, m_orders, m_far })
        QVERIFY2(hasInk(picture, item->geometry().translated(-whole.topLeft())),
            qPrintable(item->Caption()));
    // The relation's line between the two items.
    QVERIFY(hasInk(picture, QRect(m_customer->geometry().right() + 5 - whole.left(), 10, 40, 200)));
}

// The user's selected row and the find bar's rings and matches are not in a picture.
void tst_DiagramTools::exportsShowNoSelectionOrRings()
{
    m_orders->ListBox()->setCurrentRow(2);
    m_area->FindAction()->trigger();
    m_area->FindBar()->Find("cit"); // rings customer and suppliers, selects their city rows
    const QColor highlight = m_area->palette().color(QPalette::Highlight);
    QImage screen = m_area->viewport()->grab().toImage();
    QCOMPARE(screen.pixelColor(m_customer->geometry().topLeft() - QPoint(2, 2)), highlight);
    TSchemaDiagramExport exporter(m_area.get());
    const QRect whole = exporter.DiagramRect();
    QImage picture(whole.size(), QImage::Format_RGB32);
    QPainter painter(&picture);
    exporter.Draw(painter);
    for (TSchemaItem *item : { m_customer, m_orders, m_far }) {
        const QRect r = item->geometry().adjusted(-4, -4, 4, 4).translated(-whole.topLeft());
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                QVERIFY(picture.pixelColor(x, y) != highlight);
    }
    QCOMPARE(m_customer->ListBox()->currentRow(), 2); // the screen keeps both
    QVERIFY(m_customer->Highlighted());
}

// In SVG the title bar's close glyph looks as in PNG: the style's gradient pens were black bars.
void tst_DiagramTools::svgTitleGlyphWithoutBlackBars()
{
    QTemporaryDir dir;
    TSchemaDiagramExport exporter(m_area.get());
    const QRect whole = exporter.DiagramRect();
    QImage png, svg(whole.size(), QImage::Format_RGB32);
    QVERIFY(exporter.ExportPng(dir.filePath("d.png")) && png.load(dir.filePath("d.png")));
    QVERIFY(exporter.ExportSvg(dir.filePath("d.svg")));
    svg.fill(Qt::white);
    QPainter painter(&svg);
    QSvgRenderer(dir.filePath("d.svg")).render(&painter);
    const QRect glyph = m_customer->CloseButtonRect()
                            .adjusted(-2, -2, 3, 3)
                            .translated(m_customer->pos() - whole.topLeft());
    for (int y = glyph.top(); y <= glyph.bottom(); ++y)
        for (int x = glyph.left(); x <= glyph.right(); ++x)
            QVERIFY(qAbs(qGray(png.pixel(x, y)) - qGray(svg.pixel(x, y))) <= 96);
}

// Random tables in rows and columns on random pages: no table cut, every drawn part on a page,
// no two pages overlapping, none showing nothing.
void tst_DiagramTools::tilesCutNoItem()
{
    QRandomGenerator random(48);
    for (int round = 0; round < 40; ++round) {
        const QSize page(random.bounded(320, 900), random.bounded(320, 1100));
        TSchemaDesignArea area;
        QVector<QRect> drawn;
        QVector<QPair<int, int>> rows; // top and height, shared by the columns
        for (int r = 0, y = 0; r < random.bounded(1, 5); ++r) {
            rows << qMakePair(y, random.bounded(60, qMin(400, page.height())));
            y += rows.last().second + random.bounded(20, 200);
        }
        for (int c = 0, x = 0; c < random.bounded(1, 6); ++c) {
            const int width = random.bounded(100, qMin(400, page.width()));
            for (const auto &row : std::as_const(rows)) {
                TSchemaItem *item = addTable(area, QString("t%1").arg(drawn.size()), { "id" });
                const int dy = random.bounded(row.second / 4);
                item->SetBounds(x + random.bounded(width / 4), row.first + dy, width - width / 4,
                    row.second - dy);
                drawn << item->geometry();
                if (c > 0 && random.bounded(2))
                    link(area, area.GetItem(random.bounded(area.GetItemCount() - 1)), 0, item, 0);
            }
            x += width + random.bounded(20, 300);
        }
        const QVector<QRect> tiles = TSchemaDiagramExport(&area).Tiles(page);
        QRegion covered;
        for (const QRect &tile : tiles) {
            QVERIFY(tile.width() <= page.width() && tile.height() <= page.height());
            QVERIFY(!covered.intersects(tile)); // no part twice
            covered += tile;
        }
        for (const QRect &item : std::as_const(drawn))
            QVERIFY2(std::any_of(tiles.cbegin(), tiles.cend(),
                         [&](const QRect &t) { return t.contains(item); }),
                qPrintable(QString::number(round)));
        for (int i = 0; i < area.GetRelationCount(); ++i) {
            for (const QRect &r : area.GetRelation(i)->PaintRects()) {
                drawn << r.translated(area.GetRelation(i)->BoundsRect().topLeft());
                QVERIFY((QRegion(drawn.last()) - covered).isEmpty()); // on some page
            }
        }
        for (const QRect &tile : tiles)
            QVERIFY(std::any_of(
                drawn.cbegin(), drawn.cend(), [&](const QRect &r) { return r.intersects(tile); }));
    }
}

// A diagram a little wider than a portrait page: one landscape page, every table whole with
// its title bar (clipping each tile lost the title bars of the windows).
void tst_DiagramTools::tiledPdfCutsNoItem()
{
    m_far->move(800, 60);
    QTemporaryDir dir;
    QVERIFY(TSchemaDiagramExport(m_area.get()).ExportPdf(dir.filePath("t.pdf"), true));
    QProcess pdftoppm;
    pdftoppm.start("pdftoppm", { "-png", "-r", "96", dir.filePath("t.pdf"), dir.filePath("p") });
    QVERIFY(pdftoppm.waitForFinished(60000) && pdftoppm.exitCode() == 0);
    const QStringList pages = QDir(dir.path()).entryList({ "p*.png" });
    QCOMPARE(pages.size(), 1);
    const QImage page(dir.filePath(pages.first()));
    QVERIFY(page.width() > page.height());
    // One diagram pixel per page pixel from where the ink begins, the customer's corner.
    QRect ink;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 200)
                ink |= QRect(x, y, 1, 1);
    for (TSchemaItem *item : { m_customer, m_orders, m_far })
        QVERIFY2(
            hasInk(page,
                item->CaptionRect().translated(item->pos() + ink.topLeft() - m_customer->pos())),
            qPrintable(item->GetCaption()));
}

// Switched to a dark palette while the diagram shows, the canvas and the lists take its base
// colour and every part stands out from what it is drawn on (by a contrast of 4.5).
void tst_DiagramTools::darkPaletteIsReadable()
{
    TSchemaItem *shape = m_area->AddItem(QString(), scText);
    shape->TextControl()->SetShapeKind(skRoundRect);
    shape->SetBounds(20, 200, 80, 60);
    TfrmZkRelation form;
    form.txtTable1->setText("orders");
    form.show();
    const QPalette light = QApplication::palette();
    const auto restore = qScopeGuard([&] { QApplication::setPalette(light); });
    QPalette dark(QColor(53, 53, 53), QColor(53, 53, 53));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    for (auto role : { QPalette::Text, QPalette::WindowText, QPalette::ButtonText })
        dark.setColor(role, QColor(230, 230, 230));
    QApplication::setPalette(dark);
    QCoreApplication::processEvents();
    // The highest contrast of a pixel of rect against the pixel behind.
    auto stands = [](const QImage &image, const QRect &rect, const QPoint &behind) {
        qreal best = 1;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                best = qMax(best, ContrastRatio(image.pixelColor(x, y), image.pixelColor(behind)));
        return best >= 4.5;
    };
    const QImage canvas = m_area->viewport()->grab().toImage();
    const QPoint bare(5, canvas.height() - 5);
    QCOMPARE(canvas.pixelColor(bare), QColor(30, 30, 30));
    QVERIFY2(stands(canvas, m_area->GetRelation(0)->BoundsRect(), bare), "relation");
    const QImage list = m_orders->ItemControl()->grab().toImage();
    const QPoint corner = list.rect().bottomRight() - QPoint(3, 3);
    QCOMPARE(list.pixelColor(corner), QColor(30, 30, 30));
    QVERIFY2(stands(list, list.rect().adjusted(2, 2, -3, -3), corner), "rows");
    const QRect close = m_customer->CloseButtonRect().adjusted(2, 2, -2, -2);
    QVERIFY2(stands(m_customer->grab().toImage(), close, close.topLeft() - QPoint(5, 0)), "glyph");
    const QImage text = shape->grab().toImage();
    QVERIFY2(stands(text, text.rect(), text.rect().center()), "shape");
    const QRect value(form.txtTable1->mapTo(&form, QPoint()), form.txtTable1->size());
    QVERIFY2(stands(form.grab().toImage(), value, value.topRight() + QPoint(-2, 8)), "value");
}

void tst_DiagramTools::findAsYouType()
{
    QAction *find = m_area->FindAction();
    QCOMPARE(find->shortcut(), QKeySequence(QKeySequence::Find));
    m_area->setFocus();
    find->trigger();
    TSchemaFindBar *bar = m_area->FindBar();
    QVERIFY(bar->isVisible());

    QTest::keyClicks(bar->Edit(), "cit"); // customer.city and suppliers.city
    QCOMPARE(bar->MatchCount(), 2);
    QVERIFY(m_customer->Highlighted());
    QVERIFY(!m_orders->Highlighted());
    QVERIFY(m_far->Highlighted());
    QCOMPARE(bar->Current().Row.data(), m_customer->GetSubItem(2));
    QCOMPARE(m_customer->ListBox()->currentRow(), 2);

    // Enter steps to the far match and brings it into view; Shift+Enter goes back.
    QTest::keyClick(bar->Edit(), Qt::Key_Return);
    QCOMPARE(bar->CurrentIndex(), 1);
    QVERIFY(m_area->viewport()->rect().contains(m_far->geometry()));
    QCOMPARE(m_far->ListBox()->currentRow(), 1);
    QTest::keyClick(bar->Edit(), Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(bar->CurrentIndex(), 0);
    QVERIFY(m_area->viewport()->rect().contains(m_customer->geometry()));

    // An item matches by its caption too; Escape takes the rings away.
    QTest::keyClick(bar->Edit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(bar->Edit(), "ORDERS");
    QCOMPARE(bar->MatchCount(), 1);
    QVERIFY(!bar->Current().Row);
    QVERIFY(m_orders->Highlighted() && !m_customer->Highlighted());
    // The ring is drawn round the item by the area.
    const QImage shot = m_area->viewport()->grab().toImage();
    const QPoint ring = m_orders->geometry().topLeft() - QPoint(2, 2);
    QCOMPARE(shot.pixelColor(ring), m_area->palette().color(QPalette::Highlight));
    QTest::keyClick(bar->Edit(), Qt::Key_Escape);
    QVERIFY(!bar->isVisible());
    QVERIFY(!m_orders->Highlighted());
}

void tst_DiagramTools::ringsGoWithTheBar_data()
{
    QTest::addColumn<QString>("before"); // what happens to the ringed item before the bar closes
    QTest::newRow("nothing") << QString();
    QTest::newRow("removed") << "removed";
    QTest::newRow("removed from its menu") << "menu";
    QTest::newRow("destroyed") << "destroyed";
}

// Once the find bar is closed, no ring is left on the screen: what the screen shows is what the
// area paints afresh, and that holds no ring.
void tst_DiagramTools::ringsGoWithTheBar()
{
    QFETCH(QString, before);
    TSchemaFindBar *bar = m_area->FindBar();
    bar->Open();
    QTest::keyClicks(bar->Edit(), "orders");
    QVERIFY(m_orders->Highlighted());
    const QRect ringed = m_orders->geometry().adjusted(-4, -4, 4, 4);
    QTest::qWait(20);
    if (before == "removed")
        m_orders->RemoveItem(nullptr);
    else if (before == "menu")
        m_orders->RemoveItem(DiduzaTest::menuEntry(m_orders, "mnuClose"));
    else if (before == "destroyed")
        delete m_orders;
    QTest::qWait(20);
    QTest::keyClick(bar->Edit(), Qt::Key_Escape);
    QTest::qWait(20);
    const auto onScreen = [this] {
        return m_area->screen()
            ->grabWindow(m_area->winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    const QImage shown = onScreen();
    const QImage fresh = m_area->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QColor ring = m_area->palette().color(QPalette::Highlight);
    const QRect where = ringed.translated(m_area->viewport()->pos());
    // Where the ring stood (the band round the item), the screen shows what a fresh paint
    // shows; elsewhere hover looks of buttons may differ between the two.
    const QRect inside = where.adjusted(5, 5, -5, -5);
    for (int y = where.top(); y <= where.bottom(); ++y) {
        for (int x = where.left(); x <= where.right(); ++x) {
            if (!inside.contains(x, y) && shown.rect().contains(x, y))
                QVERIFY2(shown.pixel(x, y) == fresh.pixel(x, y),
                    qPrintable(QStringLiteral("%1, %2").arg(x).arg(y)));
        }
    }
    for (int x = where.left(); x <= where.right(); ++x)
        QVERIFY2(shown.pixelColor(x, where.top()) != ring, qPrintable(QString::number(x)));
}

void tst_DiagramTools::overviewFollowsAndScrolls()
{
    TSchemaOverview overview;
    overview.resize(200, 150);
    overview.SetArea(m_area.get());
    overview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&overview));
    const QRectF view = overview.ViewRect();
    QVERIFY(view.width() < 100); // the diagram is far larger than what the area shows

    // Dragging the rectangle scrolls the area by the drag over the scale.
    const QPoint from = view.center().toPoint();
    QTest::mousePress(&overview, Qt::LeftButton, {}, from);
    QTest::mouseMove(&overview, from + QPoint(30, 20));
    QTest::mouseRelease(&overview, Qt::LeftButton, {}, from + QPoint(30, 20));
    const QPoint scrolled = m_area->ScrollPosition();
    QVERIFY(qAbs(scrolled.x() - 30 / overview.Scale()) <= 2 / overview.Scale() + 1);
    QVERIFY(qAbs(scrolled.y() - 20 / overview.Scale()) <= 2 / overview.Scale() + 1);
    // The rectangle now stands that much further along the diagram.
    QTRY_VERIFY(qAbs(overview.ViewRect().left() - overview.MapFromArea(m_customer->pos()).x()
                    - (scrolled.x() - 20) * overview.Scale())
        < 1);

    // Scrolling the area moves the rectangle; a new item far away grows the world.
    const qreal scale = overview.Scale();
    addTable(*m_area, "products", { "id" }, 3000, 2000);
    QTRY_VERIFY(overview.Scale() < scale);
}

void tst_DiagramTools::arrangeByRank()
{
    TSchemaItem *details = addTable(*m_area, "order details", { "order_id", "product_id" }, 30, 30);
    link(*m_area, m_orders, 0, details, 0);
    link(*m_area, m_far, 0, m_customer, 0);
    link(*m_area, m_orders, 2, m_far, 1); // orders ranks highest now
    QVERIFY(m_orders->GetRank() > m_customer->GetRank());
    const QVector<QSize> sizes { m_customer->size(), m_orders->size(), m_far->size(),
        details->size() };
    m_area->horizontalScrollBar()->setValue(40);
    m_area->ArrangeByRank();
    // Columns from the origin of the diagram, whatever was scrolled.
    const QPoint origin = -m_area->ScrollPosition();
    QCOMPARE(m_orders->pos(), origin + QPoint(20, 20)); // highest rank: 2 relations, 3 rows
    QCOMPARE(
        QVector<QSize>({ m_customer->size(), m_orders->size(), m_far->size(), details->size() }),
        sizes);
    // Everything joined to orders stands in the next column.
    QVERIFY(m_customer->x() > m_orders->x());
    QCOMPARE(details->x(), m_customer->x());
    QCOMPARE(m_far->x(), m_customer->x());
    const QVector<TSchemaItem *> all { m_customer, m_orders, m_far, details };
    for (TSchemaItem *a : all) {
        for (TSchemaItem *b : all)
            QVERIFY(a == b || !a->geometry().intersects(b->geometry()));
    }
}

// On random diagrams: nothing overlaps afterwards, and fewer relations cross than when the
// items stood at random.
void tst_DiagramTools::rankLayoutLessensCrossings()
{
    QRandomGenerator random(2026);
    int before = 0, after = 0;
    for (int trial = 0; trial < 50; ++trial) {
        RankLayoutInput input;
        const int n = 6 + int(random.bounded(20));
        QVector<QPointF> scattered;
        for (int i = 0; i < n; ++i) {
            input.Sizes << QSize(80 + int(random.bounded(60)), 40 + int(random.bounded(120)));
            input.Ranks << int(random.bounded(50));
            scattered << QPointF(random.bounded(1000), random.bounded(800));
        }
        for (int i = 1; i < n; ++i) // connected, plus some more
            input.Links << std::pair { int(random.bounded(i)), i };
        for (int k = 0; k < n / 3; ++k)
            input.Links << std::pair { int(random.bounded(n)), int(random.bounded(n)) };
        const QVector<QPoint> corners = RankLayout(input);
        QVector<QPointF> centres;
        for (int i = 0; i < n; ++i) {
            const QRect box(corners.at(i), input.Sizes.at(i));
            centres << QRectF(box).center();
            for (int j = 0; j < i; ++j)
                QVERIFY(!box.intersects(QRect(corners.at(j), input.Sizes.at(j))));
        }
        before += CountCrossings(scattered, input.Links);
        after += CountCrossings(centres, input.Links);
    }
    QVERIFY2(after < before,
        qPrintable(QStringLiteral("%1 crossings after, %2 before").arg(after).arg(before)));
}

// "Link to..." makes the relation as a drop does: the same event, the same refusal.
void tst_DiagramTools::linkByKeyboard()
{
    DiduzaTest::FakeDialogService dialogs;
    DiduzaTest::ExceptionRecorder errors;
    QStringList added;
    m_area->SetOnAddRelation([&](QObject *, TSchemaRelation *r) {
        added << r->ParentSubItem()->Caption() + '>' + r->ChildSubItem()->Caption();
    });
    dialogs.modal = [](QDialog &d) {
        auto &link = static_cast<TfrmZkLinkTo &>(d);
        QTest::keyClick(link.lbItems, Qt::Key_Down); // orders
        link.lbRows->setFocus();
        QTest::keyClick(link.lbRows, Qt::Key_Down);
        QTest::keyClick(link.lbRows, Qt::Key_Down); // amount
        return int(QDialog::Accepted);
    };
    QAction *action = m_area->LinkAction();
    QCOMPARE(action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
    m_customer->ListBox()->setFocusPolicy(Qt::StrongFocus);
    m_area->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_area.get()));
    m_customer->ListBox()->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_customer->ListBox());
    m_customer->ListBox()->setCurrentRow(0);
    action->trigger();
    QCOMPARE(added, QStringList { "id>amount" });
    QCOMPARE(m_area->GetRelationCount(), 2);
    action->trigger(); // once more: refused as a second drop would be
    QCOMPARE(m_area->GetRelationCount(), 2);
    QCOMPARE(errors.messages, QStringList { "These items are already linked." });
    // The item's menu carries the entry once the action exists.
    m_orders->ShowPopupMenu(QPoint(0, 0));
    QVERIFY(m_orders->PopMenu()->actions().contains(action));
    m_orders->PopMenu()->hide();
}

void tst_DiagramTools::keyboardReachesRelations()
{
    DiduzaTest::FakeDialogService dialogs;
    TSchemaRelation *second = link(*m_area, m_orders, 0, m_far, 0);
    QStringList deleted;
    m_area->SetOnDeleteRelation([&](QObject *, TSchemaRelation *) { deleted << "gone"; });
    m_area->SetKeyboardNavigation(true);
    QCOMPARE(m_customer->ItemControl()->focusPolicy(), Qt::StrongFocus);
    m_area->activateWindow();
    m_area->setFocus();
    QTRY_VERIFY(m_area->hasFocus());
    QTest::keyClick(m_area.get(), Qt::Key_Right);
    QCOMPARE(m_area->CurrentRelation(), m_area->GetRelation(0));
    QTest::keyClick(m_area.get(), Qt::Key_Right);
    QCOMPARE(m_area->CurrentRelation(), second);
    QVERIFY(m_area->viewport()->rect().intersects(second->BoundsRect())); // scrolled to it
    QTest::keyClick(m_area.get(), Qt::Key_Return); // the properties dialog
    QCOMPARE(dialogs.modalCalls, 1);
    QTest::keyClick(m_area.get(), Qt::Key_Delete);
    QCOMPARE(deleted, QStringList { "gone" });
    QCOMPARE(m_area->GetRelationCount(), 1);
    // Tab goes on to the items' rows.
    QTest::keyClick(m_area.get(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), m_customer->ItemControl());
}

void tst_DiagramTools::keysOnAFocusedItem_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("navigation");
    QTest::addColumn<QString>("outcome");
    const int none = Qt::NoModifier;
    QTest::newRow("Enter ticks") << int(Qt::Key_Return) << none << true << "ticked";
    QTest::newRow("keypad Enter ticks")
        << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true << "ticked";
    QTest::newRow("Space ticks") << int(Qt::Key_Space) << none << true << "ticked";
    QTest::newRow("Space ticks without navigation")
        << int(Qt::Key_Space) << none << false << "ticked";
    QTest::newRow("Enter without navigation") << int(Qt::Key_Return) << none << false << "nothing";
    QTest::newRow("Delete deletes the item") << int(Qt::Key_Delete) << none << true << "removed";
    QTest::newRow("Shift+Delete") << int(Qt::Key_Delete) << int(Qt::ShiftModifier) << true
                                  << "nothing";
    QTest::newRow("Delete without navigation") << int(Qt::Key_Delete) << none << false << "nothing";
    QTest::newRow("menu key") << int(Qt::Key_Menu) << none << true << "menu";
    QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier) << true << "menu";
    QTest::newRow("F10 alone") << int(Qt::Key_F10) << none << true << "nothing";
    QTest::newRow("menu key without navigation") << int(Qt::Key_Menu) << none << false << "nothing";
}

// The keys navigation gives a row of an item: what the mouse does there, by keyboard.
void tst_DiagramTools::keysOnAFocusedItem()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, navigation);
    QFETCH(QString, outcome);
    DiduzaTest::FakeDialogService dialogs;
    QStringList ticks;
    QPointer<TSchemaItem> products
        = addTable(*m_area, "products", { "id", "name", "price" }, 20, 150, scCheckListBox);
    products->SetOnSubItemCheck([&](QObject *sender) {
        auto *row = qobject_cast<TSchemaSubItem *>(sender);
        ticks << row->Caption() + (row->Checked() ? "+" : "-");
    });
    m_area->SetKeyboardNavigation(navigation);
    m_area->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_area.get()));
    auto *list = products->ListBox();
    list->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), list);
    list->setCurrentRow(1);
    QTest::keyClick(list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QString happened = QStringLiteral("nothing");
    if (!products || products->Parent() != m_area.get())
        happened = QStringLiteral("removed");
    else if (products->PopMenu() && products->PopMenu()->isVisible())
        happened = QStringLiteral("menu");
    else if (!ticks.isEmpty())
        happened = QStringLiteral("ticked");
    QCOMPARE(happened, outcome);
    if (outcome == "ticked") {
        QCOMPARE(ticks, QStringList { "name+" }); // the row's own event, as a click raises it
        QVERIFY(products->GetSubItem(1)->Checked());
    } else if (outcome == "removed") {
        QCOMPARE(m_area->GetItemCount(), 3);
        // The focus stays in the diagram: on the item before, the last one being gone.
        QCOMPARE(QApplication::focusWidget(), m_far->ItemControl());
        QVERIFY(m_area->UndoStack()->canUndo());
    } else if (outcome == "menu") {
        const QRect menu = products->PopMenu()->geometry();
        const QRect row = list->visualItemRect(list->item(1));
        // At the focused row, not wherever the pointer happens to be.
        QVERIFY(menu.top() >= list->viewport()->mapToGlobal(row.topLeft()).y());
        QVERIFY(menu.top() <= list->viewport()->mapToGlobal(row.bottomLeft()).y() + 2);
        products->PopMenu()->hide();
    }
    // A read-only area deletes nothing, whatever the key.
    if (products && navigation) {
        m_area->SetReadOnly(true);
        list->setFocus(Qt::TabFocusReason);
        QTest::keyClick(list, Qt::Key_Delete);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(products);
        QCOMPARE(products->Parent(), m_area.get());
    }
}

void tst_DiagramTools::tabFollowsThePlacementOfItems_data()
{
    QTest::addColumn<bool>("navigationFirst");
    QTest::newRow("items added with navigation on") << true;
    QTest::newRow("navigation turned on later") << false;
}

// Items are made after the rest of their window, yet Tab reaches them right after the area,
// in their order, and goes on to what follows the area.
void tst_DiagramTools::tabFollowsThePlacementOfItems()
{
    QFETCH(bool, navigationFirst);
    m_area.reset();
    QWidget window;
    auto *before = new QLineEdit(&window);
    auto *area = new TSchemaDesignArea(&window);
    auto *after = new QLineEdit(&window);
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(before);
    layout->addWidget(area);
    layout->addWidget(after);
    window.resize(500, 400);
    if (navigationFirst)
        area->SetKeyboardNavigation(true);
    TSchemaItem *first = addTable(*area, "first", { "a" }, 10, 10);
    TSchemaItem *note = area->AddItem("a note", scText);
    TSchemaItem *second = addTable(*area, "second", { "b" }, 200, 10, scCheckListBox);
    TSchemaItem *third = addTable(*area, "third", { "c" }, 10, 150, scTreeView);
    if (!navigationFirst)
        area->SetKeyboardNavigation(true);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    before->setFocus(Qt::TabFocusReason);
    QList<QWidget *> reached;
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached << QApplication::focusWidget();
    }
    const QList<QWidget *> expected { area, first->ItemControl(), note->ItemControl(),
        second->ItemControl(), third->ItemControl(), after };
    QCOMPARE(reached, expected);
    QTest::keyClick(after, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), third->ItemControl());
    // Reached by the keyboard, a list shows its current row selected.
    QCOMPARE(second->GetItemIndex(), 0);
    // Off again, the lists take the focus from a click only.
    area->SetKeyboardNavigation(false);
    QCOMPARE(first->ItemControl()->focusPolicy(), Qt::ClickFocus);
    QCOMPARE(note->ItemControl()->focusPolicy(), Qt::NoFocus);
}

// The menu key on the canvas opens the current relation's menu, else the area's own.
void tst_DiagramTools::menuKeyOnTheCanvas()
{
    QMenu canvasMenu;
    canvasMenu.addAction("Paste");
    m_area->SetPopupMenu(&canvasMenu);
    m_area->SetKeyboardNavigation(true);
    m_area->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_area.get()));
    m_area->setFocus(Qt::TabFocusReason);
    QTest::keyClick(m_area.get(), Qt::Key_Menu);
    QVERIFY(canvasMenu.isVisible());
    canvasMenu.hide();
    QTest::keyClick(m_area.get(), Qt::Key_Right);
    QVERIFY(m_area->CurrentRelation());
    QTest::keyClick(m_area.get(), Qt::Key_F10, Qt::ShiftModifier);
    QVERIFY(!canvasMenu.isVisible());
    QVERIFY(m_area->CurrentRelation()->PopMenu()->isVisible());
    m_area->CurrentRelation()->PopMenu()->hide();
    m_area->SetPopupMenu(nullptr);
}

void tst_DiagramTools::titleBarOpensTheItemMenu()
{
    QTest::mouseClick(m_orders, Qt::RightButton, Qt::NoModifier, m_orders->CaptionRect().center());
    QVERIFY(m_orders->PopMenu()->isVisible());
    m_orders->PopMenu()->hide();
    // Not on a read-only area.
    m_area->SetReadOnly(true);
    QTest::mouseClick(m_orders, Qt::RightButton, Qt::NoModifier, m_orders->CaptionRect().center());
    QVERIFY(!m_orders->PopMenu()->isVisible());
}

// The area with the focus and the row with the focus show a focus frame; without the focus,
// the same pixels are the canvas's and the row's own.
void tst_DiagramTools::focusIsMarked()
{
    m_area.reset();
    QWidget window;
    auto *before = new QLineEdit(&window);
    auto *area = new TSchemaDesignArea(&window);
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(before);
    layout->addWidget(area);
    window.resize(400, 300);
    area->SetKeyboardNavigation(true);
    TSchemaItem *item = addTable(*area, "customer", { "id", "name" }, 40, 40, scCheckListBox);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    before->setFocus(Qt::TabFocusReason);
    // Whether the canvas shows nothing but its colour in rect.
    auto bare = [&](const QRect &rect) {
        const QImage shown = area->viewport()->grab().toImage().copy(rect);
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                if (shown.pixelColor(x, y) != area->CanvasColor())
                    return false;
            }
        }
        return true;
    };
    const QImage plainRows = item->ItemControl()->grab().toImage();
    // The canvas's edge, and beside the item, just outside its own frame.
    const QRect edge(0, 0, 3, area->viewport()->height());
    const QRect beside(item->x() - 3, item->y(), 3, item->height());
    QVERIFY(bare(edge));
    QVERIFY(bare(beside));
    QTest::keyClick(before, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), area);
    QVERIFY(!bare(edge));
    QVERIFY(bare(beside));
    QTest::keyClick(area, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), item->ItemControl());
    QVERIFY(bare(edge));
    QVERIFY(!bare(beside)); // the item whose rows have the focus is framed
    auto *list = item->ListBox();
    list->clearSelection(); // the frame alone, not the selection, marks the row
    const QImage focusedRows = item->ItemControl()->grab().toImage();
    const QRect row = list->visualItemRect(list->item(0)).translated(list->viewport()->pos());
    QVERIFY(focusedRows.copy(row) != plainRows.copy(row));
    // The frame follows the item, and goes with the focus.
    item->move(200, 60);
    const QRect moved(item->x() - 3, item->y(), 3, item->height());
    QVERIFY(!bare(moved));
    QVERIFY(bare(beside));
    before->setFocus(Qt::BacktabFocusReason);
    QVERIFY(bare(moved));
}

void tst_DiagramTools::accessibleNames()
{
    QAccessible::setActive(true);
    QAccessibleInterface *canvas = QAccessible::queryAccessibleInterface(m_area->viewport());
    QVERIFY(canvas);
    QStringList names;
    for (int i = 0; i < canvas->childCount(); ++i) {
        QAccessibleInterface *child = canvas->child(i);
        if (child->object()->isWidgetType() && !qobject_cast<TSchemaItem *>(child->object()))
            continue; // the tool bar and such
        names << child->text(QAccessible::Name);
        QCOMPARE(canvas->indexOfChild(child), i);
    }
    // A relation reads as its join: the condition, then the kind and the rows it keeps.
    QCOMPARE(names,
        QStringList({ "customer", "orders", "suppliers", "customer.id = orders.customer_id" }));
    QAccessibleInterface *relation = canvas->child(canvas->childCount() - 1);
    QCOMPARE(relation->role(), QAccessible::Link);
    QCOMPARE(relation->text(QAccessible::Description),
        QStringLiteral("Inner join: the rows that match"));
    m_area->GetRelation(0)->SetJoinType(rjLeftOuter);
    m_area->GetRelation(0)->SetJoinOperator(roGreaterThan);
    QCOMPARE(
        relation->text(QAccessible::Name), QStringLiteral("customer.id >= orders.customer_id"));
    QCOMPARE(relation->text(QAccessible::Description),
        QStringLiteral("Left outer join: every row of customer"));

    // Rows read as their captions, with their ticks, inside the item.
    TSchemaItem *checks = addTable(*m_area, "products", { "id", "name" }, 600, 20, scCheckListBox);
    checks->GetSubItem(1)->SetChecked(true);
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(checks->ItemControl());
    QStringList rows;
    std::function<void(QAccessibleInterface *)> walk = [&](QAccessibleInterface *node) {
        for (int i = 0; i < node->childCount(); ++i) {
            QAccessibleInterface *c = node->child(i);
            if (c->role() == QAccessible::ListItem || c->role() == QAccessible::Cell)
                rows << c->text(QAccessible::Name) + (c->state().checked ? "+" : "");
            walk(c);
        }
    };
    walk(list);
    QCOMPARE(rows, QStringList({ "id", "name+" }));
    QCOMPARE(QAccessible::queryAccessibleInterface(checks)->text(QAccessible::Name),
        QStringLiteral("products"));
}

QTEST_MAIN(tst_DiagramTools)
#include "tst_diagramtools.moc"
