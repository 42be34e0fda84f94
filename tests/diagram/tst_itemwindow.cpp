// The item window: its decoration per switch combination, moving by title bar or body,
// resizing by the frame, the close button, robustness against odd sizes and many rows, and
// the painting of list rows.

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/items/TSchemaCheckListBox.h"
#include "diagram/items/TSchemaListBox.h"
#include "diagram/items/TSchemaTreeView.h"
#include "platform/Application.h"
#include "platform/TImageList.h"
#include "platform/VisibleText.h"
#include "relations/TSchemaRelation.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QtTest>

#include <memory>

using namespace Diduza;

Q_DECLARE_METATYPE(Diduza::TSchemaControlType)

namespace {

// A move of the mouse with buttons held, at a fixed point of the screen. QTest::mouseMove on a
// widget does carry the buttons QTest pressed (Qt 6.4, offscreen), but takes the screen point
// from where the widget stands now, and the item moves under the mouse while it is dragged.
void sendMove(QWidget *w, const QPoint &global, Qt::MouseButtons buttons = Qt::LeftButton)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(w->mapFromGlobal(global)), QPointF(global),
        Qt::NoButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

// Presses the left button at local point from of w, moves the mouse twice (past the drag
// distance, then to the end) and releases it delta away from where it was pressed.
void drag(QWidget *w, const QPoint &from, const QPoint &delta)
{
    const QPoint global = w->mapToGlobal(from);
    // Not QTest::mousePress, which takes the point (0, 0) for the widget's centre.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(from), QPointF(global), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    sendMove(w, global + QPoint(delta.x() > 0 ? 20 : -20, 0));
    sendMove(w, global + delta);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(w->mapFromGlobal(global + delta)),
        QPointF(global + delta), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

// The bounds a relation gets when it is routed afresh from where its items stand now.
QRect freshRoute(TSchemaDesignArea *area, TSchemaRelation *relation)
{
    const QRect kept = relation->BoundsRect();
    area->ReboundRelation(relation, false);
    const QRect fresh = relation->BoundsRect();
    relation->SetBounds(kept.left(), kept.top(), kept.width(), kept.height());
    return fresh;
}

bool isInk(QRgb c, QRgb background)
{
    return qAbs(qGray(c) - qGray(background)) > 96;
}

// Leftmost and rightmost ink columns inside rect (-1 when the rect holds no ink).
QPair<int, int> inkColumns(const QImage &img, const QRect &rect, QRgb background)
{
    int first = -1, last = -1;
    for (int x = rect.left(); x <= rect.right() && x < img.width(); ++x) {
        for (int y = rect.top(); y <= rect.bottom() && y < img.height(); ++y) {
            if (isInk(img.pixel(x, y), background)) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
        }
    }
    return { first, last };
}

int inkCount(const QImage &img, const QRect &rect, QRgb background)
{
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            n += isInk(img.pixel(x, y), background);
    return n;
}

QPixmap solid(int w, int h, const QColor &color)
{
    QPixmap pm(w, h);
    pm.fill(color);
    return pm;
}

} // namespace

class tst_ItemWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void decorationPerSwitches_data();
    void decorationPerSwitches();
    void switchingRelaysInnerControlAtOnce();

    void pressOnListRowsDoesNotMove();
    void resizeByEdge_data();
    void resizeByEdge();
    void closeButtonLeftAndEnteredAgain();

    void oddSizesDoNotCrash_data();
    void oddSizesDoNotCrash();
    void emptyAndLongCaptions();
    void thousandsOfRows();

    void rowPaintingThroughTheListView_data();
    void rowPaintingThroughTheListView();
    void linkedRowIsExactlyBold();
    void foreignControlAndVanishedImageList();

private:
    TSchemaItem *listItem(const QString &caption, int rows, TSchemaControlType type = scListBox);
    QImage grabViewport(TSchemaListBox *list);

    std::unique_ptr<TSchemaDesignArea> area;
    QStringList errors;
};

void tst_ItemWindow::init()
{
    errors.clear();
    SetExceptionHandler([this](const Exception &e) { errors << e.Message(); });
    area = std::make_unique<TSchemaDesignArea>();
    area->resize(900, 700);
    area->show();
    QVERIFY(QTest::qWaitForWindowExposed(area.get()));
}

void tst_ItemWindow::cleanup()
{
    area.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SetExceptionHandler({});
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('\n'))));
}

TSchemaItem *tst_ItemWindow::listItem(const QString &caption, int rows, TSchemaControlType type)
{
    TSchemaItem *item = area->AddItem(caption, type);
    for (int i = 0; i < rows; ++i)
        item->AddSubItem(QStringLiteral("field%1").arg(i), -1, false);
    item->RecalculateHeight();
    item->RecalculateWidth();
    return item;
}

QImage tst_ItemWindow::grabViewport(TSchemaListBox *list)
{
    list->doItemsLayout(); // a list view lays out its entries late, on a timer
    return list->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// ---------------------------------------------------------------------------------------------
// Decoration

void tst_ItemWindow::decorationPerSwitches_data()
{
    QTest::addColumn<bool>("showCaption");
    QTest::addColumn<bool>("sizeable");
    QTest::addColumn<bool>("toolWin");
    QTest::addColumn<bool>("border");
    QTest::addColumn<int>("frame"); // inset on every side
    QTest::addColumn<int>("caption"); // title-bar height

    // The resizing frame is 4 pixels, the thin frame 1; a title bar without either still
    // brings the thin frame. The tool-window title bar is 16 pixels high, the full one 20.
    QTest::newRow("caption sizeable tool border") << true << true << true << true << 4 << 16;
    QTest::newRow("caption sizeable tool") << true << true << true << false << 1 << 16;
    QTest::newRow("caption sizeable border") << true << true << false << true << 4 << 20;
    QTest::newRow("caption sizeable") << true << true << false << false << 1 << 20;
    QTest::newRow("caption fixed tool border") << true << false << true << true << 4 << 16;
    QTest::newRow("caption fixed tool") << true << false << true << false << 1 << 16;
    QTest::newRow("caption fixed border") << true << false << false << true << 4 << 20;
    QTest::newRow("caption fixed") << true << false << false << false << 1 << 20;
    QTest::newRow("sizeable tool border") << false << true << true << true << 4 << 0;
    QTest::newRow("sizeable tool") << false << true << true << false << 0 << 0;
    QTest::newRow("sizeable border") << false << true << false << true << 4 << 0;
    QTest::newRow("sizeable") << false << true << false << false << 0 << 0;
    QTest::newRow("fixed tool border") << false << false << true << true << 4 << 0;
    QTest::newRow("fixed tool") << false << false << true << false << 1 << 0;
    QTest::newRow("fixed border") << false << false << false << true << 4 << 0;
    QTest::newRow("fixed") << false << false << false << false << 1 << 0;
}

void tst_ItemWindow::decorationPerSwitches()
{
    QFETCH(bool, showCaption);
    QFETCH(bool, sizeable);
    QFETCH(bool, toolWin);
    QFETCH(bool, border);
    QFETCH(int, frame);
    QFETCH(int, caption);

    TSchemaItem *item = listItem(QStringLiteral("orders"), 3);
    item->SetShowCaption(showCaption);
    item->SetSizeable(sizeable);
    item->SetToolWin(toolWin);
    item->SetBorder(border);
    item->SetBounds(40, 50, 200, 150);

    const QRect expected(frame, frame + caption, 200 - 2 * frame, 150 - 2 * frame - caption);
    QCOMPARE(item->ClientRect(), expected);
    QCOMPARE(item->ClientHeight(), expected.height());
    QCOMPARE(item->ItemControl()->geometry(), expected);

    // SetClientHeight adds exactly the decoration.
    item->SetClientHeight(77);
    QCOMPARE(item->Height(), 77 + 2 * frame + caption);
    QCOMPARE(item->ClientHeight(), 77);
    item->SetBounds(40, 50, 200, 150);

    // Title bar and close button.
    QCOMPARE(item->CaptionRect().isEmpty(), !showCaption);
    QCOMPARE(item->CloseButtonRect().isEmpty(), !showCaption);
    if (showCaption) {
        QCOMPARE(item->CaptionRect(), QRect(frame, frame, 200 - 2 * frame, caption));
        const QRect close = item->CloseButtonRect();
        QVERIFY2(item->CaptionRect().contains(close), "close button outside the title bar");
        QVERIFY2(close.center().x() > 100, "close button not at the right end");
    }

    // What is painted: inside the client rectangle exactly the inner control; the title bar
    // is drawn (not one flat colour).
    const QImage whole = item->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage inner
        = item->ItemControl()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (const QPoint &p : { QPoint(3, 3), QPoint(expected.width() / 2, expected.height() / 2),
             QPoint(expected.width() - 4, expected.height() - 4) })
        QCOMPARE(whole.pixel(expected.topLeft() + p), inner.pixel(p));
    if (showCaption) {
        QSet<QRgb> colours;
        for (int x = frame; x < 200 - frame; ++x)
            colours.insert(whole.pixel(x, frame + caption / 2));
        QVERIFY2(colours.size() > 1, "title bar not drawn");
    }

    // Resize cursor zones exist only with the resizing frame.
    struct Zone {
        QPoint p;
        Qt::CursorShape shape;
    };
    const Zone zones[] = {
        { QPoint(1, 1), Qt::SizeFDiagCursor },
        { QPoint(198, 148), Qt::SizeFDiagCursor },
        { QPoint(198, 1), Qt::SizeBDiagCursor },
        { QPoint(1, 148), Qt::SizeBDiagCursor },
        { QPoint(1, 75), Qt::SizeHorCursor },
        { QPoint(198, 75), Qt::SizeHorCursor },
        { QPoint(100, 1), Qt::SizeVerCursor },
        { QPoint(100, 148), Qt::SizeVerCursor },
    };
    for (const Zone &zone : zones) {
        sendMove(item, item->mapToGlobal(zone.p), Qt::NoButton);
        const Qt::CursorShape shape
            = item->testAttribute(Qt::WA_SetCursor) ? item->cursor().shape() : Qt::ArrowCursor;
        QCOMPARE(shape, border ? zone.shape : Qt::ArrowCursor);
    }

    // The title bar, of whichever height, moves the item; without one the body does not.
    const QPoint grip = showCaption ? QPoint(frame + 10, frame + caption / 2) : QPoint(100, 75);
    drag(item, grip, QPoint(25, 15));
    QCOMPARE(item->pos(), showCaption ? QPoint(65, 65) : QPoint(40, 50));
    item->move(40, 50);

    // Dragging the bottom-right corner resizes only with the resizing frame.
    drag(item, QPoint(198, 148), QPoint(30, 20));
    QCOMPARE(item->geometry().size(), border ? QSize(230, 170) : QSize(200, 150));
    QCOMPARE(item->pos(), QPoint(40, 50));
}

void tst_ItemWindow::switchingRelaysInnerControlAtOnce()
{
    TSchemaItem *item = listItem(QStringLiteral("orders"), 3);
    item->SetBounds(10, 10, 180, 120);
    QCOMPARE(item->ItemControl()->geometry(), QRect(4, 20, 172, 96));

    // Every switch re-lays the inner control at once, without a resize or an event loop.
    item->SetToolWin(false);
    QCOMPARE(item->ItemControl()->geometry(), QRect(4, 24, 172, 92));
    item->SetBorder(false);
    QCOMPARE(item->ItemControl()->geometry(), QRect(1, 21, 178, 98));
    item->SetShowCaption(false);
    QCOMPARE(item->ItemControl()->geometry(), QRect(0, 0, 180, 120));
    item->SetSizeable(false);
    QCOMPARE(item->ItemControl()->geometry(), QRect(1, 1, 178, 118));
    item->SetBorder(true);
    QCOMPARE(item->ItemControl()->geometry(), QRect(4, 4, 172, 112));
    // The outer size never changes with the switches.
    QCOMPARE(item->size(), QSize(180, 120));

    // A text item has neither title bar nor frame; switching them on makes room at once.
    TSchemaItem *text = area->AddItem(QStringLiteral("note"), scText);
    text->SetBounds(300, 10, 100, 50);
    QCOMPARE(text->ItemControl()->geometry(), QRect(0, 0, 100, 50));
    text->SetShowCaption(true);
    QCOMPARE(text->ItemControl()->geometry(), QRect(1, 17, 98, 32));
}

// ---------------------------------------------------------------------------------------------
// Moving, resizing, closing

void tst_ItemWindow::pressOnListRowsDoesNotMove()
{
    TSchemaItem *item = listItem(QStringLiteral("orders"), 5);
    item->move(50, 60);
    auto *list = item->ListBox();
    QVERIFY(list);

    // On the rows themselves: the list takes the press, the item stays.
    QWidget *rows = list->viewport();
    const QPoint onRow(20, 8);
    const QPoint global = rows->mapToGlobal(onRow);
    QTest::mousePress(rows, Qt::LeftButton, Qt::NoModifier, onRow);
    sendMove(rows, global + QPoint(20, 0));
    sendMove(rows, global + QPoint(120, 80));
    QTest::mouseRelease(rows, Qt::LeftButton, Qt::NoModifier, rows->mapFromGlobal(global));
    QCOMPARE(item->pos(), QPoint(50, 60));

    // A press that reaches the item inside its client area does not move it either.
    drag(item, item->ClientRect().center(), QPoint(100, 50));
    QCOMPARE(item->pos(), QPoint(50, 60));

    // The right button on the title bar does not move it.
    const QPoint bar(item->CaptionRect().left() + 10, item->CaptionRect().center().y());
    QTest::mousePress(item, Qt::RightButton, Qt::NoModifier, bar);
    sendMove(item, item->mapToGlobal(bar) + QPoint(60, 60), Qt::RightButton);
    QTest::mouseRelease(item, Qt::RightButton, Qt::NoModifier, bar);
    QCOMPARE(item->pos(), QPoint(50, 60));
}

void tst_ItemWindow::resizeByEdge_data()
{
    QTest::addColumn<QPoint>("grip"); // in an item of 200 x 150 at (100, 100)
    QTest::addColumn<QPoint>("delta");
    QTest::addColumn<QRect>("expected");

    QTest::newRow("right edge wider")
        << QPoint(198, 75) << QPoint(40, 25) << QRect(100, 100, 240, 150);
    QTest::newRow("bottom edge taller")
        << QPoint(100, 148) << QPoint(15, 30) << QRect(100, 100, 200, 180);
    QTest::newRow("left edge keeps the right edge")
        << QPoint(1, 75) << QPoint(-30, 5) << QRect(70, 100, 230, 150);
    QTest::newRow("top edge keeps the bottom edge")
        << QPoint(100, 2) << QPoint(0, 20) << QRect(100, 120, 200, 130);
    QTest::newRow("top-left corner") << QPoint(0, 0) << QPoint(25, -25) << QRect(125, 75, 175, 175);
}

void tst_ItemWindow::resizeByEdge()
{
    QFETCH(QPoint, grip);
    QFETCH(QPoint, delta);
    QFETCH(QRect, expected);

    TSchemaItem *item = listItem(QStringLiteral("orders"), 5);
    item->SetBounds(100, 100, 200, 150);
    TSchemaItem *other = listItem(QStringLiteral("lines"), 5);
    other->move(500, 400);
    TSchemaRelation *relation
        = area->AddRelation(item, other, item->GetSubItem(1), other->GetSubItem(1));

    drag(item, grip, delta);
    QCOMPARE(item->geometry(), expected);
    QCOMPARE(item->ItemControl()->geometry(), item->ClientRect());
    QCOMPARE(relation->BoundsRect(), freshRoute(area.get(), relation));
}

void tst_ItemWindow::closeButtonLeftAndEnteredAgain()
{
    // Leaving the pressed close button disarms it, coming back arms it again: the release
    // decides. (Click, restricted area and release elsewhere: tst_schemaitemmenu.)
    TSchemaItem *a = listItem(QStringLiteral("orders"), 3);
    TSchemaItem *b = listItem(QStringLiteral("lines"), 3);
    b->move(400, 100);
    area->AddRelation(a, b, a->GetSubItem(0), b->GetSubItem(0));
    QPointer<TSchemaItem> guard(a);
    const QPoint close = a->CloseButtonRect().center();
    const QPoint away = close + QPoint(-60, 40);

    QTest::mousePress(a, Qt::LeftButton, Qt::NoModifier, close);
    sendMove(a, a->mapToGlobal(away));
    sendMove(a, a->mapToGlobal(close));
    sendMove(a, a->mapToGlobal(away));
    QTest::mouseRelease(a, Qt::LeftButton, Qt::NoModifier, away);
    QCOMPARE(area->GetItemCount(), 2);
    QCOMPARE(a->pos(), QPoint(0, 0));

    QTest::mousePress(a, Qt::LeftButton, Qt::NoModifier, close);
    sendMove(a, a->mapToGlobal(away));
    sendMove(a, a->mapToGlobal(close));
    QTest::mouseRelease(a, Qt::LeftButton, Qt::NoModifier, close);
    QCOMPARE(area->GetItemCount(), 1);
    QCOMPARE(area->GetRelationCount(), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!guard);
}

// ---------------------------------------------------------------------------------------------
// Robustness

void tst_ItemWindow::oddSizesDoNotCrash_data()
{
    QTest::addColumn<TSchemaControlType>("type");
    QTest::addColumn<QSize>("size");

    const QSize sizes[] = { QSize(0, 0), QSize(1, 1), QSize(5, 3), QSize(-20, -7) };
    const TSchemaControlType types[] = { scListBox, scCheckListBox, scTreeView, scText, scIcon };
    for (TSchemaControlType type : types)
        for (const QSize &size : sizes)
            QTest::addRow("%s %dx%d", qPrintable(EnumValueName(type)), size.width(), size.height())
                << type << size;
}

void tst_ItemWindow::oddSizesDoNotCrash()
{
    QFETCH(TSchemaControlType, type);
    QFETCH(QSize, size);

    TSchemaItem *item = listItem(QStringLiteral("tiny"), 1, type);
    TSchemaItem *other = listItem(QStringLiteral("other"), 2);
    other->move(300, 300);
    TSchemaRelation *relation
        = area->AddRelation(item, other, item->GetSubItem(0), other->GetSubItem(1));
    item->SetBounds(10, 10, size.width(), size.height());

    QVERIFY(item->width() >= 0 && item->height() >= 0);
    const QRect client = item->ClientRect();
    QVERIFY(client.width() >= 0 && client.height() >= 0);
    QCOMPARE(item->ItemControl()->geometry(), client);
    item->SetClientHeight(-5);
    QVERIFY(item->ClientHeight() >= 0);
    item->grab();
    (void)item->GetRowY(0);
    (void)item->GetRowY(-3);
    (void)item->GetRowY(1000);
    QCOMPARE(relation->BoundsRect(), freshRoute(area.get(), relation));
    // The mouse on a (nearly) empty window.
    drag(item, QPoint(0, 0), QPoint(30, 30));
    drag(item, QPoint(2, 1), QPoint(-30, 5));
    QVERIFY(item->width() >= 0 && item->height() >= 0);
    QCOMPARE(relation->BoundsRect(), freshRoute(area.get(), relation));
}

void tst_ItemWindow::emptyAndLongCaptions()
{
    TSchemaItem *empty = listItem(QString(), 0);
    QCOMPARE(empty->ClientHeight(), 9);
    QCOMPARE(empty->Width(), 110 + 5 + 20 + CheckWidth());
    empty->grab();

    QElapsedTimer timer;
    timer.start();
    const QString longCaption = QString(20000, QLatin1Char('W'));
    TSchemaItem *item = listItem(longCaption, 2);
    QFont bold = item->ItemControl()->font();
    bold.setBold(true);
    // Its visible part measured bold, plus the caption allowance.
    const int expected = QFontMetrics(bold).horizontalAdvance(VisibleText(longCaption)) + 34;
    QVERIFY(expected > 20000);
    QCOMPARE(item->Width(), qMin(expected, QWIDGETSIZE_MAX));
    item->setFixedWidth(300);
    item->grab();
    drag(item, QPoint(20, item->CaptionRect().center().y()), QPoint(40, 40));
    QCOMPARE(item->pos(), QPoint(40, 40));
    QVERIFY2(timer.elapsed() < 30000, "long captions take far too long");
}

void tst_ItemWindow::thousandsOfRows()
{
    QElapsedTimer timer;
    timer.start();
    const int rows = 3000;
    TSchemaItem *list = listItem(QStringLiteral("big"), rows);
    QCOMPARE(list->ClientHeight(), rows * SchemaListRowHeight + 9);
    TSchemaItem *tree = area->AddItem(QStringLiteral("tree"), scTreeView);
    for (int i = 0; i < rows; ++i)
        tree->AddSubItem(QStringLiteral("node%1").arg(i), i % 10 == 0 ? -1 : (i / 10) * 10, false);
    tree->RecalculateHeight();
    tree->RecalculateWidth();
    QCOMPARE(tree->ClientHeight(), rows * SchemaTreeRowHeight + 9);
    tree->SetBounds(500, 0, 200, 300);
    list->SetBounds(0, 0, 200, 300);
    TSchemaRelation *relation
        = area->AddRelation(list, tree, list->GetSubItem(rows - 1), tree->GetSubItem(rows - 1));
    // Rows far below the window meet the relation at the bottom of the inner control.
    const QRect bottom = list->ItemControl()->geometry();
    QCOMPARE(list->GetRowY(rows - 1), list->y() + bottom.bottom() + 1);
    QCOMPARE(tree->GetRowY(rows - 1), tree->y() + tree->ItemControl()->geometry().bottom() + 1);

    list->grab(QRect(0, 0, 200, 300));
    tree->grab(QRect(0, 0, 200, 300));
    for (int i = 0; i < 5; ++i)
        drag(list, QPoint(20, list->CaptionRect().center().y()), QPoint(7, 3));
    QCOMPARE(list->pos(), QPoint(35, 15));
    QCOMPARE(relation->BoundsRect(), freshRoute(area.get(), relation));
    QVERIFY2(timer.elapsed() < 60000, "thousands of rows take far too long");
}

// ---------------------------------------------------------------------------------------------
// Row painting

void tst_ItemWindow::rowPaintingThroughTheListView_data()
{
    QTest::addColumn<TSchemaControlType>("type");
    QTest::addColumn<bool>("withImages");
    QTest::addColumn<int>("imageIndex");
    QTest::addColumn<int>("selectedIndex");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<int>("glyph"); // the glyph drawn: -1 none, 0 red, 1 green

    // The glyph choice itself is in tst_schemaitemlayout; here the rows come from the real list
    // view, with glyphs lower than the rows, and a check list paints right of its check box.
    QTest::newRow("list: glyph") << scListBox << true << 0 << -1 << false << 0;
    QTest::newRow("check list: no glyph") << scCheckListBox << true << -1 << -1 << false << -1;
    QTest::newRow("check list: glyph") << scCheckListBox << true << 1 << 0 << false << 1;
    QTest::newRow("check list: no image list") << scCheckListBox << false << 0 << 0 << false << -1;
    QTest::newRow("check list: selected shows SelectedIndex")
        << scCheckListBox << true << 0 << 1 << true << 1;
    QTest::newRow("check list: selected with SelectedIndex -1 shows ImageIndex")
        << scCheckListBox << true << 0 << -1 << true << 0;
}

void tst_ItemWindow::rowPaintingThroughTheListView()
{
    QFETCH(TSchemaControlType, type);
    QFETCH(bool, withImages);
    QFETCH(int, imageIndex);
    QFETCH(int, selectedIndex);
    QFETCH(bool, selected);
    QFETCH(int, glyph);

    // 12 x 10 glyphs in 16-pixel rows: drawn 3 pixels below the row's top.
    TImageList images(12, 10);
    images.Add(solid(12, 10, Qt::red));
    images.Add(solid(12, 10, Qt::green));
    if (withImages)
        area->SetImages(&images);

    TSchemaItem *item = listItem(QStringLiteral("orders"), 0, type);
    item->SetColor(clWhite);
    TFontValue font = item->GetFont();
    font.StyleBits = 0;
    font.Color = clBlack;
    item->SetFont(font);
    // The reference row: no glyph at all; the probed row: the case of this line.
    TSchemaSubItem *reference = item->AddSubItem(QStringLiteral("Hxy"), -1, false);
    reference->SetImageIndex(-1);
    TSchemaSubItem *row = item->AddSubItem(QStringLiteral("Hxy"), -1, false);
    row->SetImageIndex(imageIndex);
    row->SetSelectedIndex(selectedIndex);
    item->SetBounds(10, 10, 220, 100);
    auto *list = item->ListBox();
    list->setCurrentRow(selected ? 1 : -1);

    const QImage img = grabViewport(list);
    const QRect rowRect = list->visualItemRect(list->item(1));
    const QRect refRect = list->visualItemRect(list->item(0));
    QCOMPARE(rowRect.height(), SchemaListRowHeight);
    // The item paints the part right of the check box.
    const int left = rowRect.left() + (type == scCheckListBox ? CheckWidth() + 2 : 0);

    const QRgb red = qRgb(255, 0, 0);
    const QRgb green = qRgb(0, 255, 0);
    const QPoint glyphCorner(left, rowRect.top() + 3);
    const QRgb at = img.pixel(glyphCorner);
    if (glyph < 0) {
        QVERIFY(at != red && at != green);
    } else {
        const QRgb colour = glyph == 0 ? red : green;
        QCOMPARE(at, colour);
        QCOMPARE(img.pixel(glyphCorner + QPoint(11, 9)), colour);
        QVERIFY(img.pixel(glyphCorner - QPoint(0, 1)) != colour);
        QVERIFY(img.pixel(glyphCorner + QPoint(12, 10)) != colour);
        if (type == scCheckListBox)
            QVERIFY(img.pixel(glyphCorner - QPoint(1, 0)) != colour);
    }

    // Text: 2 pixels right of the glyph area, which is the glyph's width + 2.
    const QRgb background = img.pixel(rowRect.right() - 1, rowRect.top() + 1);
    const QRgb refBackground = img.pixel(refRect.right() - 1, refRect.top() + 1);
    const int skip = glyph < 0 ? 0 : 12;
    const int textStart = inkColumns(img,
        QRect(left + skip, rowRect.top(), rowRect.width() - skip, rowRect.height()), background)
                              .first;
    const int refStart = inkColumns(
        img, QRect(left, refRect.top(), refRect.width(), refRect.height()), refBackground)
                             .first;
    QVERIFY(textStart > 0 && refStart > 0);
    QCOMPARE(textStart - refStart, glyph < 0 ? 0 : 12 + 2);
}

void tst_ItemWindow::linkedRowIsExactlyBold()
{
    // Bold, and nothing else: the list's italics and underline are dropped for linked rows.
    TSchemaItem *item = listItem(QStringLiteral("orders"), 0);
    TFontValue font = item->GetFont();
    font.StyleBits = TFontValue::fsItalic | TFontValue::fsUnderline;
    font.Color = clBlack;
    item->SetFont(font);
    item->SetColor(clWhite);
    item->AddSubItem(QStringLiteral("customer_id"), -1, false);
    item->AddSubItem(QStringLiteral("customer_id"), -1, false);
    TSchemaItem *other = listItem(QStringLiteral("customer"), 1);
    other->move(400, 0);
    item->SetBounds(0, 0, 220, 100);
    area->AddRelation(item, other, item->GetSubItem(1), other->GetSubItem(0));
    QVERIFY(item->GetSubItem(1)->Linked());

    auto *list = item->ListBox();
    const QImage img = grabViewport(list);
    const QRect plainRect = list->visualItemRect(list->item(0));
    const QRect linkedRect = list->visualItemRect(list->item(1));
    const QRgb white = qRgb(255, 255, 255);
    QFont expected = list->font();
    expected.setItalic(false);
    expected.setUnderline(false);
    expected.setBold(true);
    QImage reference(linkedRect.size(), QImage::Format_RGB32);
    reference.fill(white);
    {
        QPainter p(&reference);
        p.setFont(expected);
        p.setPen(Qt::black);
        p.drawText(QRect(2, 0, 10000, linkedRect.height()),
            Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, QStringLiteral("customer_id"));
    }
    const QRect whole(QPoint(0, 0), linkedRect.size());
    QCOMPARE(inkCount(img.copy(linkedRect), whole, white), inkCount(reference, whole, white));

    // Unlinked, the row is drawn in the list's own font again.
    area->DeleteRelationsForItem(item, nullptr);
    QVERIFY(!item->GetSubItem(1)->Linked());
    const QImage after = grabViewport(list);
    QCOMPARE(inkCount(after, linkedRect, white), inkCount(after, plainRect, white));
}

void tst_ItemWindow::foreignControlAndVanishedImageList()
{
    TSchemaItem *item = listItem(QStringLiteral("orders"), 0);
    TSchemaSubItem *row = item->AddSubItem(QStringLiteral("Hxy"), -1, false);
    row->SetImageIndex(0);
    auto *list = item->ListBox();

    // Asked to paint for a control that is not a list, the item draws nothing.
    QImage canvas(100, 20, QImage::Format_RGB32);
    canvas.fill(Qt::blue);
    {
        QPainter p(&canvas);
        item->CustomListDrawItem(nullptr, 0, QRect(0, 0, 100, 16), false, p);
        item->CustomListDrawItem(area.get(), 0, QRect(0, 0, 100, 16), false, p);
        item->CustomListDrawItem(item, 0, QRect(0, 0, 100, 16), true, p);
    }
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            QCOMPARE(canvas.pixel(x, y), qRgb(0, 0, 255));

    // An image list that is destroyed leaves the rows without glyphs, not dangling.
    {
        TImageList gone(12, 10);
        gone.Add(solid(12, 10, Qt::green));
        area->SetImages(&gone);
        QCOMPARE(
            grabViewport(list).pixel(list->visualItemRect(list->item(0)).topLeft() + QPoint(0, 3)),
            qRgb(0, 255, 0));
    }
    QCOMPARE(area->Images(), nullptr);
    const QImage without = grabViewport(list);
    QVERIFY(without.pixel(list->visualItemRect(list->item(0)).topLeft() + QPoint(0, 3))
        != qRgb(0, 255, 0));
}

QTEST_MAIN(tst_ItemWindow)
#include "tst_itemwindow.moc"
