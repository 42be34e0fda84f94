// The item tool bar of the design area: building and tearing it down, its buttons and icon
// menu, the items its commands add, and the commands' handling of odd senders.

#include "diagram/TSchemaDesignArea.h"
#include "diagram/items/TSchemaIcon.h"
#include "diagram/TSchemaItem.h"
#include "platform/Application.h"
#include "platform/ColorConvert.h"
#include "platform/Exceptions.h"
#include "platform/TImageList.h"

#include <QAction>
#include <QMenu>
#include <QRegularExpression>
#include <QResizeEvent>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace Diduza;

namespace {

// The tool bar's buttons from left to right.
QList<QToolButton *> buttonsOf(QToolBar *bar)
{
    QList<QToolButton *> buttons;
    for (QAction *action : bar->actions())
        if (auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(action)))
            buttons << button;
    return buttons;
}

// Whether an item lies inside the visible client area of its area, below the tool bar; one
// too large for that area starts at its top left corner.
bool inFreeView(TSchemaDesignArea &area, const TSchemaItem *item)
{
    QRect free = area.ClientWidget()->rect();
    if (area.CoolBar())
        free.setTop(area.CoolBar()->geometry().bottom() + 1);
    const QRect g = item->geometry();
    const bool across = g.width() <= free.width()
        ? g.left() >= free.left() && g.right() <= free.right()
        : g.left() == free.left();
    const bool down = g.height() <= free.height()
        ? g.top() >= free.top() && g.bottom() <= free.bottom()
        : g.top() == free.top();
    return across && down;
}

// Records the heights an item is given, in order.
class HeightRecorder : public QObject {
public:
    QList<int> heights;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Resize)
            heights << static_cast<QResizeEvent *>(event)->size().height();
        return false;
    }
};

} // namespace

class tst_ItemToolbar : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void showTwiceBuildsOneHideTearsDown();
    void buttons_data();
    void buttons();
    void iconMenu();
    void coolBarAtTheTop();
    void buttonAddsItemOfItsKind_data();
    void buttonAddsItemOfItsKind();
    void iconMenuEntryAddsIcon_data();
    void iconMenuEntryAddsIcon();
    void mainPartOfIconButtonAddsNothing();
    void oddSenders();
    void addItemFailingEndsTheCommand();
    void newItemsLandInFreeViewBelowTheToolBar_data();
    void newItemsLandInFreeViewBelowTheToolBar();
    void destroyingTheAreaWithTheToolBarShown_data();
    void destroyingTheAreaWithTheToolBarShown();

private:
    std::unique_ptr<TSchemaDesignArea> area;
    QStringList errors;
};

void tst_ItemToolbar::init()
{
    errors.clear();
    SetExceptionHandler([this](const Exception &e) { errors << e.Message(); });
    area = std::make_unique<TSchemaDesignArea>();
    area->resize(700, 500);
    area->show();
    QVERIFY(QTest::qWaitForWindowExposed(area.get()));
}

void tst_ItemToolbar::cleanup()
{
    area.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SetExceptionHandler({});
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('\n'))));
}

void tst_ItemToolbar::showTwiceBuildsOneHideTearsDown()
{
    QVERIFY(!area->ShowItemToolbar());
    QCOMPARE(area->ToolBar(), nullptr);
    QCOMPARE(area->CoolBar(), nullptr);
    QCOMPARE(area->ToolBarImages(), nullptr);
    QCOMPARE(area->IconMenu(), nullptr);

    area->SetShowItemToolbar(true);
    QPointer<QWidget> coolBar = area->CoolBar();
    QPointer<QToolBar> toolBar = area->ToolBar();
    QPointer<QMenu> menu = area->IconMenu();
    QPointer<TImageList> images = area->ToolBarImages();
    QVERIFY(coolBar && toolBar && menu && images);

    area->SetShowItemToolbar(true);
    QVERIFY(area->ShowItemToolbar());
    QCOMPARE(area->CoolBar(), coolBar.data());
    QCOMPARE(area->ToolBar(), toolBar.data());
    QCOMPARE(area->IconMenu(), menu.data());
    QCOMPARE(area->ToolBarImages(), images.data());
    QCOMPARE(area->findChildren<QToolBar *>().size(), 1);
    QCOMPARE(area->findChildren<QMenu *>(QStringLiteral("pmIconList")).size(), 1);
    QCOMPARE(buttonsOf(toolBar).size(), 5);

    area->SetShowItemToolbar(false);
    QVERIFY(!area->ShowItemToolbar());
    QCOMPARE(area->ToolBar(), nullptr);
    QCOMPARE(area->CoolBar(), nullptr);
    QCOMPARE(area->ToolBarImages(), nullptr);
    QCOMPARE(area->IconMenu(), nullptr);
    // Freed, not merely forgotten.
    QVERIFY(!coolBar && !toolBar && !menu && !images);
    QVERIFY(area->findChildren<QToolBar *>().isEmpty());
    QVERIFY(area->findChildren<QToolButton *>().isEmpty());

    area->SetShowItemToolbar(false);
    QCOMPARE(area->ToolBar(), nullptr);

    // Shown again: a working tool bar.
    area->SetShowItemToolbar(true);
    QVERIFY(area->ToolBar());
    QCOMPARE(buttonsOf(area->ToolBar()).size(), 5);
    buttonsOf(area->ToolBar()).at(0)->click();
    QCOMPARE(area->GetItemCount(), 1);
}

void tst_ItemToolbar::buttons_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("tag");
    QTest::addColumn<bool>("dropDown");

    QTest::newRow("Listbox") << 0 << "Listbox" << 0 << false;
    QTest::newRow("Check Listbox") << 1 << "Check Listbox" << 1 << false;
    QTest::newRow("Treeview") << 2 << "Treeview" << 2 << false;
    QTest::newRow("Text") << 3 << "Text" << 3 << false;
    QTest::newRow("Icon") << 4 << "Icon" << 0 << true;
}

void tst_ItemToolbar::buttons()
{
    QFETCH(int, position);
    QFETCH(QString, caption);
    QFETCH(int, tag);
    QFETCH(bool, dropDown);

    area->SetShowItemToolbar(true);
    const QList<QToolButton *> buttons = buttonsOf(area->ToolBar());
    QCOMPARE(buttons.size(), 5);
    QToolButton *button = buttons.at(position);
    QCOMPARE(button->text(), caption);
    QCOMPARE(button->property("Tag").toInt(), tag);
    QVERIFY(!button->icon().isNull());
    QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
    QVERIFY(button->isVisibleTo(area.get()));
    if (dropDown) {
        QCOMPARE(button->popupMode(), QToolButton::MenuButtonPopup);
        QCOMPARE(button->menu(), area->IconMenu());
    } else {
        QCOMPARE(button->menu(), nullptr);
    }
    // One 16 x 16 glyph per button, drawn on fuchsia, which is see-through.
    TImageList *images = area->ToolBarImages();
    QCOMPARE(images->Count(), 5);
    QCOMPARE(images->Width(), 16);
    QCOMPARE(images->Height(), 16);
    const QImage glyph = images->Image(position).toImage().convertToFormat(QImage::Format_ARGB32);
    int opaque = 0;
    for (int y = 0; y < glyph.height(); ++y)
        for (int x = 0; x < glyph.width(); ++x) {
            const QRgb c = glyph.pixel(x, y);
            opaque += qAlpha(c) == 255;
            QVERIFY2(qAlpha(c) == 0 || (c & 0xFFFFFF) != 0xFF00FF, "fuchsia left visible");
        }
    QVERIFY2(opaque > 0, "an empty glyph");
    QVERIFY2(opaque < 16 * 16, "a glyph without see-through background");
}

void tst_ItemToolbar::iconMenu()
{
    area->SetShowItemToolbar(true);
    const QStringList captions = { "Default", "Computer", "Drive", "Calculator", "Calendar",
        "Design", "FAX", "Recycle", "Connection", "Cross", "Password", "Database", "Paper", "Link",
        "Relation", "Settings", "FolderBox", "Font", "Form", "Graph", "Mail", "Network", "Note",
        "WebData", "Printer", "Server", "Signal", "StopLight", "Time", "Update", "User" };
    const QList<QAction *> entries = area->IconMenu()->actions();
    QCOMPARE(entries.size(), 31);
    for (int i = 0; i < entries.size(); ++i) {
        QCOMPARE(entries[i]->text(), captions[i]);
        QCOMPARE(entries[i]->property("Tag").toInt(), i);
    }
}

void tst_ItemToolbar::coolBarAtTheTop()
{
    area->SetShowItemToolbar(true);
    QWidget *coolBar = area->CoolBar();
    QCOMPARE(coolBar->parentWidget(), area->ClientWidget());
    QCOMPARE(coolBar->pos(), QPoint(0, 0));
    QCOMPARE(coolBar->width(), area->ClientWidget()->width());
    QVERIFY(coolBar->height() >= area->ToolBar()->sizeHint().height());
    QCOMPARE(coolBar->palette().color(QPalette::Window), ColorToQColor(clBtnFace));
    area->resize(900, 500);
    QCOMPARE(coolBar->width(), area->ClientWidget()->width());
    // Not an item: the diagram does not count it.
    QCOMPARE(area->GetItemCount(), 0);
}

void tst_ItemToolbar::buttonAddsItemOfItsKind_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("kind");

    QTest::newRow("Listbox") << 0 << int(scListBox);
    QTest::newRow("Check Listbox") << 1 << int(scCheckListBox);
    QTest::newRow("Treeview") << 2 << int(scTreeView);
    QTest::newRow("Text") << 3 << int(scText);
}

void tst_ItemToolbar::buttonAddsItemOfItsKind()
{
    QFETCH(int, position);
    QFETCH(int, kind);

    area->SetShowItemToolbar(true);
    auto added = std::make_shared<int>(0);
    area->SetOnAddItem([added](QObject *, TSchemaItem *) { ++*added; });
    QToolButton *button = buttonsOf(area->ToolBar()).at(position);

    const QRegularExpression caption(QStringLiteral("^New item(\\d{1,2})$"));
    const int clicks = 12;
    for (int i = 0; i < clicks; ++i)
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, button->height() / 2));
    QCOMPARE(area->GetItemCount(), clicks);
    QCOMPARE(*added, clicks);
    for (int i = 0; i < clicks; ++i) {
        TSchemaItem *item = area->GetItem(i);
        QCOMPARE(int(item->SchemaControlType()), kind);
        const QRegularExpressionMatch match = caption.match(item->GetCaption());
        QVERIFY2(match.hasMatch(), qPrintable(item->GetCaption()));
        const int number = match.captured(1).toInt();
        QVERIFY(number >= 0 && number <= 99);
        QVERIFY2(inFreeView(*area, item),
            qPrintable(QStringLiteral("%1,%2").arg(item->Left()).arg(item->Top())));
        QVERIFY(item->isVisible());
        if (kind != scText) {
            // Fitted to its (empty) rows and caption.
            QCOMPARE(item->ClientHeight(), 5 + 4);
            QFont bold = item->ItemControl()->font();
            bold.setBold(true);
            const int byCaption = QFontMetrics(bold).horizontalAdvance(item->GetCaption()) + 34;
            QCOMPARE(item->Width(), qMax(110 + 5 + 20 + CheckWidth(), byCaption));
        }
    }
    // The positions are drawn at random, not all the same.
    QSet<QPoint> places;
    for (int i = 0; i < clicks; ++i)
        places.insert(area->GetItem(i)->pos());
    QVERIFY(places.size() > 1);
}

void tst_ItemToolbar::iconMenuEntryAddsIcon_data()
{
    QTest::addColumn<int>("tag");
    for (int i = 0; i < EnumCount<TSCIconType>(); ++i)
        QTest::addRow("%s", qPrintable(EnumValueName(TSCIconType(i)))) << i;
}

void tst_ItemToolbar::iconMenuEntryAddsIcon()
{
    QFETCH(int, tag);

    area->SetShowItemToolbar(true);
    auto recorder = std::make_shared<HeightRecorder>();
    area->SetOnAddItem(
        [recorder](QObject *, TSchemaItem *item) { item->installEventFilter(recorder.get()); });
    area->IconMenu()->actions().at(tag)->trigger();

    QCOMPARE(area->GetItemCount(), 1);
    TSchemaItem *item = area->GetItem(0);
    QCOMPARE(item->SchemaControlType(), scIcon);
    QVERIFY2(QRegularExpression(QStringLiteral("^New icon\\d{1,2}$"))
                 .match(item->GetCaption())
                 .hasMatch(),
        qPrintable(item->GetCaption()));
    QVERIFY(inFreeView(*area, item));
    QVERIFY(item->IconControl());
    QCOMPARE(int(item->IconControl()->IconType()), tag);
    QCOMPARE(item->GetColor(), clInfoBk);
    QCOMPARE(quint32(item->GetColor()), 0xFF000018u);
    // 100 pixels high before fitting; then as large as the 32 x 32 glyph, plus 4 below.
    QVERIFY2(
        recorder->heights.contains(100), qPrintable(QString::number(recorder->heights.size())));
    QCOMPARE(recorder->heights.last(), item->Height());
    QCOMPARE(item->ClientHeight(), 36);
    QCOMPARE(item->Width(), 32);
    item->removeEventFilter(recorder.get());
}

void tst_ItemToolbar::mainPartOfIconButtonAddsNothing()
{
    area->SetShowItemToolbar(true);
    QToolButton *icon = buttonsOf(area->ToolBar()).at(4);
    QCOMPARE(icon->text(), QStringLiteral("Icon"));
    QTest::mouseClick(icon, Qt::LeftButton, Qt::NoModifier, QPoint(6, icon->height() / 2));
    icon->click();
    QCOMPARE(area->GetItemCount(), 0);
    QVERIFY(!area->IconMenu()->isVisible());
}

void tst_ItemToolbar::oddSenders()
{
    area->SetShowItemToolbar(true);
    // A sender without a Tag, or with one that is no number, adds nothing.
    QObject untagged;
    area->AddNewItem(&untagged);
    area->AddNewIcon(&untagged);
    QObject wordTag;
    wordTag.setProperty("Tag", QStringLiteral("three"));
    area->AddNewItem(&wordTag);
    area->AddNewIcon(&wordTag);
    QCOMPARE(area->GetItemCount(), 0);

    // No sender at all is an invalid cast.
    QVERIFY_THROWS_EXCEPTION(EInvalidCast, area->AddNewItem(nullptr));
    QVERIFY_THROWS_EXCEPTION(EInvalidCast, area->AddNewIcon(nullptr));
    QCOMPARE(area->GetItemCount(), 0);

    // Any component with a Tag will do: its Tag is the kind or the picture.
    QObject tagged;
    tagged.setProperty("Tag", int(scTreeView));
    area->AddNewItem(&tagged);
    QCOMPARE(area->GetItemCount(), 1);
    QCOMPARE(area->GetItem(0)->SchemaControlType(), scTreeView);
    tagged.setProperty("Tag", int(itUser));
    area->AddNewIcon(&tagged);
    QCOMPARE(area->GetItemCount(), 2);
    QCOMPARE(area->GetItem(1)->IconControl()->IconType(), itUser);
}

void tst_ItemToolbar::addItemFailingEndsTheCommand()
{
    // A handler of OnAddItem that fails makes AddItem yield nothing; the commands stop there
    // and do not touch the item that was destroyed.
    area->SetShowItemToolbar(true);
    auto deleted = std::make_shared<int>(0);
    area->SetOnAddItem([](QObject *, TSchemaItem *) { throw Exception(QStringLiteral("no")); });
    area->SetOnDeleteItem([deleted](QObject *, TSchemaItem *) { ++*deleted; });
    buttonsOf(area->ToolBar()).at(1)->click();
    area->IconMenu()->actions().at(itStopLight)->trigger();
    QCOMPARE(area->GetItemCount(), 0);
    QCOMPARE(*deleted, 2);
    QCOMPARE(errors, QStringList({ "no", "no" })); // the handler's message, reported
    errors.clear();
}

void tst_ItemToolbar::newItemsLandInFreeViewBelowTheToolBar_data()
{
    QTest::addColumn<bool>("icons"); // from the icon menu, or by the Listbox button
    QTest::newRow("list items") << false;
    QTest::newRow("icons") << true;
}

// New items land in the visible area below the tool bar, never on the tool bar and never on an
// item, while there is room elsewhere: here a large item takes the whole corner where the
// items used to be put.
void tst_ItemToolbar::newItemsLandInFreeViewBelowTheToolBar()
{
    QFETCH(bool, icons);
    area->resize(900, 700);
    area->SetShowItemToolbar(true);
    TSchemaItem *corner = area->AddItem(QStringLiteral("corner"), scListBox);
    corner->SetBounds(0, area->CoolBar()->height(), 260, 220);
    TSchemaItem *middle = area->AddItem(QStringLiteral("middle"), scListBox);
    middle->SetBounds(400, 300, 150, 120);

    for (int i = 0; i < 3; ++i) {
        const int before = area->GetItemCount();
        if (icons)
            area->IconMenu()->actions().at(itPrinter)->trigger();
        else
            buttonsOf(area->ToolBar()).at(0)->click();
        QCOMPARE(area->GetItemCount(), before + 1);
        TSchemaItem *added = area->GetItem(before);
        const QString where = QDebug::toString(added->geometry());
        QVERIFY2(inFreeView(*area, added), qPrintable(where));
        for (int j = 0; j < before; ++j) {
            QVERIFY2(!area->GetItem(j)->geometry().intersects(added->geometry()),
                qPrintable(where + QStringLiteral(" covers ") + area->GetItem(j)->GetCaption()));
        }
    }
}

void tst_ItemToolbar::destroyingTheAreaWithTheToolBarShown_data()
{
    QTest::addColumn<bool>("withItems");
    QTest::addColumn<bool>("shownTwice");
    QTest::newRow("bare") << false << false;
    QTest::newRow("with items") << true << false;
    QTest::newRow("hidden and shown again") << false << true;
}

void tst_ItemToolbar::destroyingTheAreaWithTheToolBarShown()
{
    QFETCH(bool, withItems);
    QFETCH(bool, shownTwice);

    area->SetShowItemToolbar(true);
    if (shownTwice) {
        area->SetShowItemToolbar(false);
        area->SetShowItemToolbar(true);
    }
    if (withItems) {
        buttonsOf(area->ToolBar()).at(0)->click();
        area->IconMenu()->actions().at(3)->trigger();
    }
    QPointer<QWidget> coolBar = area->CoolBar();
    QPointer<QToolBar> toolBar = area->ToolBar();
    QPointer<QMenu> menu = area->IconMenu();
    QPointer<QToolButton> button = buttonsOf(toolBar).at(4);
    // The image list has no owner; the area releases it when it goes. The sanitizer build
    // would report a second release, and a pointer that outlives the area is a leak.
    QPointer<TImageList> images = area->ToolBarImages();
    QVERIFY(coolBar && toolBar && menu && button && images);

    area.reset();
    QVERIFY(!coolBar);
    QVERIFY(!toolBar);
    QVERIFY(!menu);
    QVERIFY(!button);
    QVERIFY(!images);
}

QTEST_MAIN(tst_ItemToolbar)
#include "tst_itemtoolbar.moc"
