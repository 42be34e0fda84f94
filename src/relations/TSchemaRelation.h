#pragma once

#include "diduzawidgets_export.h"
#include "platform/SchemaTypes.h"
#include "platform/TColor.h"
#include "platform/TGraphicControl.h"

#include <QRegion>

#include <memory>

class QMenu;

namespace Diduza {

class TSchemaDesignArea;
class TSchemaItem;
class TSchemaRelationPrivate;
class TSchemaSubItem;

/// One link of the diagram: joins a row of a parent item to a row of a child item and carries
/// the join's operator, kind and relation type. A window-less control on the design area whose
/// box spans the gap between the two rows; it draws a four-point line with a marker near each
/// end and reacts to the mouse only in a narrow band around the line's middle segment.
class DIDUZAWIDGETS_EXPORT TSchemaRelation : public TGraphicControl {
    Q_OBJECT
public:
    /// A relation owned by AOwner (the design area), with no ends yet.
    explicit TSchemaRelation(QObject *AOwner = nullptr);
    ~TSchemaRelation() override;

    /// The item of the parent end.
    TSchemaItem *ParentItem() const;
    /// Sets ParentItem (the design area keeps each item's relations).
    void SetParentItem(TSchemaItem *Value);
    /// The item of the child end.
    TSchemaItem *ChildItem() const;
    /// Sets ChildItem.
    void SetChildItem(TSchemaItem *Value);
    /// The row of the parent end.
    TSchemaSubItem *ParentSubItem() const;
    /// Sets ParentSubItem.
    void SetParentSubItem(TSchemaSubItem *Value);
    /// The row of the child end.
    TSchemaSubItem *ChildSubItem() const;
    /// Sets ChildSubItem.
    void SetChildSubItem(TSchemaSubItem *Value);
    /// The comparison of the join ("=", "<", ...).
    TSDRelationOperator JoinOperator() const;
    /// Sets JoinOperator.
    void SetJoinOperator(TSDRelationOperator Value);
    /// The kind of join: rjLeftOuter keeps every row of the parent, rjRightOuter every row of
    /// the child, rjFull the rows of both (in the dialects that write outer joins). The line
    /// draws the stub at each end whose table is kept whole heavy.
    TSDRelationJoin JoinType() const;
    /// Sets JoinType and repaints the line when it changes.
    void SetJoinType(TSDRelationJoin Value);
    /// Further conditions of the join as SQL text, AND-ed to the comparison of the two rows
    /// (in the join-tree dialect inside the join's ON); empty for a plain join. The query
    /// builder's extended grid and the full import set it; schema files keep it.
    QString JoinCondition() const;
    /// Sets JoinCondition.
    void SetJoinCondition(const QString &Value);
    /// The kind of relation, which decides the line style.
    TSDRelationType RelationType() const;
    /// Sets RelationType.
    void SetRelationType(TSDRelationType Value);
    /// The colour of the line.
    TColor Color() const;
    /// Sets Color.
    void SetColor(TColor Value);
    /// The relation's popup menu, built on first use from the entries, which exist from the
    /// start.
    QMenu *PopMenu() const;
    /// How the line runs horizontally between the two items (routing code).
    int LnkX() const;
    /// Sets LnkX.
    void SetLnkX(int Value);
    /// How the line runs vertically between the two rows (routing code).
    int LnkY() const;
    /// Sets LnkY.
    void SetLnkY(int Value);
    /// True while a button is pressed on the relation (drawn silver); a press that opened the
    /// menu counts until the menu closes.
    bool MouseIsDown() const;

    /// The hit region in client coordinates: the band around the middle segment once the line
    /// has a shape, the 15 x 15 square at the top-left corner before.
    QRegion HitRegion() const;

    /// Menu handler of "Edit relation...": the relation properties dialog.
    void EditRelation(QObject *Sender);
    /// Opens the relation properties dialog as the menu's "Edit relation..." does, where the
    /// menu would offer it: on a design area that is not read-only and whose Actions held
    /// saEditRelation when the relation was made. A double-click on the line opens it, and so
    /// may a key. Closes the menu first; returns whether the dialog opened.
    bool ShowPropertiesDialog();
    /// Whether ShowPropertiesDialog would open the dialog now.
    bool CanShowPropertiesDialog() const;
    /// Pops the menu up at a client point, unless the design area is read-only.
    void _Click(int X, int Y);
    /// Another relation whose band holds the client point, searched from the topmost.
    TSchemaRelation *ControlAtPos(const QPoint &point) const;
    /// Sets the caption of the menu's first entry to "Parent :: Child" (the routing does).
    void SetItemNames(const QString &parentCaption, const QString &childCaption);
    /// Repaints the line when its place or its pressed look changed since it was last drawn.
    void InvalidateIfChanged();

    /// The design area that owns the relation, or nullptr.
    TSchemaDesignArea *Area() const;

    /// The join the relation stands for, as its line's tool tip shows it: the condition
    /// ("customer.id = orders.customer_id", by the items' captions and the rows' captions) and,
    /// on a second line, the kind of join and which rows it keeps.
    QString JoinText() const;
    /// The tool tip of the line: JoinText.
    QString ToolTipAt(const QPoint &p) const override;

    /// Draws the line and its end markers.
    void Paint(QPainter &painter) override;
    /// The rectangles the line and its markers are drawn in.
    QVector<QRect> PaintRects() const override;
    /// True when the client point p lies in the hit region.
    bool HitTest(const QPoint &p) const override;
    /// Pops the menu up on a right or left press.
    void MousePress(QMouseEvent *event, const QPoint &p) override;
    /// Ends a press.
    void MouseRelease(QMouseEvent *event, const QPoint &p) override;
    /// A left double-click in the band opens the properties dialog (ShowPropertiesDialog);
    /// where that is not offered, it is a press.
    void MouseDoubleClick(QMouseEvent *event, const QPoint &p) override;

protected:
    /// The relation's own state.
    std::unique_ptr<TSchemaRelationPrivate> d;
};

} // namespace Diduza
