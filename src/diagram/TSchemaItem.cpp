#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaItem_p.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaDesignArea_p.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/TSchemaUndoGroup.h"
#include "diagram/items/RowDragFeedback_p.h"
#include "diagram/items/TSchemaCheckListBox.h"
#include "diagram/items/TSchemaIcon.h"
#include "diagram/items/TSchemaListBox.h"
#include "diagram/items/TSchemaText.h"
#include "diagram/items/TSchemaTreeView.h"
#include "platform/Application.h"
#include "platform/ColorConvert.h"
#include "platform/DrawingSuspension.h"
#include "platform/Exceptions.h"
#include "platform/FontConvert.h"
#include "platform/ResourceStrings.h"
#include "relations/TSchemaRelation.h"
#include "resources/Glyphs.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QScopeGuard>

namespace Diduza {

int CheckWidth()
{
    return CheckBoxGlyphWidth();
}

namespace {
// Reaches the item's protected d-pointer from its private class.
struct ItemAccess : TSchemaItem {
    static std::unique_ptr<TSchemaItemPrivate> TSchemaItem::*member() { return &ItemAccess::d; }
};
} // namespace

TSchemaItemPrivate *TSchemaItemPrivate::get(TSchemaItem *item)
{
    return (item->*ItemAccess::member()).get();
}

const TSchemaItemPrivate *TSchemaItemPrivate::get(const TSchemaItem *item)
{
    return (item->*ItemAccess::member()).get();
}

TSchemaItem::TSchemaItem(QObject *AOwner)
    : TSchemaItem(AOwner, scListBox)
{
}

TSchemaItem::TSchemaItem(QObject *AOwner, TSchemaControlType ASchemaControlType)
    : QWidget(nullptr)
    , d(std::make_unique<TSchemaItemPrivate>(this))
{
    d->FSchemaControlType = ASchemaControlType;
    d->FDesigner = qobject_cast<TSchemaDesignArea *>(AOwner);
    d->construct();
}

TSchemaItem *TSchemaItem::CreateTyped(QObject *AOwner, TSchemaControlType ASchemaControlType)
{
    return new TSchemaItem(AOwner, ASchemaControlType);
}

TSchemaDesignArea *TSchemaItem::Designer() const
{
    return d->FDesigner;
}

TColor TSchemaItem::GetColor() const
{
    return d->FColor;
}

bool TSchemaItem::ShowCaption() const
{
    return d->FShowCaption;
}

bool TSchemaItem::Sizeable() const
{
    return d->FSizeable;
}

bool TSchemaItem::ToolWin() const
{
    return d->FToolWin;
}

bool TSchemaItem::Border() const
{
    return d->FBorder;
}

const QIcon &TSchemaItem::Icon() const
{
    return d->FIcon;
}

QWidget *TSchemaItem::ItemControl() const
{
    return d->FItemControl;
}

void TSchemaItem::SetItemControl(QWidget *Value)
{
    d->FItemControl = Value;
}

TSchemaControlType TSchemaItem::SchemaControlType() const
{
    return d->FSchemaControlType;
}

const QVariant &TSchemaItem::Data() const
{
    return d->FData;
}

void TSchemaItem::SetData(const QVariant &Value)
{
    d->FData = Value;
}

bool TSchemaItem::Highlighted() const
{
    return d->FHighlighted;
}

TNotifyEvent TSchemaItem::OnSubItemCheck() const
{
    return d->FOnSubItemCheck;
}

void TSchemaItem::SetOnSubItemCheck(TNotifyEvent Value)
{
    d->FOnSubItemCheck = std::move(Value);
}

TSchemaCloseEvent TSchemaItem::OnClose() const
{
    return d->FOnClose;
}

void TSchemaItem::SetOnClose(TSchemaCloseEvent Value)
{
    d->FOnClose = std::move(Value);
}

void TSchemaItemPrivate::construct()
{
    q->setVisible(false);
    q->setAttribute(Qt::WA_OpaquePaintEvent);
    q->setMouseTracking(true);
    FData = QVariant();
    FShowCaption = FSizeable = FToolWin = FBorder = true;
    if (FDesigner)
        TSchemaDesignAreaPrivate::get(FDesigner)->RegisterOwnedItem(q);

    switch (FSchemaControlType) {
    case scCheckListBox:
        FItemControl = new TSchemaCheckListBox(q);
        break;
    case scTreeView: {
        auto *tree = new TSchemaTreeView(q);
        FItemControl = tree;
        QObject::connect(tree, &QTreeWidget::itemExpanded, q,
            [this] { Guarded([this] { q->RelationUpdating(); }); });
        QObject::connect(tree, &QTreeWidget::itemCollapsed, q,
            [this] { Guarded([this] { q->RelationUpdating(); }); });
        if (FDesigner) {
            tree->SetImages(FDesigner->Images());
            tree->SetStateImages(FDesigner->StateImages());
        }
        break;
    }
    case scText:
        FItemControl = new TSchemaText(q);
        break;
    case scIcon:
        FItemControl = new TSchemaIcon(q);
        break;
    case scListBox:
    default:
        FItemControl = new TSchemaListBox(q);
        break;
    }
    if (FSchemaControlType == scText || FSchemaControlType == scIcon) {
        q->SetShowCaption(false);
        q->SetSizeable(true);
        q->SetBorder(false);
        FInnerColor = FColor;
    } else {
        FItemControl->setFocusPolicy(Qt::ClickFocus);
        FInnerColor = clWindow;
    }
    applyInnerFont();
    applyInnerColor();
    layoutInnerControl();
    FItemControl->show();
    if (FSchemaControlType != scText && FSchemaControlType != scIcon)
        buildPopupMenu();
}

TSchemaItem::~TSchemaItem()
{
    d->FDestroying = true;
    SetHighlighted(false); // the area paints over its ring
    if (TSchemaDesignArea *area = d->FDesigner) {
        const TSchemaItemEvent handler = area->OnDeleteItem();
        TSchemaDesignAreaPrivate::get(area)->RaiseDeferredRemoval(this, [&] {
            if (handler)
                Guarded([&] { handler(area, this); });
        });
        if (d->FDesigner)
            TSchemaDesignAreaPrivate::get(d->FDesigner)->ForgetItem(this);
    }
    if (auto *area = qobject_cast<TSchemaDesignArea *>(Parent()); area && area != d->FDesigner)
        TSchemaDesignAreaPrivate::get(area)->ForgetItem(this);
    d->FIcon = QIcon();
}

void TSchemaItemPrivate::buildPopupMenu()
{
    // The entries are made now (owned by the item, enabled as the area's Actions say at this
    // moment); the menu that shows them when it is first asked for.
    const TZkSActions actions = FDesigner ? FDesigner->Actions() : TZkSActions::All();
    auto add = [this](TResString caption, const char *name, bool enabled,
                   void (TSchemaItem::*handler)(QObject *)) {
        auto *action = new QAction(LoadResString(caption), q);
        action->setObjectName(QLatin1String(name));
        action->setEnabled(enabled);
        QObject::connect(action, &QAction::triggered, q,
            [this, action, handler] { Guarded([&] { (q->*handler)(action); }); });
        FMenuEntries.append(action);
    };
    auto addAreaCommand = [this](TResString caption, const char *name,
                              void (TSchemaDesignArea::*handler)(QObject *)) {
        auto *action = new QAction(LoadResString(caption), q);
        action->setObjectName(QLatin1String(name));
        QObject::connect(action, &QAction::triggered, q, [this, action, handler] {
            Guarded([&] {
                if (TSchemaDesignArea *area = FDesigner)
                    (area->*handler)(action);
            });
        });
        FMenuEntries.append(action);
    };
    add(_sSelectAll, "mnuSelectAll", true, &TSchemaItem::_SelectAll);
    add(_sUnSelectAll, "mnuUnSelectAll", true, &TSchemaItem::_UnSelectAll);
    FMenuEntries.append(nullptr);
    add(_sDeleteReleations, "mnuDeleteRelation", actions.Contains(saDeleteReleation),
        &TSchemaItem::RemoveRelations);
    add(_sDeleteItem, "mnuClose", actions.Contains(saDeleteItem), &TSchemaItem::RemoveItem);
    FMenuEntries.append(nullptr);
    addAreaCommand(_sChangeFont, "mnuChangeFont", &TSchemaDesignArea::ChangeItemFont);
    addAreaCommand(_sChangeBackground, "mnuChangeBackground", &TSchemaDesignArea::ChangeBackground);
}

QMenu *TSchemaItem::PopMenu() const
{
    if (!d->FPopMenu && !d->FMenuEntries.isEmpty()) {
        d->FPopMenu = new QMenu(const_cast<TSchemaItem *>(this));
        d->FPopMenu->setObjectName(QStringLiteral("mnu"));
        for (QAction *entry : d->FMenuEntries) {
            if (entry)
                d->FPopMenu->addAction(entry);
            else
                d->FPopMenu->addSeparator();
        }
    }
    return d->FPopMenu;
}

// ---------------------------------------------------------------------------------------------
// Inner controls

TSchemaListBox *TSchemaItem::ListBox() const
{
    return qobject_cast<TSchemaListBox *>(d->FItemControl);
}

TSchemaTreeView *TSchemaItem::TreeView() const
{
    return qobject_cast<TSchemaTreeView *>(d->FItemControl);
}

TSchemaText *TSchemaItem::TextControl() const
{
    return qobject_cast<TSchemaText *>(d->FItemControl);
}

TSchemaIcon *TSchemaItem::IconControl() const
{
    return qobject_cast<TSchemaIcon *>(d->FItemControl);
}

// ---------------------------------------------------------------------------------------------
// Activation, parent, menu commands

bool TSchemaItem::Activate(const QString &, int X, int Y)
{
    move(x(), Y);
    move(X, y());
    TFontValue font = GetFont();
    font.StyleBits = TFontValue::fsBold;
    font.Size = 8;
    if (d->FSchemaControlType == scIcon) {
        d->FFont = font;
    } else {
        d->FInnerFont = font;
        d->applyInnerFont();
    }
    d->FCaptionFont = FontValueToQFont(font);
    if (d->FSchemaControlType != scText && d->FSchemaControlType != scIcon) {
        d->FItemControl->setFocusPolicy(Qt::ClickFocus);
        RecalculateWidth();
    }
    d->FItemControl->setVisible(true);
    setVisible(true);
    return true;
}

void TSchemaItem::SetParent(QWidget *Value)
{
    if (Value && !qobject_cast<TScrollBox *>(Value))
        throw Exception(LoadResString(_smsNotValidTableParent));
    const bool wasVisible = isVisible() || !isHidden();
    if (auto *box = qobject_cast<TScrollBox *>(Value)) {
        if (parentWidget() != box->ClientWidget())
            QWidget::setParent(box->ClientWidget());
    } else {
        QWidget::setParent(nullptr);
    }
    if (wasVisible)
        setVisible(true);
    if (Value && d->FIcon.isNull())
        d->loadDefaultIcon();
}

namespace {
// The item icon, rendered from its picture once and shared by every item (a QIcon is shared
// until it is changed); released when the application goes.
const QIcon &defaultItemIcon()
{
    static QIcon *icon = nullptr;
    if (!icon) {
        icon = new QIcon;
        const QImage glyph = RenderGlyph(QStringLiteral(":/diduza/SD_ITEM.svg"), QSize(16, 16));
        if (!glyph.isNull())
            *icon = QIcon(QPixmap::fromImage(glyph));
        qAddPostRoutine([] {
            delete icon;
            icon = nullptr;
        });
    }
    return *icon;
}
} // namespace

void TSchemaItemPrivate::loadDefaultIcon()
{
    const QIcon &icon = defaultItemIcon();
    if (!icon.isNull())
        q->SetIcon(icon);
}

TScrollBox *TSchemaItem::Parent() const
{
    QWidget *p = parentWidget();
    return p ? qobject_cast<TScrollBox *>(p->parentWidget()) : nullptr;
}

void TSchemaItem::RemoveRelations(QObject *)
{
    if (auto *area = qobject_cast<TSchemaDesignArea *>(Parent()))
        area->DeleteRelationsForItem(this, nullptr);
}

void TSchemaItem::RemoveItem(QObject *Sender)
{
    // A handler of the events raised on the way may remove the item again (nothing more to do)
    // or destroy it (then nothing more is done here either).
    if (d->FRemoving || d->FDestroying)
        return;
    d->FRemoving = true;
    QPointer<TSchemaItem> self(this);
    bool leaves = false;
    const auto stays = qScopeGuard([&] {
        if (self && !leaves)
            d->FRemoving = false; // a handler raised: the item stays on the area
    });
    auto *area = qobject_cast<TSchemaDesignArea *>(Parent());
    TSchemaUndoGroup step(area,
        QCoreApplication::translate("Diduza::TSchemaItem", "Delete %1")
            .arg(TSchemaUndoGroup::StepName(GetCaption())));
    if (area) {
        area->DeleteRelationsForItem(this, nullptr);
        if (!self)
            return;
        TSchemaDesignAreaPrivate::get(area)->undo.itemRemoved(this);
        if (Sender)
            TSchemaDesignAreaPrivate::get(area)->ItemRemovalDeferred(this);
        SetHighlighted(false); // the area paints over its ring while it still stands there
        // Off the area's control list at once; still owned by the area until destroyed.
        hide();
        QWidget::setParent(area);
        hide();
    }
    leaves = true;
    if (Sender)
        deleteLater();
    else
        delete this;
}

void TSchemaItem::RelationUpdating()
{
    d->relationsChanged(true);
}

void TSchemaItem::InnerListScrolled()
{
    d->relationsChanged(false);
}

void TSchemaItemPrivate::relationsChanged(bool isDrag)
{
    auto *area = qobject_cast<TSchemaDesignArea *>(q->Parent());
    if (area && !area->IsScrolling())
        area->ReboundRelationsForItem(q, isDrag);
}

namespace {
// The item whose inner list or tree Source is, or nullptr when Source is no such control.
TSchemaItem *dragSourceItem(QObject *Source)
{
    if (!qobject_cast<QListWidget *>(Source) && !qobject_cast<TSchemaTreeView *>(Source))
        return nullptr;
    return qobject_cast<TSchemaItem *>(static_cast<QWidget *>(Source)->parentWidget());
}
} // namespace

void TSchemaItem::_DragOver(QObject *Sender, QObject *Source, int X, int Y, bool &Accept)
{
    auto *area = qobject_cast<TSchemaDesignArea *>(Parent());
    TSchemaItem *source = dragSourceItem(Source);
    // A row from another design area is refused: a relation joins rows of one diagram.
    Accept = area && !area->ReadOnly() && source && source->Parent() == area;
    if (!Accept)
        return;
    // The line to the pointer, and the frame round the row a drop here would join.
    auto *over = qobject_cast<QWidget *>(Sender);
    if (auto *scroll = qobject_cast<QAbstractScrollArea *>(Sender))
        over = scroll->viewport();
    if (!over || !area->viewport()->isAncestorOf(over))
        return;
    TSchemaSubItem *target = d->dropTarget(Source, X, Y);
    ShowRowDrag(
        area, Source, over->mapTo(area->viewport(), QPoint(X, Y)), target ? this : nullptr, target);
}

TSchemaSubItem *TSchemaItemPrivate::dropTarget(QObject *Source, int X, int Y) const
{
    TSchemaSubItem *target = nullptr;
    if (auto *tree = q->TreeView()) {
        if (QTreeWidgetItem *node = tree->itemAt(X, Y))
            target = TSchemaTreeView::RowOf(node);
    } else if (auto *list = q->ListBox()) {
        if (QListWidgetItem *entry = list->itemAt(X, Y))
            target = TSchemaListBox::RowOf(entry);
    }
    TSchemaItem *sourceItem = dragSourceItem(Source);
    TSchemaSubItem *sourceRow
        = sourceItem ? sourceItem->GetSubItem(sourceItem->GetItemIndex()) : nullptr;
    // A source list without a selected row, or a target without a row, links nothing; nor is
    // a row linked to itself.
    if (!target || !sourceRow || (Source == FItemControl && target == sourceRow))
        return nullptr;
    return target;
}

void TSchemaItem::_DragDrop(QObject *Sender, QObject *Source, int X, int Y)
{
    const auto over = qScopeGuard([] { EndRowDrag(); });
    bool accept = false;
    _DragOver(Sender, Source, X, Y, accept);
    if (!accept)
        return;
    TSchemaSubItem *target = d->dropTarget(Source, X, Y);
    if (!target)
        return;
    TSchemaItem *sourceItem = dragSourceItem(Source);
    TSchemaSubItem *sourceRow = sourceItem->GetSubItem(sourceItem->GetItemIndex());
    auto *area = qobject_cast<TSchemaDesignArea *>(Parent());
    area->AddRelation(sourceItem, this, sourceRow, target);
}

void TSchemaItem::ShowPopupMenu(const QPoint &globalPos)
{
    auto *area = qobject_cast<TSchemaDesignArea *>(Parent());
    if (!area || area->ReadOnly() || !PopMenu())
        return;
    if (QAction *link = area->LinkActionIfMade()) {
        if (!d->FPopMenu->actions().contains(link)) {
            d->FPopMenu->addSeparator();
            d->FPopMenu->addAction(link);
        }
        TSchemaDesignAreaPrivate::get(area)->SetMenuItem(this);
    }
    if (QAction *related = area->RelatedTablesActionIfMade()) {
        if (!d->FPopMenu->actions().contains(related))
            d->FPopMenu->addAction(related);
        TSchemaDesignAreaPrivate::get(area)->SetRelatedTablesItem(this);
    }
    if (QAction *all = area->AllTablesActionIfMade()) {
        if (!d->FPopMenu->actions().contains(all))
            d->FPopMenu->addAction(all);
    }
    d->FPopMenu->popup(globalPos);
}

int TSchemaItem::GetRank() const
{
    TScrollBox *box = Parent();
    if (!box)
        box = d->FDesigner;
    int count = 0;
    auto weigh = [&](const TSchemaRelation *relation) {
        if (relation->ParentItem() == this)
            count += 2;
        else if (relation->ChildItem() == this)
            count += 1;
    };
    if (auto *area = qobject_cast<TSchemaDesignArea *>(box)) {
        for (const TSchemaRelation *relation : area->RelationsOfItem(this))
            weigh(relation);
    } else if (box) {
        for (TGraphicControl *control : box->GraphicControls()) {
            if (auto *relation = qobject_cast<TSchemaRelation *>(control))
                weigh(relation);
        }
    }
    return GetSubItemCount() + 10 * count;
}

// ---------------------------------------------------------------------------------------------
// Caption, colour, font, switches

QString TSchemaItem::GetCaption() const
{
    return windowTitle();
}

void TSchemaItem::SetCaption(const QString &Value)
{
    d->recordChange(QT_TRANSLATE_NOOP("Diduza::TSchemaItem", "Rename %1"),
        [&](AreaUndoRecorder &undo) { undo.captionChanged(this, GetCaption(), Value); });
    setWindowTitle(Value);
    if (auto *text = TextControl())
        text->SetCaption(Value);
    update();
}

QString TSchemaItem::Alias() const
{
    return d->FAlias;
}

void TSchemaItem::SetAlias(const QString &Value)
{
    if (d->FAlias == Value)
        return;
    d->FAlias = Value;
    d->fitTitle();
    update(CaptionRect());
}

QString TSchemaItem::TitleText() const
{
    return d->FAlias.isEmpty() ? GetCaption()
                               : GetCaption() + QStringLiteral(" (") + d->FAlias + QLatin1Char(')');
}

void TSchemaItem::SetColor(TColor Value)
{
    d->recordChange(QT_TRANSLATE_NOOP("Diduza::TSchemaItem", "Colour of %1"),
        [&](AreaUndoRecorder &undo) { undo.colorChanged(this, d->FColor, d->FInnerColor, Value); });
    d->FColor = Value;
    if (d->FSchemaControlType != scIcon) {
        d->FInnerColor = Value;
        d->applyInnerColor();
    }
    update();
}

TFontValue TSchemaItem::GetFont() const
{
    return d->FSchemaControlType == scIcon ? d->FFont : d->FInnerFont;
}

void TSchemaItem::SetFont(const TFontValue &Value)
{
    d->recordChange(QT_TRANSLATE_NOOP("Diduza::TSchemaItem", "Font of %1"),
        [&](AreaUndoRecorder &undo) { undo.fontChanged(this, GetFont(), Value); });
    d->FFont = Value;
    if (d->FSchemaControlType != scIcon) {
        d->FInnerFont = Value;
        d->applyInnerFont();
    }
    update();
}

void TSchemaItemPrivate::recordChange(
    const char *text, const std::function<void(AreaUndoRecorder &)> &record)
{
    auto *area = qobject_cast<TSchemaDesignArea *>(q->Parent());
    if (!area || !area->UndoStack())
        return;
    // A change made alone is a step of its own; within a larger change, part of that step.
    TSchemaUndoGroup step(area,
        QCoreApplication::translate("Diduza::TSchemaItem", text)
            .arg(TSchemaUndoGroup::StepName(q->GetCaption())));
    record(TSchemaDesignAreaPrivate::get(area)->undo);
}

void TSchemaItemPrivate::applyNodeFont(TSchemaTreeView *tree, QTreeWidgetItem *node)
{
    const TSchemaSubItem *row = TSchemaTreeView::RowOf(node);
    QFont font = tree->font();
    font.setBold(row && row->Linked());
    node->setFont(0, font);
}

void TSchemaItemPrivate::applyInnerFont()
{
    if (!FItemControl)
        return;
    // The control keeps the font value as it is (bold after activation); its rows are drawn at
    // normal weight unless they are linked.
    FItemControl->setFont(FontValueToQFont(FInnerFont));
    if (auto *tree = q->TreeView()) {
        for (QTreeWidgetItem *node : tree->AllNodes())
            applyNodeFont(tree, node);
    }
    if (auto *text = q->TextControl())
        text->SetFontColor(FInnerFont.Color);
    else
        applyInnerPalette();
    FItemControl->update();
}

void TSchemaItemPrivate::setInnerColor(TColor color)
{
    if (FSchemaControlType == scIcon || FInnerColor == color)
        return; // an icon has no inner colour of its own
    FInnerColor = color;
    applyInnerColor();
}

void TSchemaItemPrivate::applyInnerColor()
{
    if (!FItemControl)
        return;
    if (auto *text = q->TextControl())
        text->SetColor(FInnerColor);
    else
        applyInnerPalette();
    FItemControl->update();
}

void TSchemaItemPrivate::applyInnerPalette()
{
    // Lists and trees paint with their palette: the font's colour and the item's colour are
    // resolved into it, anew when the application's palette changes (system colours follow).
    if (!FItemControl || q->TextControl() || q->IconControl())
        return;
    QPalette pal = FItemControl->palette();
    pal.setColor(QPalette::Text, ColorToQColor(FInnerFont.Color));
    pal.setColor(QPalette::WindowText, ColorToQColor(FInnerFont.Color));
    pal.setColor(QPalette::Base, ColorToQColor(FInnerColor));
    FItemControl->setPalette(pal);
}

void TSchemaItem::SetShowCaption(bool Value)
{
    if (d->FShowCaption == Value)
        return;
    d->FShowCaption = Value;
    d->layoutInnerControl();
    update();
}

void TSchemaItem::SetSizeable(bool Value)
{
    if (d->FSizeable == Value)
        return;
    d->FSizeable = Value;
    d->layoutInnerControl();
    update();
}

void TSchemaItem::SetToolWin(bool Value)
{
    if (d->FToolWin == Value)
        return;
    d->FToolWin = Value;
    d->layoutInnerControl();
    update();
}

void TSchemaItem::SetBorder(bool Value)
{
    if (d->FBorder == Value)
        return;
    d->FBorder = Value;
    d->layoutInnerControl();
    update();
}

void TSchemaItem::SetIcon(const QIcon &Value)
{
    d->FIcon = Value;
    setWindowIcon(d->FIcon);
    update();
}

} // namespace Diduza
