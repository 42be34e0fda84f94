// The item tool bar of the design area: one button per kind of item, and a drop-down menu of
// icon pictures on the icon button.

#include "diagram/AreaToolbar_p.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaUndoGroup.h"
#include "diagram/items/TSchemaIcon.h"
#include "platform/Application.h"
#include "platform/ColorConvert.h"
#include "platform/Exceptions.h"
#include "platform/Random.h"
#include "platform/TImageList.h"
#include "resources/Glyphs.h"

#include <QAction>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

namespace Diduza {

namespace {
const char *const kTag = "Tag";

struct ButtonSpec {
    const char *caption;
    int image;
    int tag;
    bool dropDown;
};

const ButtonSpec kButtons[] = {
    { QT_TRANSLATE_NOOP("TSchemaDesignArea", "Listbox"), 0, scListBox, false },
    { QT_TRANSLATE_NOOP("TSchemaDesignArea", "Check Listbox"), 1, scCheckListBox, false },
    { QT_TRANSLATE_NOOP("TSchemaDesignArea", "Treeview"), 2, scTreeView, false },
    { QT_TRANSLATE_NOOP("TSchemaDesignArea", "Text"), 3, scText, false },
    { QT_TRANSLATE_NOOP("TSchemaDesignArea", "Icon"), 4, 0, true },
};

// The Tag of a click's sender; false when it has none.
bool senderTag(QObject *Sender, int &tag)
{
    if (!Sender)
        throw EInvalidCast();
    const QVariant value = Sender->property(kTag);
    if (!value.isValid())
        return false;
    bool ok = false;
    tag = value.toInt(&ok);
    return ok;
}

// How many random places a new item tries before it keeps the last one drawn.
constexpr int PlacementTries = 20;

// Puts a new item at a random place in the visible client area below the tool bar, inside
// that area where the item fits, and on a spot that overlaps no other item when one of a few
// draws finds such a spot.
void placeAtRandom(TSchemaDesignArea &area, TSchemaItem *item)
{
    QWidget *client = area.ClientWidget();
    const QRect view = client->rect();
    int top = view.top();
    if (QWidget *bar = area.CoolBar(); bar && bar->isVisibleTo(client))
        top = qMax(top, bar->geometry().bottom() + 1);
    const int xRange = qMax(1, view.width() - item->width() + 1);
    const int yRange = qMax(1, view.bottom() + 1 - top - item->height() + 1);
    QList<QRect> taken;
    for (int i = 0; i < area.GetItemCount(); ++i) {
        TSchemaItem *other = area.GetItem(i);
        if (other && other != item && other->isVisibleTo(client))
            taken << other->geometry();
    }
    QRect spot(QPoint(), item->size());
    for (int attempt = 0; attempt < PlacementTries; ++attempt) {
        spot.moveTopLeft(QPoint(view.left() + RandomInt(xRange), top + RandomInt(yRange)));
        if (std::none_of(taken.cbegin(), taken.cend(),
                [&spot](const QRect &other) { return other.intersects(spot); }))
            break;
    }
    item->move(spot.topLeft());
}
} // namespace

void AreaToolbar::create()
{
    if (FtbItems)
        return;

    // 1. The glyphs, fuchsia drawn see-through.
    FtbImages = new TImageList(16, 16);
    for (int i = 0; i < ToolbarGlyphCount; ++i)
        FtbImages->Add(ToolbarGlyph(i));

    // 2. The icon menu: one entry per picture, captioned by its name without the prefix.
    pmIconList = new QMenu(q);
    pmIconList->setObjectName(QStringLiteral("pmIconList"));
    const int iconCount = EnumCount<TSCIconType>();
    for (int i = 0; i < iconCount; ++i) {
        const QString caption = EnumValueName(TSCIconType(i)).mid(2).left(20);
        auto *entry = new QAction(caption, pmIconList);
        entry->setProperty(kTag, i);
        QObject::connect(
            entry, &QAction::triggered, q, [this, entry] { Guarded([&] { addNewIcon(entry); }); });
        pmIconList->addAction(entry);
    }

    // 3. The host strip at the top edge, in the button-face colour.
    FcbItems = new QWidget(q->ClientWidget());
    FcbItems->setObjectName(QStringLiteral("cbItems"));
    FcbItems->setAutoFillBackground(true);
    QPalette pal = FcbItems->palette();
    pal.setColor(QPalette::Window, ColorToQColor(clBtnFace));
    FcbItems->setPalette(pal);
    auto *layout = new QHBoxLayout(FcbItems);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // 4., 5. The tool bar: captions beside the glyphs, flat buttons, sized to its buttons.
    FtbItems = new QToolBar(FcbItems);
    FtbItems->setObjectName(QStringLiteral("tbItems"));
    FtbItems->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    FtbItems->setIconSize(QSize(16, 16));
    FtbItems->setMovable(false);
    FtbItems->setFloatable(false);
    layout->addWidget(FtbItems);
    layout->addStretch(1);

    // 6. The buttons; a failing setup leaves that button out and goes on with the next.
    for (const ButtonSpec &spec : kButtons) {
        try {
            auto *button = new QToolButton(FtbItems);
            button->setText(QCoreApplication::translate("TSchemaDesignArea", spec.caption));
            button->setIcon(QIcon(FtbImages->Image(spec.image)));
            button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
            button->setAutoRaise(true);
            button->setProperty(kTag, spec.tag);
            button->setObjectName(QStringLiteral("btn%1").arg(spec.image));
            if (spec.dropDown) {
                button->setMenu(pmIconList);
                button->setPopupMode(QToolButton::MenuButtonPopup);
            } else {
                QObject::connect(button, &QToolButton::clicked, q,
                    [this, button] { Guarded([&] { addNewItem(button); }); });
            }
            FtbItems->addWidget(button);
        } catch (...) {
        }
    }
    FcbItems->setGeometry(0, 0, q->viewport()->width(), FcbItems->sizeHint().height());
    FcbItems->show();
}

void AreaToolbar::destroy()
{
    if (!FtbItems)
        return;
    const QList<QToolButton *> buttons
        = FtbItems->findChildren<QToolButton *>(QString(), Qt::FindDirectChildrenOnly);
    for (int i = int(buttons.size()) - 1; i >= 0; --i)
        delete buttons[i];
    delete FtbItems.data();
    FtbItems = nullptr;
    delete FcbItems.data();
    FcbItems = nullptr;
    delete pmIconList.data();
    pmIconList = nullptr;
    delete FtbImages;
    FtbImages = nullptr;
}

void AreaToolbar::addNewItem(QObject *Sender)
{
    int tag = 0;
    if (!senderTag(Sender, tag))
        return;
    TSchemaUndoGroup step(q, QCoreApplication::translate("Diduza::TSchemaDesignArea", "New item"));
    const TSchemaControlType type
        = (tag >= scListBox && tag <= scIcon) ? TSchemaControlType(tag) : scListBox;
    const QString caption = QCoreApplication::translate("TSchemaDesignArea", "New item")
        + QString::number(RandomInt(100));
    TSchemaItem *item = q->AddItem(caption, type);
    if (!item)
        return;
    item->RecalculateHeight();
    item->RecalculateWidth();
    placeAtRandom(*q, item); // once its size is known
}

void AreaToolbar::addNewIcon(QObject *Sender)
{
    int tag = 0;
    if (!senderTag(Sender, tag))
        return;
    TSchemaUndoGroup step(q, QCoreApplication::translate("Diduza::TSchemaDesignArea", "New icon"));
    const QString caption = QCoreApplication::translate("TSchemaDesignArea", "New icon")
        + QString::number(RandomInt(100));
    TSchemaItem *item = q->AddItem(caption, scIcon);
    if (!item)
        return;
    item->SetHeight(100);
    if (TSchemaIcon *icon = item->IconControl()) {
        if (tag >= 0 && tag < EnumCount<TSCIconType>())
            icon->SetIconType(TSCIconType(tag));
        item->SetColor(clInfoBk);
    }
    item->RecalculateHeight();
    item->RecalculateWidth();
    placeAtRandom(*q, item);
}

AreaToolbar::~AreaToolbar()
{
    releaseImages();
}

void AreaToolbar::setShown(bool Value)
{
    FShown = Value;
    if (Value)
        create();
    else
        destroy();
}

void AreaToolbar::fitWidth()
{
    if (FcbItems)
        FcbItems->resize(q->viewport()->width(), FcbItems->height());
}

void AreaToolbar::releaseImages()
{
    delete FtbImages;
    FtbImages = nullptr;
}

} // namespace Diduza
