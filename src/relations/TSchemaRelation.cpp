#include "relations/TSchemaRelation.h"

#include "diagram/model/RelationRouting.h"
#include "diagram/SchemaUndo_p.h"
#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaDesignArea_p.h"
#include "engines/SqlDialect.h"
#include "engines/TSchemaDataEngine.h"
#include "platform/Application.h"
#include "platform/ColorConvert.h"
#include "platform/DialogService.h"
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
#include <QPolygon>

namespace Diduza {

TSchemaRelation::TSchemaRelation(QObject *AOwner)
    : TGraphicControl(AOwner)
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
    FEntries = { name, options, remove, color };
}

QMenu *TSchemaRelation::PopMenu() const
{
    if (!FPopMenu) {
        FPopMenu = std::make_unique<QMenu>();
        FPopMenu->setObjectName(QStringLiteral("mnu"));
        FPopMenu->addAction(FEntries[0]);
        FPopMenu->addSeparator();
        FPopMenu->addAction(FEntries[1]);
        FPopMenu->addAction(FEntries[2]);
        FPopMenu->addSeparator();
        FPopMenu->addAction(FEntries[3]);
        // The press that opened the menu never sees its release (the menu takes the mouse):
        // the pressed look ends with the menu.
        auto *self = const_cast<TSchemaRelation *>(this);
        connect(FPopMenu.get(), &QMenu::aboutToHide, self, [self] {
            self->FMouseDown = false;
            self->InvalidateIfChanged();
        });
    }
    return FPopMenu.get();
}

void TSchemaRelation::SetItemNames(const QString &parentCaption, const QString &childCaption)
{
    const QLatin1String separator(" :: ");
    const QString current = FEntries[0]->text();
    const QStringView text(current);
    if (text.size() == parentCaption.size() + separator.size() + childCaption.size()
        && text.startsWith(parentCaption) && text.endsWith(childCaption)
        && text.mid(parentCaption.size(), separator.size()) == separator)
        return; // the routing runs often; the caption seldom changes
    FEntries[0]->setText(parentCaption + separator + childCaption);
}

void TSchemaRelation::InvalidateIfChanged()
{
    if (FMouseDown != FPaintedDown)
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

void TSchemaRelation::SetParentItem(TSchemaItem *value)
{
    FParentItem = value;
    if (TSchemaDesignArea *area = Area())
        TSchemaDesignAreaPrivate::get(area)->RelationEndsChanged(this);
}

void TSchemaRelation::SetChildItem(TSchemaItem *value)
{
    FChildItem = value;
    if (TSchemaDesignArea *area = Area())
        TSchemaDesignAreaPrivate::get(area)->RelationEndsChanged(this);
}

void TSchemaRelation::SetRelationType(TSDRelationType value)
{
    if (FRelationType == value)
        return;
    FRelationType = value;
    Invalidate();
}

void TSchemaRelation::SetColor(TColor Value)
{
    if (FColor == Value)
        return;
    FColor = Value;
    FMouseDown = false;
    Invalidate();
}

bool TSchemaRelation::hitBand(std::array<QPoint, 4> &band) const
{
    const bool self = FParentItem && FParentItem == FChildItem;
    const RelationShape shape = ComputeRelationShape(self, FLnkX, FLnkY, Width(), Height());
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
    if (!hitBand(band))
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
    if (!hitBand(band))
        return p.x() >= 0 && p.y() >= 0 && p.x() < 15 && p.y() < 15;
    return PointInPolygon(band, p);
}

void TSchemaRelation::Paint(QPainter &painter)
{
    const bool self = FParentItem && FParentItem == FChildItem;
    const RelationShape shape = ComputeRelationShape(self, FLnkX, FLnkY, Width(), Height());
    if (!shape.valid)
        return;
    // The default black is the palette's text colour (black in a light palette), so that
    // lines show on a dark canvas; a picture of the diagram shows no pressed look.
    TSchemaDesignArea *area = Area();
    const QColor ink = FColor == clBlack && area
        ? area->palette().color(QPalette::Active, QPalette::Text)
        : ColorToQColor(FColor);
    const bool pressed = FMouseDown && !(area && area->IsDrawingCanvas());
    const QColor lineColor = pressed ? QColor(192, 192, 192) : ink;
    QPen pen(lineColor, 0, FRelationType == rtNonIdentifying ? Qt::DotLine : Qt::SolidLine);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(shape.line.data(), int(shape.line.size()));

    // The hollow marker takes the area's background, the filled one the line's colour.
    pen.setStyle(Qt::SolidLine);
    painter.setPen(pen);
    painter.setBrush(area ? area->CanvasColor() : QColor(Qt::white));
    painter.drawEllipse(QRect(shape.hollowMarker, QSize(6, 6)));
    painter.setBrush(ink);
    painter.drawEllipse(QRect(shape.filledMarker, QSize(6, 6)));
    FBand = shape.band;
    FHasBand = true;
    if (!(area && area->IsDrawingCanvas()))
        FPaintedDown = FMouseDown; // what the viewport shows
}

QVector<QRect> TSchemaRelation::PaintRects() const
{
    // Asked on every routing and repaint, mostly for a shape that did not change.
    const bool self = FParentItem && FParentItem == FChildItem;
    const std::array<int, 5> key { int(self), FLnkX, FLnkY, Width(), Height() };
    if (key != FPaintRectsKey) {
        FPaintRects = RelationPaintRects(
            ComputeRelationShape(self, FLnkX, FLnkY, Width(), Height()), Width(), Height());
        FPaintRectsKey = key;
    }
    return FPaintRects;
}

QString TSchemaRelation::JoinText() const
{
    const auto end = [](const TSchemaItem *item, const TSchemaSubItem *row) {
        return (item ? item->GetCaption() : QString()) + QLatin1Char('.')
            + (row ? row->Caption() : QString());
    };
    const QString parent = FParentItem ? FParentItem->GetCaption() : QString();
    const QString child = FChildItem ? FChildItem->GetCaption() : QString();
    QString kind;
    switch (FJoinType) {
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
    return VisibleText(end(FParentItem, FParentSubItem)) + QLatin1Char(' ')
        + JoinOperatorText(FJoinOperator) + QLatin1Char(' ')
        + VisibleText(end(FChildItem, FChildSubItem)) + QLatin1Char('\n') + VisibleText(kind);
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
    }
    FMouseDown = true;
}

void TSchemaRelation::MouseRelease(QMouseEvent *, const QPoint &)
{
    FMouseDown = false;
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
    form.txtTable1->setText(FParentItem ? FParentItem->GetCaption() : QString());
    form.txtCol1->setText(FParentSubItem ? FParentSubItem->Caption() : QString());
    form.txtTable2->setText(FChildItem ? FChildItem->GetCaption() : QString());
    form.txtCol2->setText(FChildSubItem ? FChildSubItem->Caption() : QString());
    form.rgJoinOperator->SetItemIndex(int(FJoinOperator));
    form.rgJoinType->SetItemIndex(int(FJoinType));
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
    const TSDRelationOperator beforeOperator = FJoinOperator;
    const TSDRelationJoin beforeJoin = FJoinType;
    if (op >= roEqual && op <= roNonEqual)
        FJoinOperator = TSDRelationOperator(op);
    if (join >= rjInner && join <= rjFull)
        FJoinType = TSDRelationJoin(join);
    if (TSchemaDesignArea *area = Area()) {
        SchemaUndoGroup step(
            area, QCoreApplication::translate("Diduza::TSchemaRelation", "Edit relation"));
        if (QUndoCommand *parent = step.Parent())
            SchemaUndo::RelationChanged(parent, area, RelationPosition(area, this), beforeOperator,
                beforeJoin, FRelationType, this);
    }
}

} // namespace Diduza
