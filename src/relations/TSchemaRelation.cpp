#include "relations/TSchemaRelation.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaDesignArea_p.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/TSchemaUndoGroup.h"
#include "diagram/model/RelationRouting.h"
#include "engines/TSchemaDataEngine.h"
#include "platform/Application.h"
#include "platform/ColorConvert.h"
#include "platform/DialogService.h"
#include "platform/RelationOperators.h"
#include "platform/ResourceStrings.h"
#include "platform/TRadioGroup.h"
#include "platform/VisibleText.h"
#include "relations/TfrmZkRelation.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPolygon>
#include <QStyleHints>
#include <QVector>

#include <array>
#include <memory>

namespace Diduza {

// A relation's own state: its ends, join, routing, hit band, menu and pressed look (reached
// through TSchemaRelationPrivate::get).
class TSchemaRelationPrivate {
public:
    static TSchemaRelationPrivate *get(TSchemaRelation *relation);
    static const TSchemaRelationPrivate *get(const TSchemaRelation *relation);

    // The corners of the hit band of the present shape of a line of the given size (or of the
    // last one); false before the line has any shape, when the 15 x 15 square at the top-left
    // corner is hit instead.
    bool hitBand(std::array<QPoint, 4> &band, int width, int height);

    QPointer<TSchemaItem> FParentItem;
    QPointer<TSchemaItem> FChildItem;
    QPointer<TSchemaSubItem> FParentSubItem;
    QPointer<TSchemaSubItem> FChildSubItem;
    TSDRelationOperator FJoinOperator = roEqual;
    TSDRelationJoin FJoinType = rjInner;
    QString FJoinCondition;
    TSDRelationType FRelationType = rtNormal;
    int FLnkX = 0;
    int FLnkY = 0;
    // The hit region: the band of the last shape, or the 15 x 15 square before any shape.
    // Kept as the band's corners; a QRegion is built only when asked for.
    std::array<QPoint, 4> FBand;
    bool FHasBand = false;
    std::unique_ptr<QMenu> FPopMenu;
    // The entries of the relation: the menu shows the first three (a separator after the
    // first); the fourth, the colour command, is not in the menu.
    std::array<QAction *, 4> FEntries {};
    bool FMouseDown = false;
    // Where and when (screen point, event time) a left press opened the menu: the second
    // press of a double-click reaches the menu, which then gives way to the properties dialog.
    bool FMenuOpenedByPress = false;
    QPoint FMenuPressAt;
    quint64 FMenuPressTime = 0;
    bool FSwallowMenuMouse = false; // the rest of that double-click's events
    bool FPaintedDown = false; // the pressed look of the last paint
    // PaintRects for the shape key (self-link, LnkX, LnkY, width, height) it was made for.
    QVector<QRect> FPaintRects;
    std::array<int, 5> FPaintRectsKey { -1, -1, -1, -1, -1 };
    TColor FColor = clBlack;
};

namespace {
// Reaches the relation's protected d-pointer from its private class.
struct RelationAccess : TSchemaRelation {
    static std::unique_ptr<TSchemaRelationPrivate> TSchemaRelation::*member()
    {
        return &RelationAccess::d;
    }
};
// The width of the stub that marks the end whose table an outer join keeps whole.
constexpr int KeptEndPenWidth = 3;

// A press on the line opens its menu at once, and the menu takes the mouse: the second press
// of a double-click on the line reaches the menu, at the corner it opened at. Such a press,
// within the double-click time and distance of the first, closes the menu and opens the
// properties dialog once the events of the click are done.
class MenuDoubleClickWatcher : public QObject {
public:
    explicit MenuDoubleClickWatcher(TSchemaRelation *relation)
        : QObject(relation)
        , m_relation(relation)
    {
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick
            && type != QEvent::MouseButtonRelease)
            return false;
        TSchemaRelationPrivate *d = TSchemaRelationPrivate::get(m_relation);
        if (d->FSwallowMenuMouse) {
            if (type == QEvent::MouseButtonRelease)
                d->FSwallowMenuMouse = false;
            return true;
        }
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (type == QEvent::MouseButtonRelease || !d->FMenuOpenedByPress
            || mouse->button() != Qt::LeftButton)
            return false;
        d->FMenuOpenedByPress = false;
        const QStyleHints *hints = QGuiApplication::styleHints();
        const bool soon = mouse->timestamp() >= d->FMenuPressTime
            && mouse->timestamp() - d->FMenuPressTime <= quint64(hints->mouseDoubleClickInterval());
        const bool near = (mouse->globalPosition().toPoint() - d->FMenuPressAt).manhattanLength()
            <= hints->mouseDoubleClickDistance();
        if (!soon || !near || !m_relation->CanShowPropertiesDialog())
            return false;
        auto *menu = qobject_cast<QMenu *>(watched);
        if (menu) {
            menu->setAttribute(Qt::WA_NoMouseReplay); // the press stays the menu's
            menu->hide();
        }
        d->FSwallowMenuMouse = true;
        QPointer<TSchemaRelation> relation(m_relation);
        QMetaObject::invokeMethod(
            m_relation,
            [relation] {
                if (relation)
                    Guarded([&] { relation->ShowPropertiesDialog(); });
            },
            Qt::QueuedConnection);
        return true;
    }

private:
    TSchemaRelation *m_relation;
};
} // namespace

TSchemaRelation::TSchemaRelation(QObject *AOwner)
    : TGraphicControl(AOwner)
    , d(std::make_unique<TSchemaRelationPrivate>())
{
    auto *area = qobject_cast<TSchemaDesignArea *>(AOwner);
    const TZkSActions actions = area ? area->Actions() : TZkSActions::All();
    SetBounds(Left(), Top(), 105, 105);

    // The entries exist from the start (owned by the relation, their commands find it as their
    // owner); the menu that shows them is built when it is first asked for.
    auto *name = new QAction(this);
    name->setObjectName(QStringLiteral("mnuRelationName"));
    name->setEnabled(false);

    auto *options = new QAction(LoadResString(_sEditRelation), this);
    options->setObjectName(QStringLiteral("mnuOptions"));
    options->setEnabled(actions.Contains(saEditRelation));
    connect(options, &QAction::triggered, this,
        [this, options] { Guarded([&] { EditRelation(options); }); });

    auto *remove = new QAction(LoadResString(_sDeleteRelation), this);
    remove->setObjectName(QStringLiteral("mnuDeleteRelation"));
    remove->setEnabled(actions.Contains(saDeleteReleation));
    connect(remove, &QAction::triggered, this, [this, remove] {
        Guarded([&] {
            if (TSchemaDesignArea *a = Area())
                a->DeleteRelation(remove);
        });
    });

    auto *color = new QAction(LoadResString(_sChangeBackground), this);
    color->setObjectName(QStringLiteral("mnuColorRelation"));
    connect(color, &QAction::triggered, this, [this, color] {
        Guarded([&] {
            if (TSchemaDesignArea *a = Area())
                a->ChangeBackground(color);
        });
    });
    d->FEntries = { name, options, remove, color };
}

QMenu *TSchemaRelation::PopMenu() const
{
    if (!d->FPopMenu) {
        d->FPopMenu = std::make_unique<QMenu>();
        d->FPopMenu->setObjectName(QStringLiteral("mnu"));
        d->FPopMenu->addAction(d->FEntries[0]);
        d->FPopMenu->addSeparator();
        d->FPopMenu->addAction(d->FEntries[1]);
        d->FPopMenu->addAction(d->FEntries[2]);
        // The colour entry stays the relation's (code may trigger it), but the menu leaves it
        // out: its caption speaks of a background, and on a relation it coloured the line.
        // The press that opened the menu never sees its release (the menu takes the mouse):
        // the pressed look ends with the menu.
        auto *self = const_cast<TSchemaRelation *>(this);
        connect(d->FPopMenu.get(), &QMenu::aboutToHide, self, [self] {
            self->d->FMouseDown = false;
            self->d->FMenuOpenedByPress = false;
            self->InvalidateIfChanged();
        });
        connect(d->FPopMenu.get(), &QMenu::aboutToShow, self,
            [self] { self->d->FSwallowMenuMouse = false; });
        d->FPopMenu->installEventFilter(new MenuDoubleClickWatcher(self));
    }
    return d->FPopMenu.get();
}

void TSchemaRelation::SetItemNames(const QString &parentCaption, const QString &childCaption)
{
    const QLatin1String separator(" :: ");
    const QString current = d->FEntries[0]->text();
    const QStringView text(current);
    if (text.size() == parentCaption.size() + separator.size() + childCaption.size()
        && text.startsWith(parentCaption) && text.endsWith(childCaption)
        && text.mid(parentCaption.size(), separator.size()) == separator)
        return; // the routing runs often; the caption seldom changes
    d->FEntries[0]->setText(parentCaption + separator + childCaption);
}

void TSchemaRelation::InvalidateIfChanged()
{
    if (d->FMouseDown != d->FPaintedDown)
        Invalidate();
    else
        InvalidateIfMoved();
}

TSchemaRelation::~TSchemaRelation()
{
    // Off the area while this is still a relation, so that the area drops it from its index.
    SetParent(nullptr);
}

TSchemaDesignArea *TSchemaRelation::Area() const
{
    return qobject_cast<TSchemaDesignArea *>(Parent());
}

TSchemaItem *TSchemaRelation::ParentItem() const
{
    return d->FParentItem;
}

TSchemaItem *TSchemaRelation::ChildItem() const
{
    return d->FChildItem;
}

TSchemaSubItem *TSchemaRelation::ParentSubItem() const
{
    return d->FParentSubItem;
}

void TSchemaRelation::SetParentSubItem(TSchemaSubItem *Value)
{
    d->FParentSubItem = Value;
}

TSchemaSubItem *TSchemaRelation::ChildSubItem() const
{
    return d->FChildSubItem;
}

void TSchemaRelation::SetChildSubItem(TSchemaSubItem *Value)
{
    d->FChildSubItem = Value;
}

TSDRelationOperator TSchemaRelation::JoinOperator() const
{
    return d->FJoinOperator;
}

void TSchemaRelation::SetJoinOperator(TSDRelationOperator Value)
{
    d->FJoinOperator = Value;
}

TSDRelationJoin TSchemaRelation::JoinType() const
{
    return d->FJoinType;
}

void TSchemaRelation::SetJoinType(TSDRelationJoin Value)
{
    if (d->FJoinType == Value)
        return;
    d->FJoinType = Value;
    Invalidate(); // the line marks the ends an outer join keeps
}

QString TSchemaRelation::JoinCondition() const
{
    return d->FJoinCondition;
}

void TSchemaRelation::SetJoinCondition(const QString &Value)
{
    d->FJoinCondition = Value;
}

TSDRelationType TSchemaRelation::RelationType() const
{
    return d->FRelationType;
}

TColor TSchemaRelation::Color() const
{
    return d->FColor;
}

int TSchemaRelation::LnkX() const
{
    return d->FLnkX;
}

void TSchemaRelation::SetLnkX(int Value)
{
    d->FLnkX = Value;
}

int TSchemaRelation::LnkY() const
{
    return d->FLnkY;
}

void TSchemaRelation::SetLnkY(int Value)
{
    d->FLnkY = Value;
}

bool TSchemaRelation::MouseIsDown() const
{
    return d->FMouseDown;
}

void TSchemaRelation::SetParentItem(TSchemaItem *Value)
{
    d->FParentItem = Value;
    if (TSchemaDesignArea *area = Area())
        TSchemaDesignAreaPrivate::get(area)->RelationEndsChanged(this);
}

void TSchemaRelation::SetChildItem(TSchemaItem *Value)
{
    d->FChildItem = Value;
    if (TSchemaDesignArea *area = Area())
        TSchemaDesignAreaPrivate::get(area)->RelationEndsChanged(this);
}

void TSchemaRelation::SetRelationType(TSDRelationType Value)
{
    if (d->FRelationType == Value)
        return;
    d->FRelationType = Value;
    Invalidate();
}

void TSchemaRelation::SetColor(TColor Value)
{
    if (d->FColor == Value)
        return;
    d->FColor = Value;
    d->FMouseDown = false;
    Invalidate();
}

TSchemaRelationPrivate *TSchemaRelationPrivate::get(TSchemaRelation *relation)
{
    return (relation->*RelationAccess::member()).get();
}

const TSchemaRelationPrivate *TSchemaRelationPrivate::get(const TSchemaRelation *relation)
{
    return (relation->*RelationAccess::member()).get();
}

bool TSchemaRelationPrivate::hitBand(std::array<QPoint, 4> &band, int width, int height)
{
    const bool self = FParentItem && FParentItem == FChildItem;
    const RelationShape shape = ComputeRelationShape(self, FLnkX, FLnkY, width, height);
    if (shape.valid) {
        FBand = shape.band;
        FHasBand = true;
    }
    band = FBand;
    return FHasBand;
}

QRegion TSchemaRelation::HitRegion() const
{
    std::array<QPoint, 4> band;
    if (!d->hitBand(band, Width(), Height()))
        return QRegion(0, 0, 15, 15);
    QPolygon polygon;
    for (const QPoint &p : band)
        polygon << p;
    return QRegion(polygon, Qt::OddEvenFill);
}

bool TSchemaRelation::HitTest(const QPoint &p) const
{
    if (!QRect(0, 0, Width(), Height()).adjusted(-6, -6, 6, 6).contains(p))
        return false; // the band never reaches further than 5 pixels beyond the box
    std::array<QPoint, 4> band;
    if (!d->hitBand(band, Width(), Height()))
        return p.x() >= 0 && p.y() >= 0 && p.x() < 15 && p.y() < 15;
    return PointInPolygon(band, p);
}

void TSchemaRelation::Paint(QPainter &painter)
{
    const bool self = d->FParentItem && d->FParentItem == d->FChildItem;
    const RelationShape shape = ComputeRelationShape(self, d->FLnkX, d->FLnkY, Width(), Height());
    if (!shape.valid)
        return;
    // The default black is the palette's text colour (black in a light palette), so that
    // lines show on a dark canvas; a picture of the diagram shows no pressed look.
    TSchemaDesignArea *area = Area();
    const QColor ink = d->FColor == clBlack && area
        ? area->palette().color(QPalette::Active, QPalette::Text)
        : ColorToQColor(d->FColor);
    const bool pressed = d->FMouseDown && !(area && area->IsDrawingCanvas());
    const QColor lineColor = pressed ? QColor(192, 192, 192) : ink;
    QPen pen(lineColor, 0, d->FRelationType == rtNonIdentifying ? Qt::DotLine : Qt::SolidLine);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(shape.line.data(), int(shape.line.size()));

    // An outer join marks the end of each table that keeps all its rows: that end's stub out
    // of its row is drawn heavy. Every shape begins at its upper end, the parent's unless the
    // child's row lies higher (LnkY 2).
    const bool keepsParent = d->FJoinType == rjLeftOuter || d->FJoinType == rjFull;
    const bool keepsChild = d->FJoinType == rjRightOuter || d->FJoinType == rjFull;
    const bool parentUpper = d->FLnkY != 2;
    const bool markUpper = parentUpper ? keepsParent : keepsChild;
    const bool markLower = parentUpper ? keepsChild : keepsParent;
    if (markUpper || markLower) {
        QPen heavy(lineColor, KeptEndPenWidth, Qt::SolidLine, Qt::FlatCap);
        painter.setPen(heavy);
        if (markUpper)
            painter.drawLine(shape.line[0], shape.line[1]);
        if (markLower)
            painter.drawLine(shape.line[2], shape.line[3]);
    }

    // The hollow marker takes the area's background, the filled one the line's colour.
    pen.setStyle(Qt::SolidLine);
    painter.setPen(pen);
    painter.setBrush(area ? area->CanvasColor() : QColor(Qt::white));
    painter.drawEllipse(QRect(shape.hollowMarker, QSize(6, 6)));
    painter.setBrush(ink);
    painter.drawEllipse(QRect(shape.filledMarker, QSize(6, 6)));
    d->FBand = shape.band;
    d->FHasBand = true;
    if (!(area && area->IsDrawingCanvas()))
        d->FPaintedDown = d->FMouseDown; // what the viewport shows
}

QVector<QRect> TSchemaRelation::PaintRects() const
{
    // Asked on every routing and repaint, mostly for a shape that did not change.
    const bool self = d->FParentItem && d->FParentItem == d->FChildItem;
    const std::array<int, 5> key { int(self), d->FLnkX, d->FLnkY, Width(), Height() };
    if (key != d->FPaintRectsKey) {
        d->FPaintRects = RelationPaintRects(
            ComputeRelationShape(self, d->FLnkX, d->FLnkY, Width(), Height()), Width(), Height());
        d->FPaintRectsKey = key;
    }
    return d->FPaintRects;
}

QString TSchemaRelation::JoinText() const
{
    // An item is named as statements name it: by its alias where it has one.
    const auto name = [](const TSchemaItem *item) {
        return !item ? QString() : item->Alias().isEmpty() ? item->GetCaption() : item->Alias();
    };
    const auto end = [&](const TSchemaItem *item, const TSchemaSubItem *row) {
        return name(item) + QLatin1Char('.') + (row ? row->Caption() : QString());
    };
    const QString parent = name(d->FParentItem);
    const QString child = name(d->FChildItem);
    QString kind;
    switch (d->FJoinType) {
    case rjLeftOuter:
        kind = QCoreApplication::translate(
            "Diduza::TSchemaRelation", "Left outer join: every row of %1")
                   .arg(parent);
        break;
    case rjRightOuter:
        kind = QCoreApplication::translate(
            "Diduza::TSchemaRelation", "Right outer join: every row of %1")
                   .arg(child);
        break;
    case rjFull:
        kind = QCoreApplication::translate(
            "Diduza::TSchemaRelation", "Full outer join: every row of %1 and of %2")
                   .arg(parent, child);
        break;
    case rjInner:
    default:
        kind = QCoreApplication::translate(
            "Diduza::TSchemaRelation", "Inner join: the rows that match");
        break;
    }
    return VisibleText(end(d->FParentItem, d->FParentSubItem)) + QLatin1Char(' ')
        + QLatin1String(RelationOperatorSql(d->FJoinOperator)) + QLatin1Char(' ')
        + VisibleText(end(d->FChildItem, d->FChildSubItem)) + QLatin1Char('\n') + VisibleText(kind);
}

QString TSchemaRelation::ToolTipAt(const QPoint &) const
{
    return JoinText();
}

void TSchemaRelation::MousePress(QMouseEvent *event, const QPoint &p)
{
    if ((event->button() == Qt::LeftButton || event->button() == Qt::RightButton) && HitTest(p)) {
        QPointer<TSchemaRelation> self(this);
        _Click(p.x(), p.y());
        if (!self)
            return;
        if (d->FPopMenu && d->FPopMenu->isVisible() && event->button() == Qt::LeftButton) {
            d->FMenuOpenedByPress = true;
            d->FMenuPressAt = event->globalPosition().toPoint();
            d->FMenuPressTime = event->timestamp();
        }
    }
    d->FMouseDown = true;
}

void TSchemaRelation::MouseDoubleClick(QMouseEvent *event, const QPoint &p)
{
    if (event->button() == Qt::LeftButton && HitTest(p) && ShowPropertiesDialog())
        return; // the menu the first press opened is closed
    MousePress(event, p);
}

bool TSchemaRelation::CanShowPropertiesDialog() const
{
    const TSchemaDesignArea *area = Area();
    return area && !area->ReadOnly() && d->FEntries[1]->isEnabled();
}

bool TSchemaRelation::ShowPropertiesDialog()
{
    if (!CanShowPropertiesDialog())
        return false;
    if (d->FPopMenu)
        d->FPopMenu->hide();
    EditRelation(d->FEntries[1]);
    return true;
}

void TSchemaRelation::MouseRelease(QMouseEvent *, const QPoint &)
{
    d->FMouseDown = false;
}

void TSchemaRelation::_Click(int X, int Y)
{
    TSchemaDesignArea *area = Area();
    if (!area || area->ReadOnly())
        return;
    PopMenu()->popup(ClientToScreen(QPoint(X, Y)));
}

TSchemaRelation *TSchemaRelation::ControlAtPos(const QPoint &point) const
{
    TScrollBox *box = Parent();
    if (!box)
        return nullptr;
    const QPoint screen = ClientToScreen(point);
    for (int i = box->ControlCount() - 1; i >= 0; --i) {
        auto *other = qobject_cast<TSchemaRelation *>(box->Controls(i));
        if (!other || other == this)
            continue;
        if (other->HitTest(other->ScreenToClient(screen)))
            return other;
    }
    return nullptr;
}

void TSchemaRelation::EditRelation(QObject *)
{
    TfrmZkRelation form(QApplication::activeWindow());
    form.txtTable1->setText(d->FParentItem ? d->FParentItem->GetCaption() : QString());
    form.txtCol1->setText(d->FParentSubItem ? d->FParentSubItem->Caption() : QString());
    form.txtTable2->setText(d->FChildItem ? d->FChildItem->GetCaption() : QString());
    form.txtCol2->setText(d->FChildSubItem ? d->FChildSubItem->Caption() : QString());
    form.rgJoinOperator->SetItemIndex(int(d->FJoinOperator));
    form.rgJoinType->SetItemIndex(int(d->FJoinType));
    // Two copies of one table are told apart by their titles.
    form.SetJoinTables(d->FParentItem ? d->FParentItem->TitleText() : QString(),
        d->FChildItem ? d->FChildItem->TitleText() : QString());
    // The kinds the statements' database cannot run (a full join on MySQL and MariaDB).
    if (TSchemaDesignArea *area = Area()) {
        if (const TSchemaDataEngine *engine = area->DataEngine()) {
            for (int join = rjInner; join <= rjFull; ++join)
                form.SetJoinAvailable(join, engine->JoinAvailable(TSDRelationJoin(join)));
        }
    }
    QPointer<TSchemaRelation> self(this);
    const int result = DialogService()->ExecuteModal(form);
    if (!self || result != QDialog::Accepted)
        return;
    const int op = form.rgJoinOperator->ItemIndex();
    const int join = form.rgJoinType->ItemIndex();
    const TSDRelationOperator beforeOperator = d->FJoinOperator;
    const TSDRelationJoin beforeJoin = d->FJoinType;
    if (op >= roEqual && op <= roNonEqual)
        d->FJoinOperator = TSDRelationOperator(op);
    if (join >= rjInner && join <= rjFull)
        SetJoinType(TSDRelationJoin(join));
    if (TSchemaDesignArea *area = Area()) {
        TSchemaUndoGroup step(
            area, QCoreApplication::translate("Diduza::TSchemaRelation", "Edit relation"));
        TSchemaDesignAreaPrivate::get(area)->undo.relationChanged(
            this, beforeOperator, beforeJoin, d->FRelationType);
    }
}

} // namespace Diduza
