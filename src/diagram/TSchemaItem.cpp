#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaItem_p.h"

#include "diagram/RowDrag_p.h"
#include "diagram/RowKeys_p.h"
#include "diagram/SchemaUndo_p.h"

#include "diagram/TSchemaCheckListBox.h"
#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaDesignArea_p.h"
#include "diagram/TSchemaIcon.h"
#include "diagram/TSchemaListBox.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/TSchemaText.h"
#include "diagram/TSchemaTreeView.h"
#include "platform/Application.h"
#include "platform/ColorConvert.h"
#include "platform/CompareText.h"
#include "platform/DrawingSuspension.h"
#include "platform/Exceptions.h"
#include "platform/FontConvert.h"
#include "platform/ResourceStrings.h"
#include "platform/TImageList.h"
#include "platform/VisibleText.h"
#include "relations/TSchemaRelation.h"
#include "resources/Glyphs.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionTitleBar>

namespace Diduza {

int CheckWidth()
{
    return CheckBoxGlyphWidth();
}

namespace {
QFont boldFont(QFont font)
{
    font.setBold(true);
    return font;
}

// Decoration metrics: the resizing frame, the thin frame, and the two title-bar heights.
constexpr int ThickFrame = 4;
constexpr int ThinFrame = 1;
constexpr int CaptionHeight = 20;
constexpr int ToolCaptionHeight = 16;
} // namespace

TSchemaItem::TSchemaItem(QObject *AOwner)
    : TSchemaItem(AOwner, scListBox)
{
}

TSchemaItem::TSchemaItem(QObject *AOwner, TSchemaControlType ASchemaControlType)
    : QWidget(nullptr)
    , d(std::make_unique<TSchemaItemPrivate>())
{
    d->FSchemaControlType = ASchemaControlType;
    d->FDesigner = qobject_cast<TSchemaDesignArea *>(AOwner);
    construct();
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

void TSchemaItem::SetItemControl(QWidget *control)
{
    d->FItemControl = control;
}

TSchemaControlType TSchemaItem::SchemaControlType() const
{
    return d->FSchemaControlType;
}

const QVariant &TSchemaItem::Data() const
{
    return d->FData;
}

void TSchemaItem::SetData(const QVariant &value)
{
    d->FData = value;
}

bool TSchemaItem::Highlighted() const
{
    return d->FHighlighted;
}

TNotifyEvent TSchemaItem::OnSubItemCheck() const
{
    return d->FOnSubItemCheck;
}

void TSchemaItem::SetOnSubItemCheck(TNotifyEvent handler)
{
    d->FOnSubItemCheck = std::move(handler);
}

TSchemaCloseEvent TSchemaItem::OnClose() const
{
    return d->FOnClose;
}

void TSchemaItem::SetOnClose(TSchemaCloseEvent handler)
{
    d->FOnClose = std::move(handler);
}

void TSchemaItem::construct()
{
    setVisible(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    d->FData = QVariant();
    d->FShowCaption = d->FSizeable = d->FToolWin = d->FBorder = true;
    if (d->FDesigner)
        TSchemaDesignAreaPrivate::get(d->FDesigner)->RegisterOwnedItem(this);

    switch (d->FSchemaControlType) {
    case scCheckListBox:
        d->FItemControl = new TSchemaCheckListBox(this);
        break;
    case scTreeView: {
        auto *tree = new TSchemaTreeView(this);
        d->FItemControl = tree;
        connect(tree, &QTreeWidget::itemExpanded, this,
            [this] { Guarded([this] { RelationUpdating(); }); });
        connect(tree, &QTreeWidget::itemCollapsed, this,
            [this] { Guarded([this] { RelationUpdating(); }); });
        if (d->FDesigner) {
            tree->SetImages(d->FDesigner->Images());
            tree->SetStateImages(d->FDesigner->StateImages());
        }
        break;
    }
    case scText:
        d->FItemControl = new TSchemaText(this);
        break;
    case scIcon:
        d->FItemControl = new TSchemaIcon(this);
        break;
    case scListBox:
    default:
        d->FItemControl = new TSchemaListBox(this);
        break;
    }
    if (d->FSchemaControlType == scText || d->FSchemaControlType == scIcon) {
        SetShowCaption(false);
        SetSizeable(true);
        SetBorder(false);
        d->FInnerColor = d->FColor;
    } else {
        d->FItemControl->setFocusPolicy(Qt::ClickFocus);
        d->FInnerColor = clWindow;
    }
    applyInnerFont();
    applyInnerColor();
    layoutInnerControl();
    d->FItemControl->show();
    if (d->FSchemaControlType != scText && d->FSchemaControlType != scIcon)
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

void TSchemaItem::buildPopupMenu()
{
    // The entries are made now (owned by the item, enabled as the area's Actions say at this
    // moment); the menu that shows them when it is first asked for.
    const TZkSActions actions = d->FDesigner ? d->FDesigner->Actions() : TZkSActions::All();
    auto add = [this](TResString caption, const char *name, bool enabled,
                   void (TSchemaItem::*handler)(QObject *)) {
        auto *action = new QAction(LoadResString(caption), this);
        action->setObjectName(QLatin1String(name));
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this,
            [this, action, handler] { Guarded([&] { (this->*handler)(action); }); });
        d->FMenuEntries.append(action);
    };
    auto addAreaCommand = [this](TResString caption, const char *name,
                              void (TSchemaDesignArea::*handler)(QObject *)) {
        auto *action = new QAction(LoadResString(caption), this);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, [this, action, handler] {
            Guarded([&] {
                if (TSchemaDesignArea *area = d->FDesigner)
                    (area->*handler)(action);
            });
        });
        d->FMenuEntries.append(action);
    };
    add(_sSelectAll, "mnuSelectAll", true, &TSchemaItem::_SelectAll);
    add(_sUnSelectAll, "mnuUnSelectAll", true, &TSchemaItem::_UnSelectAll);
    d->FMenuEntries.append(nullptr);
    add(_sDeleteReleations, "mnuDeleteRelation", actions.Contains(saDeleteReleation),
        &TSchemaItem::RemoveRelations);
    add(_sDeleteItem, "mnuClose", actions.Contains(saDeleteItem), &TSchemaItem::RemoveItem);
    d->FMenuEntries.append(nullptr);
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
// Rows

TSchemaSubItem *TSchemaItem::AddSubItem(const QString &ItemName, int ParentItem, bool Checked)
{
    return AddSubItemObject(ItemName, ParentItem, Checked, QVariant());
}

TSchemaSubItem *TSchemaItem::AddSubItemObject(
    const QString &ItemName, int ParentItem, bool Checked, const QVariant &AObject)
{
    if ((d->FSchemaControlType == scText || d->FSchemaControlType == scIcon)
        && GetSubItemCount() > 0)
        return nullptr;

    auto *row = new TSchemaSubItem(this);
    QPointer<TSchemaItem> self(this);
    QPointer<TSchemaSubItem> guard(row);
    row->SetCaption(ItemName);
    row->SetChecked(Checked); // raises OnSubItemCheck for a ticked row
    if (!self || !guard)
        return nullptr; // the handler deleted the row or the item

    if (auto *check = qobject_cast<TSchemaCheckListBox *>(d->FItemControl)) {
        QListWidgetItem *entry = TSchemaListBox::NewEntry(ItemName, row);
        entry->setFlags(entry->flags() | Qt::ItemIsUserCheckable);
        d->FSettingCheck = true;
        entry->setCheckState(row->Checked() ? Qt::Checked : Qt::Unchecked);
        check->addItem(entry);
        d->FSettingCheck = false;
        row->SetIndex(check->count() - 1);
    } else if (auto *tree = TreeView()) {
        QTreeWidgetItem *parentNode = (ParentItem >= 0 && ParentItem < tree->NodeCount())
            ? tree->NodeAt(ParentItem)
            : nullptr;
        auto *node = parentNode ? new QTreeWidgetItem(parentNode) : new QTreeWidgetItem(tree);
        node->setText(0, ItemName);
        TSchemaTreeView::SetRow(node, row);
        applyNodeFont(tree, node);
        tree->ApplyImageIndex(node, row->ImageIndex());
        row->SetIndex(tree->AbsoluteIndexOf(node));
    } else if (auto *text = TextControl()) {
        text->SetData(row);
        row->SetIndex(-1);
    } else if (auto *icon = IconControl()) {
        icon->SetData(row);
        row->SetIndex(-1);
    } else if (auto *list = ListBox()) {
        QListWidgetItem *entry = TSchemaListBox::NewEntry(ItemName, row);
        list->addItem(entry);
        row->SetIndex(list->count() - 1);
    }

    if (AObject.isValid())
        row->SetData(AObject);

    if (TSchemaDesignArea *area = d->FDesigner)
        RaiseEvent(area->OnAddSubItem(), area, row);
    return guard.data(); // null when the handler deleted the row or its item
}

int TSchemaItem::GetSubItemCount() const
{
    if (auto *tree = TreeView())
        return tree->NodeCount();
    if (auto *text = TextControl())
        return text->Data() ? 1 : 0;
    if (auto *icon = IconControl())
        return icon->Data() ? 1 : 0;
    if (auto *list = ListBox())
        return list->count();
    return 0;
}

TSchemaSubItem *TSchemaItem::GetSubItem(int Index) const
{
    if (auto *tree = TreeView())
        return TSchemaTreeView::RowOf(tree->NodeAt(Index));
    if (auto *text = TextControl())
        return text->Data();
    if (auto *icon = IconControl())
        return icon->Data();
    if (auto *list = ListBox()) {
        if (Index < 0 || Index >= list->count())
            return nullptr;
        return TSchemaListBox::RowOf(list->item(Index));
    }
    return nullptr;
}

TSchemaSubItem *TSchemaItem::GetSubItemByName(const QString &SubName) const
{
    const int count = GetSubItemCount();
    if (auto *tree = TreeView()) {
        for (QTreeWidgetItem *node : tree->AllNodes()) {
            TSchemaSubItem *row = TSchemaTreeView::RowOf(node);
            if (row && SameText(row->Caption(), SubName))
                return row;
        }
        return nullptr;
    }
    for (int i = 0; i < count; ++i) {
        TSchemaSubItem *row = GetSubItem(i);
        if (row && SameText(row->Caption(), SubName))
            return row;
    }
    return nullptr;
}

int TSchemaItem::GetIndexBySubItem(const TSchemaSubItem *SubItem) const
{
    if (!SubItem)
        return -1;
    if (auto *tree = TreeView()) {
        const QList<QTreeWidgetItem *> nodes = tree->AllNodes();
        for (int i = 0; i < nodes.size(); ++i) {
            if (TSchemaTreeView::RowOf(nodes[i]) == SubItem)
                return i;
        }
        return -1;
    }
    if (TextControl() || IconControl())
        return GetSubItem(0) == SubItem ? 0 : -1;
    if (auto *list = ListBox()) {
        const int hint = SubItem->FPositionHint;
        if (hint >= 0 && hint < list->count() && TSchemaListBox::RowOf(list->item(hint)) == SubItem)
            return hint;
        for (int i = 0; i < list->count(); ++i) {
            if (TSchemaListBox::RowOf(list->item(i)) == SubItem) {
                SubItem->FPositionHint = i;
                return i;
            }
        }
    }
    return -1;
}

int TSchemaItem::GetItemIndex() const
{
    if (auto *tree = TreeView()) {
        QTreeWidgetItem *node = tree->currentItem();
        return (node && node->isSelected()) ? tree->AbsoluteIndexOf(node) : -1;
    }
    if (auto *list = ListBox()) {
        QListWidgetItem *entry = list->currentItem();
        return (entry && entry->isSelected()) ? list->row(entry) : -1;
    }
    return -1;
}

QString TSchemaItem::GetItemName(int Index) const
{
    if (auto *tree = TreeView()) {
        QTreeWidgetItem *node = tree->NodeAt(Index);
        return node ? node->text(0) : QString();
    }
    if (auto *text = TextControl())
        return text->Caption();
    if (IconControl())
        return QString();
    if (auto *list = ListBox()) {
        if (Index >= 0 && Index < list->count())
            return list->item(Index)->text();
    }
    return QString();
}

void TSchemaItem::DeleteSubItem(int Index)
{
    if (auto *tree = TreeView()) {
        QTreeWidgetItem *node = tree->NodeAt(Index);
        if (!node)
            return;
        delete TSchemaTreeView::RowOf(node);
        TSchemaTreeView::SetRow(node, nullptr);
        delete node;
        return;
    }
    if (TextControl() || IconControl())
        return;
    if (auto *list = ListBox()) {
        if (Index < 0 || Index >= list->count())
            return;
        QListWidgetItem *entry = list->item(Index);
        delete TSchemaListBox::RowOf(entry);
        TSchemaListBox::SetRow(entry, nullptr);
        delete list->takeItem(Index);
    }
}

void TSchemaItem::SelectItemBold(TSchemaSubItem *SubItem, bool IsBold)
{
    if (!SubItem)
        return;
    SubItem->SetLinked(IsBold);
    if (auto *tree = TreeView()) {
        if (QTreeWidgetItem *node = tree->NodeAt(GetIndexBySubItem(SubItem)))
            applyNodeFont(tree, node);
    } else if (auto *list = ListBox()) {
        list->viewport()->update(); // list rows read Linked when they are painted
    }
}

void TSchemaItem::tickRow(TSchemaSubItem *row, bool checked)
{
    if (auto *check = qobject_cast<TSchemaCheckListBox *>(d->FItemControl))
        check->SetChecked(GetIndexBySubItem(row), checked);
    row->SetChecked(checked); // the last use: its handler may delete the item
}

void TSchemaItem::setAllChecked(bool checked)
{
    if (d->FSchemaControlType == scText || d->FSchemaControlType == scIcon)
        return;
    // The rows are taken first: a handler may add or delete rows, or the item, meanwhile.
    QPointer<TSchemaItem> self(this);
    QList<QPointer<TSchemaSubItem>> rows;
    for (int i = 0; i < GetSubItemCount(); ++i)
        rows << GetSubItem(i);
    for (const QPointer<TSchemaSubItem> &row : std::as_const(rows)) {
        if (!self)
            return;
        if (row)
            tickRow(row, checked);
    }
}

bool TSchemaItem::keepsTick(const TSchemaSubItem *row)
{
    if (!d->FKeptTicks.contains(row))
        return false;
    d->FKeptTickRefused = true;
    return true;
}

void TSchemaItem::_SelectAll(QObject *)
{
    if (d->FSchemaControlType == scText || d->FSchemaControlType == scIcon)
        return;
    // The rows are taken first: a handler may add or delete rows while the walk runs.
    QList<QPointer<TSchemaSubItem>> rows;
    for (int i = 0; i < GetSubItemCount(); ++i) {
        if (TSchemaSubItem *row = GetSubItem(i)) {
            rows << row;
            if (row->Checked())
                d->FKeptTicks.insert(row);
        }
    }
    QPointer<TSchemaItem> self(this); // a handler may delete the item
    const auto release = qScopeGuard([&] {
        if (self)
            d->FKeptTicks.clear();
    });
    for (const QPointer<TSchemaSubItem> &row : rows) {
        if (!self)
            return;
        if (!row || row->Checked())
            continue;
        d->FKeptTickRefused = false;
        tickRow(row, true);
        if (self && d->FKeptTickRefused && row && row->Checked())
            tickRow(row, false); // it excludes rows that stay ticked
    }
}

void TSchemaItem::_UnSelectAll(QObject *)
{
    setAllChecked(false);
}

void TSchemaItem::EntryCheckToggled(QListWidgetItem *entry)
{
    TSchemaSubItem *row = TSchemaListBox::RowOf(entry);
    if (!row || d->FSettingCheck)
        return;
    const bool shown = entry->checkState() == Qt::Checked;
    if (shown == row->Checked())
        return; // the entry was set to the row's state by code
    row->SetChecked(!row->Checked());
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
        applyInnerFont();
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

void TSchemaItem::SetParent(QWidget *AParent)
{
    if (AParent && !qobject_cast<TScrollBox *>(AParent))
        throw Exception(LoadResString(_smsNotValidTableParent));
    const bool wasVisible = isVisible() || !isHidden();
    if (auto *box = qobject_cast<TScrollBox *>(AParent)) {
        if (parentWidget() != box->ClientWidget())
            QWidget::setParent(box->ClientWidget());
    } else {
        QWidget::setParent(nullptr);
    }
    if (wasVisible)
        setVisible(true);
    if (AParent && d->FIcon.isNull())
        loadDefaultIcon();
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

void TSchemaItem::loadDefaultIcon()
{
    const QIcon &icon = defaultItemIcon();
    if (!icon.isNull())
        SetIcon(icon);
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
    SchemaUndoGroup step(area,
        QCoreApplication::translate("Diduza::TSchemaItem", "Delete %1")
            .arg(StepName(GetCaption())));
    if (area) {
        area->DeleteRelationsForItem(this, nullptr);
        if (!self)
            return;
        if (QUndoCommand *parent = step.Parent())
            SchemaUndo::ItemRemoved(parent, area, ItemPosition(area, this), CaptureItemLook(this));
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
    relationsChanged(true);
}

void TSchemaItem::InnerListScrolled()
{
    relationsChanged(false);
}

void TSchemaItem::relationsChanged(bool isDrag)
{
    auto *area = qobject_cast<TSchemaDesignArea *>(Parent());
    if (area && !area->IsScrolling())
        area->ReboundRelationsForItem(this, isDrag);
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
    TSchemaSubItem *target = dropTarget(Source, X, Y);
    ShowRowDrag(
        area, Source, over->mapTo(area->viewport(), QPoint(X, Y)), target ? this : nullptr, target);
}

TSchemaSubItem *TSchemaItem::dropTarget(QObject *Source, int X, int Y) const
{
    TSchemaSubItem *target = nullptr;
    if (auto *tree = TreeView()) {
        if (QTreeWidgetItem *node = tree->itemAt(X, Y))
            target = TSchemaTreeView::RowOf(node);
    } else if (auto *list = ListBox()) {
        if (QListWidgetItem *entry = list->itemAt(X, Y))
            target = TSchemaListBox::RowOf(entry);
    }
    TSchemaItem *sourceItem = dragSourceItem(Source);
    TSchemaSubItem *sourceRow
        = sourceItem ? sourceItem->GetSubItem(sourceItem->GetItemIndex()) : nullptr;
    // A source list without a selected row, or a target without a row, links nothing; nor is
    // a row linked to itself.
    if (!target || !sourceRow || (Source == d->FItemControl && target == sourceRow))
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
    TSchemaSubItem *target = dropTarget(Source, X, Y);
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
    recordChange(QT_TRANSLATE_NOOP("Diduza::TSchemaItem", "Rename %1"),
        [&](QUndoCommand *parent, TSchemaDesignArea *area, int position) {
            SchemaUndo::CaptionChanged(parent, area, position, GetCaption(), Value);
        });
    setWindowTitle(Value);
    if (auto *text = TextControl())
        text->SetCaption(Value);
    update();
}

void TSchemaItem::SetColor(TColor Value)
{
    recordChange(QT_TRANSLATE_NOOP("Diduza::TSchemaItem", "Colour of %1"),
        [&](QUndoCommand *parent, TSchemaDesignArea *area, int position) {
            SchemaUndo::ColorChanged(parent, area, position, d->FColor, d->FInnerColor, Value);
        });
    d->FColor = Value;
    if (d->FSchemaControlType != scIcon) {
        d->FInnerColor = Value;
        applyInnerColor();
    }
    update();
}

TFontValue TSchemaItem::GetFont() const
{
    return d->FSchemaControlType == scIcon ? d->FFont : d->FInnerFont;
}

void TSchemaItem::SetFont(const TFontValue &Value)
{
    recordChange(QT_TRANSLATE_NOOP("Diduza::TSchemaItem", "Font of %1"),
        [&](QUndoCommand *parent, TSchemaDesignArea *area, int position) {
            SchemaUndo::FontChanged(parent, area, position, GetFont(), Value);
        });
    d->FFont = Value;
    if (d->FSchemaControlType != scIcon) {
        d->FInnerFont = Value;
        applyInnerFont();
    }
    update();
}

void TSchemaItem::recordChange(
    const char *text, const std::function<void(QUndoCommand *, TSchemaDesignArea *, int)> &record)
{
    auto *area = qobject_cast<TSchemaDesignArea *>(Parent());
    if (!area || !area->UndoStack())
        return;
    // A change made alone is a step of its own; within a larger change, part of that step.
    SchemaUndoGroup step(
        area, QCoreApplication::translate("Diduza::TSchemaItem", text).arg(StepName(GetCaption())));
    if (QUndoCommand *parent = step.Parent())
        record(parent, area, ItemPosition(area, this));
}

void TSchemaItem::applyNodeFont(TSchemaTreeView *tree, QTreeWidgetItem *node)
{
    const TSchemaSubItem *row = TSchemaTreeView::RowOf(node);
    QFont font = tree->font();
    font.setBold(row && row->Linked());
    node->setFont(0, font);
}

void TSchemaItem::applyInnerFont()
{
    if (!d->FItemControl)
        return;
    // The control keeps the font value as it is (bold after activation); its rows are drawn at
    // normal weight unless they are linked.
    d->FItemControl->setFont(FontValueToQFont(d->FInnerFont));
    if (auto *tree = TreeView()) {
        for (QTreeWidgetItem *node : tree->AllNodes())
            applyNodeFont(tree, node);
    }
    if (auto *text = TextControl())
        text->SetFontColor(d->FInnerFont.Color);
    else
        applyInnerPalette();
    d->FItemControl->update();
}

TColor InnerColorOf(const TSchemaItem *item)
{
    return item->d->FInnerColor;
}

void SetInnerColorOf(TSchemaItem *item, TColor color)
{
    if (item->d->FSchemaControlType == scIcon || item->d->FInnerColor == color)
        return; // an icon has no inner colour of its own
    item->d->FInnerColor = color;
    item->applyInnerColor();
}

void TSchemaItem::applyInnerColor()
{
    if (!d->FItemControl)
        return;
    if (auto *text = TextControl())
        text->SetColor(d->FInnerColor);
    else
        applyInnerPalette();
    d->FItemControl->update();
}

void TSchemaItem::applyInnerPalette()
{
    // Lists and trees paint with their palette: the font's colour and the item's colour are
    // resolved into it, anew when the application's palette changes (system colours follow).
    if (!d->FItemControl || TextControl() || IconControl())
        return;
    QPalette pal = d->FItemControl->palette();
    pal.setColor(QPalette::Text, ColorToQColor(d->FInnerFont.Color));
    pal.setColor(QPalette::WindowText, ColorToQColor(d->FInnerFont.Color));
    pal.setColor(QPalette::Base, ColorToQColor(d->FInnerColor));
    d->FItemControl->setPalette(pal);
}

void TSchemaItem::SetShowCaption(bool value)
{
    if (d->FShowCaption == value)
        return;
    d->FShowCaption = value;
    layoutInnerControl();
    update();
}

void TSchemaItem::SetSizeable(bool value)
{
    if (d->FSizeable == value)
        return;
    d->FSizeable = value;
    layoutInnerControl();
    update();
}

void TSchemaItem::SetToolWin(bool value)
{
    if (d->FToolWin == value)
        return;
    d->FToolWin = value;
    layoutInnerControl();
    update();
}

void TSchemaItem::SetBorder(bool value)
{
    if (d->FBorder == value)
        return;
    d->FBorder = value;
    layoutInnerControl();
    update();
}

void TSchemaItem::SetIcon(const QIcon &Value)
{
    d->FIcon = Value;
    setWindowIcon(d->FIcon);
    update();
}

// ---------------------------------------------------------------------------------------------
// Geometry

int TSchemaItem::frameWidth() const
{
    int frame = d->FBorder ? ThickFrame : (!d->FSizeable ? ThinFrame : 0);
    if (d->FShowCaption && frame == 0)
        frame = ThinFrame; // a title bar always comes with a frame
    return frame;
}

int TSchemaItem::captionHeight() const
{
    return d->FShowCaption ? (d->FToolWin ? ToolCaptionHeight : CaptionHeight) : 0;
}

QRect TSchemaItem::ClientRect() const
{
    const int frame = frameWidth();
    const int caption = captionHeight();
    return QRect(frame, frame + caption, qMax(0, width() - 2 * frame),
        qMax(0, height() - 2 * frame - caption));
}

int TSchemaItem::ClientHeight() const
{
    return ClientRect().height();
}

int TSchemaItem::ClientWidth() const
{
    return ClientRect().width();
}

void TSchemaItem::SetClientHeight(int h)
{
    SetHeight(qMax(0, h) + 2 * frameWidth() + captionHeight());
}

void TSchemaItem::layoutInnerControl()
{
    if (d->FItemControl)
        d->FItemControl->setGeometry(ClientRect());
}

int TSchemaItem::GetRowY(int FldN) const
{
    const QRect client = ClientRect();
    // The inner control in the item's client coordinates. It fills the client area; that is
    // read from the item's own geometry, which is current even while Qt holds back the resize
    // event (and so the inner control's layout) of an item that is not shown yet.
    const QRect c(0, 0, client.width(), client.height());
    int y = c.top() + 9;
    if (auto *tree = TreeView()) {
        if (tree->topLevelItemCount() > 0) {
            QTreeWidgetItem *node = tree->itemAt(0, 0);
            if (!node)
                node = tree->topLevelItem(0);
            QHash<const QTreeWidgetItem *, int> absolute;
            const QList<QTreeWidgetItem *> all = tree->AllNodes();
            absolute.reserve(all.size());
            for (int i = 0; i < all.size(); ++i)
                absolute.insert(all[i], i);
            int count = 0;
            for (; node; node = tree->itemBelow(node)) {
                if (absolute.value(node, -1) > FldN)
                    break;
                ++count;
            }
            const int k = qMax(count - 1, 0);
            y = c.top() + SchemaTreeRowHeight * k + 9;
        }
    } else if (auto *list = ListBox()) {
        const int first = list->TopIndex();
        y = c.top() + 1 + ((2 * (FldN - first) + 1) * SchemaListRowHeight) / 2;
    }
    if (y > c.top() + c.height())
        y = c.top() + c.height();
    // From the item's client coordinates to its parent's.
    return y + client.top() + this->y();
}

void TSchemaItem::RecalculateHeight()
{
    int h = 0;
    if (auto *tree = TreeView()) {
        tree->expandAll();
        h = tree->NodeCount() * SchemaTreeRowHeight;
    } else if (auto *text = TextControl()) {
        h = text->height();
    } else if (auto *icon = IconControl()) {
        h = icon->Picture().height();
    } else if (auto *list = ListBox()) {
        h = list->count() * SchemaListRowHeight;
    }
    if (d->FBorder)
        h += 5;
    h += 4;
    SetClientHeight(h);
}

void TSchemaItem::RecalculateWidth()
{
    int w = 0;
    // Rows are measured bold, so that each fits once it is linked.
    if (auto *tree = TreeView()) {
        w = 110;
        const QFontMetrics fm(boldFont(tree->font()));
        for (QTreeWidgetItem *node : tree->AllNodes())
            w = qMax(w, fm.horizontalAdvance(VisibleText(node->text(0))));
    } else if (auto *text = TextControl()) {
        if (text->Caption().contains(QLatin1Char('\r')))
            w = ClientWidth(); // the label's width: it fills the client area
        else
            w = text->MeasureText(-1).width();
    } else if (auto *icon = IconControl()) {
        w = icon->Picture().width();
    } else if (auto *list = ListBox()) {
        w = 110;
        const QFontMetrics fm(boldFont(list->font()));
        for (int i = 0; i < list->count(); ++i)
            w = qMax(w, fm.horizontalAdvance(VisibleText(list->item(i)->text())));
        w += KeyColumnWidth(this); // 0 unless the area shows keys
    }
    if (d->FBorder)
        w += 5;
    if (d->FSchemaControlType == scText || d->FSchemaControlType == scIcon)
        SetWidth(w);
    else
        SetWidth(w + 20 + CheckWidth());
    if (d->FShowCaption) {
        const int captionWidth
            = QFontMetrics(d->FCaptionFont).horizontalAdvance(VisibleText(GetCaption()));
        if (captionWidth > width() - 34)
            SetWidth(captionWidth + 34);
    }
}

bool TSchemaItem::event(QEvent *event)
{
    // The design area learns first where the item now stands, as from an event filter.
    TScrollBox::WindowedChildChanged(this, event);
    if (event->type() == QEvent::PaletteChange)
        applyInnerPalette();
    return QWidget::event(event);
}

void TSchemaItem::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    if (d->FHighlighted && parentWidget()) { // the ring round it moves along
        parentWidget()->update(QRect(event->oldPos(), size()).adjusted(-5, -5, 5, 5));
        parentWidget()->update(geometry().adjusted(-5, -5, 5, 5));
    }
    Guarded([this] { relationsChanged(true); });
}

void TSchemaItem::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (d->FHighlighted && parentWidget()) {
        parentWidget()->update(QRect(pos(), event->oldSize()).adjusted(-5, -5, 5, 5));
        parentWidget()->update(geometry().adjusted(-5, -5, 5, 5));
    }
    layoutInnerControl();
    Guarded([this] { relationsChanged(true); });
}

// ---------------------------------------------------------------------------------------------
// Painting

QRect TSchemaItem::CaptionRect() const
{
    if (!d->FShowCaption)
        return QRect();
    const int frame = frameWidth();
    return QRect(frame, frame, qMax(0, width() - 2 * frame), captionHeight());
}

namespace {
QStyleOptionTitleBar titleBarOption(const QWidget *w, const QRect &rect, bool toolWin)
{
    QStyleOptionTitleBar bar;
    bar.initFrom(w);
    bar.rect = rect;
    bar.titleBarState = Qt::WindowActive;
    bar.titleBarFlags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
    if (toolWin)
        bar.titleBarFlags |= Qt::Tool;
    bar.subControls = QStyle::SC_TitleBarLabel | QStyle::SC_TitleBarCloseButton
        | (toolWin ? QStyle::SC_None : QStyle::SC_TitleBarSysMenu);
    bar.state |= QStyle::State_Active;
    return bar;
}
} // namespace

QRect TSchemaItem::CloseButtonRect() const
{
    const QRect caption = CaptionRect();
    if (caption.isEmpty())
        return QRect();
    const QStyleOptionTitleBar bar = titleBarOption(this, caption, d->FToolWin);
    return style()->subControlRect(QStyle::CC_TitleBar, &bar, QStyle::SC_TitleBarCloseButton, this);
}

int TSchemaItem::hitEdges(const QPoint &p) const
{
    if (!d->FBorder)
        return 0;
    const int grip = qMax(frameWidth(), ThickFrame);
    int edges = 0;
    if (p.x() < grip)
        edges |= EdgeLeft;
    else if (p.x() >= width() - grip)
        edges |= EdgeRight;
    if (p.y() < grip)
        edges |= EdgeTop;
    else if (p.y() >= height() - grip)
        edges |= EdgeBottom;
    return edges;
}

void TSchemaItem::updateCursor(const QPoint &p)
{
    const int edges = hitEdges(p);
    if ((edges & (EdgeLeft | EdgeTop)) == (EdgeLeft | EdgeTop)
        || (edges & (EdgeRight | EdgeBottom)) == (EdgeRight | EdgeBottom))
        setCursor(Qt::SizeFDiagCursor);
    else if ((edges & (EdgeRight | EdgeTop)) == (EdgeRight | EdgeTop)
        || (edges & (EdgeLeft | EdgeBottom)) == (EdgeLeft | EdgeBottom))
        setCursor(Qt::SizeBDiagCursor);
    else if (edges & (EdgeLeft | EdgeRight))
        setCursor(Qt::SizeHorCursor);
    else if (edges & (EdgeTop | EdgeBottom))
        setCursor(Qt::SizeVerCursor);
    else
        unsetCursor();
}

void TSchemaItem::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    d->FDragMode = DragNone;
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    raise();
    d->FPressGlobal = event->globalPosition().toPoint();
    d->FStartGeometry = geometry();
    if (CloseButtonRect().contains(p)) {
        d->FDragMode = DragClose;
        d->FClosePressed = true;
        update(CaptionRect());
    } else if (const int edges = hitEdges(p)) {
        d->FDragMode = DragResize;
        d->FDragEdges = edges;
    } else if (CaptionRect().contains(p)
        || ((d->FSchemaControlType == scText || d->FSchemaControlType == scIcon)
            && ClientRect().contains(p))) {
        // List kinds move by their title bar, text and icon items by their whole body.
        d->FDragMode = DragMove;
    }
    event->accept();
}

void TSchemaItem::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    const QPoint delta = event->globalPosition().toPoint() - d->FPressGlobal;
    switch (d->FDragMode) {
    case DragMove:
        move(d->FStartGeometry.topLeft() + delta);
        break;
    case DragResize: {
        const int minWidth = 2 * frameWidth() + 24;
        const int minHeight = 2 * frameWidth() + captionHeight() + 4;
        QRect g = d->FStartGeometry;
        if (d->FDragEdges & EdgeLeft)
            g.setLeft(qMin(g.left() + delta.x(), g.right() + 1 - minWidth));
        if (d->FDragEdges & EdgeRight)
            g.setRight(qMax(g.right() + delta.x(), g.left() + minWidth - 1));
        if (d->FDragEdges & EdgeTop)
            g.setTop(qMin(g.top() + delta.y(), g.bottom() + 1 - minHeight));
        if (d->FDragEdges & EdgeBottom)
            g.setBottom(qMax(g.bottom() + delta.y(), g.top() + minHeight - 1));
        setGeometry(g);
        break;
    }
    case DragClose: {
        const bool inside = CloseButtonRect().contains(p);
        if (inside != d->FClosePressed) {
            d->FClosePressed = inside;
            update(CaptionRect());
        }
        break;
    }
    case DragNone:
        updateCursor(p);
        break;
    }
    event->accept();
}

void TSchemaItem::mouseReleaseEvent(QMouseEvent *event)
{
    const DragMode mode = d->FDragMode;
    d->FDragMode = DragNone;
    if ((mode == DragMove || mode == DragResize) && geometry() != d->FStartGeometry) {
        // A whole drag is one step.
        auto *area = qobject_cast<TSchemaDesignArea *>(Parent());
        SchemaUndoGroup step(area,
            mode == DragMove ? QCoreApplication::translate("Diduza::TSchemaItem", "Move %1")
                                   .arg(StepName(GetCaption()))
                             : QCoreApplication::translate("Diduza::TSchemaItem", "Resize %1")
                                   .arg(StepName(GetCaption())));
        if (QUndoCommand *parent = step.Parent())
            SchemaUndo::ItemMoved(
                parent, area, ItemPosition(area, this), d->FStartGeometry, geometry());
    }
    if (mode == DragClose) {
        const bool close
            = d->FClosePressed && CloseButtonRect().contains(event->position().toPoint());
        d->FClosePressed = false;
        update(CaptionRect());
        if (close) {
            // The close request removes the item, without asking anyone.
            Guarded([this] { RemoveItem(this); });
            return;
        }
    }
    event->accept();
}

void TSchemaItem::leaveEvent(QEvent *event)
{
    if (d->FDragMode == DragNone)
        unsetCursor();
    QWidget::leaveEvent(event);
}

void TSchemaItem::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), ColorToQColor(d->FColor, palette()));
    const QRect client = ClientRect();
    const int frame = client.left();
    if (frame > 0) {
        QStyleOptionFrame option;
        option.initFrom(this);
        option.rect = rect();
        option.lineWidth = frame;
        option.midLineWidth = 0;
        option.state |= QStyle::State_Raised;
        if (frame >= ThickFrame) {
            style()->drawPrimitive(QStyle::PE_FrameWindow, &option, &painter, this);
        } else {
            painter.setPen(palette().color(QPalette::Shadow));
            painter.drawRect(rect().adjusted(0, 0, -1, -1));
        }
    }
    if (d->FShowCaption) {
        // The style draws the bar and its caption; the close button is drawn here in the
        // palette's colours with plain pens: a style may draw its glyph in a fixed colour
        // (black on a dark palette) or with gradient pens (black bars in SVG exports).
        QStyleOptionTitleBar bar = titleBarOption(
            this, QRect(frame, frame, width() - 2 * frame, client.top() - frame), d->FToolWin);
        bar.text = VisibleText(GetCaption());
        bar.icon = d->FIcon;
        bar.subControls &= ~QStyle::SC_TitleBarCloseButton;
        painter.save();
        painter.setFont(d->FCaptionFont);
        style()->drawComplexControl(QStyle::CC_TitleBar, &bar, &painter, this);
        painter.restore();
        paintCloseButton(painter);
    }
}

void TSchemaItem::paintCloseButton(QPainter &painter) const
{
    const QRect button = CloseButtonRect();
    if (button.width() < 4 || button.height() < 4)
        return;
    const QPalette &pal = palette();
    const QColor ink = pal.color(QPalette::WindowText);
    const TSchemaDesignArea *area = Designer();
    const bool pressed = d->FClosePressed && !(area && area->IsDrawingCanvas());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(button).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor edge = ink;
    edge.setAlphaF(0.45);
    painter.setPen(QPen(edge, 1));
    painter.setBrush(pressed ? QBrush(pal.color(QPalette::Highlight)) : QBrush(Qt::NoBrush));
    painter.drawRoundedRect(box, 2, 2);
    // A cross through pixel centres, so that it looks the same drawn on pixels and in SVG.
    const int inset = qMax(2, button.width() / 4);
    const QRectF cross
        = QRectF(button.adjusted(inset, inset, -inset - 1, -inset - 1)).translated(0.5, 0.5);
    painter.setPen(QPen(pressed ? pal.color(QPalette::HighlightedText) : ink, 1.2));
    painter.drawLine(cross.topLeft(), cross.bottomRight());
    painter.drawLine(cross.bottomLeft(), cross.topRight());
    painter.restore();
}

void TSchemaItem::SetHighlighted(bool Value)
{
    if (d->FHighlighted == Value)
        return;
    d->FHighlighted = Value;
    if (TSchemaDesignArea *area = Designer())
        TSchemaDesignAreaPrivate::get(area)->ItemHighlightChanged(this);
}

void TSchemaItem::CustomListDrawItem(
    QWidget *Control, int Index, const QRect &Rect, bool Selected, QPainter &painter)
{
    auto *list = qobject_cast<TSchemaListBox *>(Control);
    if (!list || Index < 0 || Index >= list->count())
        return;
    const QPalette pal = list->palette();
    painter.fillRect(Rect, Selected ? pal.color(QPalette::Highlight) : pal.color(QPalette::Base));
    // Rows show whether they are linked by their weight alone: bold or normal, whatever the
    // weight of the list's font.
    QFont font = list->font();
    font.setBold(false);
    painter.setPen(Selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text));
    QListWidgetItem *entry = list->item(Index);
    TSchemaSubItem *row = TSchemaListBox::RowOf(entry);
    const int textFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
    if (!row) {
        painter.setFont(font);
        painter.drawText(QRect(Rect.left(), Rect.top(), 10000, Rect.height()), textFlags,
            VisibleText(entry->text()));
        return;
    }
    if (row->Linked()) {
        font.setBold(true);
        font.setItalic(false);
        font.setUnderline(false);
        font.setStrikeOut(false);
    }
    painter.setFont(font);
    TImageList *images = nullptr;
    if (TSchemaDesignArea *area = qobject_cast<TSchemaDesignArea *>(Parent()))
        images = area->Images();
    else if (d->FDesigner)
        images = d->FDesigner->Images();
    int glyph = row->ImageIndex();
    if (Selected) {
        glyph = row->SelectedIndex();
        if (images && (glyph < 0 || glyph >= images->Count()))
            glyph = row->ImageIndex();
    }
    // The key glyphs, where the area shows keys, before everything else of the row.
    int textOffset = KeyColumnWidth(this);
    if (textOffset > 0)
        PaintRowKeys(painter, this, row, Rect);
    if (images && glyph >= 0 && glyph < images->Count()) {
        images->Draw(painter, Rect.left() + textOffset,
            Rect.top() + (Rect.height() - images->Height()) / 2, glyph, true);
        textOffset += images->Width() + 2;
    }
    painter.drawText(QRect(Rect.left() + textOffset + 2, Rect.top(), 10000, Rect.height()),
        textFlags, VisibleText(row->Caption()));
}

} // namespace Diduza
