#pragma once

#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diduzawidgets_export.h"
#include "platform/SchemaTypes.h"
#include "platform/TColor.h"
#include "platform/TGraphicControl.h"

#include <QPointer>
#include <QRegion>

#include <array>
#include <memory>

class QAction;
class QMenu;

namespace Diduza {

class TSchemaDesignArea;
class TSchemaItem;
class TSchemaSubItem;

// One link of the diagram: joins a row of a parent item to a row of a child item and carries
// the join's operator, kind and relation type. A window-less control on the design area whose
// box spans the gap between the two rows; it draws a four-point line with a marker near each
// end and reacts to the mouse only in a narrow band around the line's middle segment.
class DIDUZAWIDGETS_EXPORT TSchemaRelation : public TGraphicControl {
    Q_OBJECT
public:
    explicit TSchemaRelation(QObject *AOwner = nullptr);
    ~TSchemaRelation() override;

    TSchemaItem *ParentItem() const { return FParentItem; }
    void SetParentItem(TSchemaItem *value);
    TSchemaItem *ChildItem() const { return FChildItem; }
    void SetChildItem(TSchemaItem *value);
    TSchemaSubItem *ParentSubItem() const { return FParentSubItem; }
    void SetParentSubItem(TSchemaSubItem *value) { FParentSubItem = value; }
    TSchemaSubItem *ChildSubItem() const { return FChildSubItem; }
    void SetChildSubItem(TSchemaSubItem *value) { FChildSubItem = value; }
    TSDRelationOperator JoinOperator() const { return FJoinOperator; }
    void SetJoinOperator(TSDRelationOperator value) { FJoinOperator = value; }
    // The kind of join: rjLeftOuter keeps every row of the parent, rjRightOuter every row of
    // the child, rjFull the rows of both (in the dialects that write outer joins).
    TSDRelationJoin JoinType() const { return FJoinType; }
    void SetJoinType(TSDRelationJoin value) { FJoinType = value; }
    TSDRelationType RelationType() const { return FRelationType; }
    void SetRelationType(TSDRelationType value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    // The popup menu; built on first use from the entries, which exist from the start.
    QMenu *PopMenu() const;
    int LnkX() const { return FLnkX; }
    void SetLnkX(int value) { FLnkX = value; }
    int LnkY() const { return FLnkY; }
    void SetLnkY(int value) { FLnkY = value; }
    bool MouseIsDown() const { return FMouseDown; }

    // The hit region in client coordinates: the band around the middle segment once the line
    // has a shape, the 15 x 15 square at the top-left corner before.
    QRegion HitRegion() const;

    // Menu handler of "Edit relation...": the relation properties dialog.
    void EditRelation(QObject *Sender);
    // Pops the menu up at a client point, unless the design area is read-only.
    void _Click(int X, int Y);
    // Another relation whose band holds the client point, searched from the topmost.
    TSchemaRelation *ControlAtPos(const QPoint &point) const;
    // Sets the caption of the menu's first entry to "Parent :: Child" (the routing does).
    void SetItemNames(const QString &parentCaption, const QString &childCaption);
    // Repaints the line when its place or its pressed look changed since it was last drawn.
    void InvalidateIfChanged();

    TSchemaDesignArea *Area() const;

    void Paint(QPainter &painter) override;
    QVector<QRect> PaintRects() const override;
    bool HitTest(const QPoint &p) const override;
    void MousePress(QMouseEvent *event, const QPoint &p) override;
    void MouseRelease(QMouseEvent *event, const QPoint &p) override;

private:
    friend class TSchemaDesignArea;

    QPointer<TSchemaItem> FParentItem;
    QPointer<TSchemaItem> FChildItem;
    QPointer<TSchemaSubItem> FParentSubItem;
    QPointer<TSchemaSubItem> FChildSubItem;
    TSDRelationOperator FJoinOperator = roEqual;
    TSDRelationJoin FJoinType = rjInner;
    TSDRelationType FRelationType = rtNormal;
    int FLnkX = 0;
    int FLnkY = 0;
    // The hit region: the band of the last shape, or the 15 x 15 square before any shape.
    // Kept as the band's corners; a QRegion is built only when asked for.
    bool hitBand(std::array<QPoint, 4> &band) const;
    mutable std::array<QPoint, 4> FBand;
    mutable bool FHasBand = false;
    mutable std::unique_ptr<QMenu> FPopMenu;
    // The entries of the menu, in its order (separators between 1 and 2 and between 3 and 4).
    std::array<QAction *, 4> FEntries {};
    bool FMouseDown = false;
    bool FPaintedDown = false; // the pressed look of the last paint
    // PaintRects for the shape key (self-link, LnkX, LnkY, width, height) it was made for.
    mutable QVector<QRect> FPaintRects;
    mutable std::array<int, 5> FPaintRectsKey { -1, -1, -1, -1, -1 };
    TColor FColor = clBlack;
    // Kept by the design area that indexes the relation under its end items: when it was placed
    // there, and the items it is indexed under (never dereferenced).
    quint64 FPlacement = 0;
    const TSchemaItem *FIndexedParent = nullptr;
    const TSchemaItem *FIndexedChild = nullptr;
};

} // namespace Diduza
