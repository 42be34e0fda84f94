#pragma once

#include "diduzawidgets_export.h"

#include <QObject>
#include <QPointer>
#include <QVariant>

namespace Diduza {

class TSchemaItem;

/// One row of an item (for a table: one field). The owning item is its QObject parent, so rows
/// are destroyed with their item.
class DIDUZAWIDGETS_EXPORT TSchemaSubItem : public QObject {
    Q_OBJECT
public:
    /// The owner must be a TSchemaItem or nullptr; any other owner raises EInvalidCast.
    explicit TSchemaSubItem(QObject *AOwner = nullptr);
    ~TSchemaSubItem() override;

    /// The item the row belongs to.
    TSchemaItem *ItemOwner() const;

    /// The row's text; a field name in a query.
    const QString &Caption() const { return FCaption; }
    /// Sets Caption.
    void SetCaption(const QString &Value) { FCaption = Value; }

    /// True when the row is ticked.
    bool Checked() const { return FChecked; }
    /// Ticks or unticks the row: mirrors the tick into a check-list entry and raises the
    /// item's OnSubItemCheck with the row as sender. An unchanged value does nothing, and so
    /// does unticking a row that the item's Select All, while it runs, keeps ticked.
    void SetChecked(bool Value);

    /// The position the inner control gave the row when it was added; not renumbered later.
    int Index() const { return FIndex; }
    /// Sets Index.
    void SetIndex(int Value) { FIndex = Value; }

    /// The row's picture in the area's Images.
    int ImageIndex() const { return FImageIndex; }
    /// The row's picture while selected.
    int SelectedIndex() const { return FSelectedIndex; }
    /// The picture drawn over the row's picture.
    int OverlayIndex() const { return FOverlayIndex; }
    /// The row's picture in the area's StateImages.
    int StateIndex() const { return FStateIndex; }
    /// Index 0, 1, 2, 3 selects ImageIndex, SelectedIndex, OverlayIndex, StateIndex.
    void SetImageIndex(int Index, int Value);
    /// Sets ImageIndex.
    void SetImageIndex(int Value) { SetImageIndex(0, Value); }
    /// Sets SelectedIndex.
    void SetSelectedIndex(int Value) { SetImageIndex(1, Value); }
    /// Sets OverlayIndex.
    void SetOverlayIndex(int Value) { SetImageIndex(2, Value); }
    /// Sets StateIndex.
    void SetStateIndex(int Value) { SetImageIndex(3, Value); }

    /// The row takes part in a relation (written by TSchemaItem::SelectItemBold).
    bool Linked() const { return FLinked; }
    /// Sets Linked.
    void SetLinked(bool Value) { FLinked = Value; }

    /// Application data; never freed by the components.
    const QVariant &Data() const { return FData; }
    /// Sets Data.
    void SetData(const QVariant &Value) { FData = Value; }

protected:
    /// Where the item last found the row in its list: tried first, so that finding a row's
    /// position (twice per relation end on every routing) seldom walks the list.
    int FPositionHint = -1;

private:
    QPointer<TSchemaItem> FItemOwner; ///< See ItemOwner.
    QString FCaption; ///< See Caption.
    bool FChecked = false; ///< See Checked.
    int FIndex = 0; ///< See Index.
    int FImageIndex = -1; ///< See ImageIndex.
    int FSelectedIndex = -1; ///< See SelectedIndex.
    int FOverlayIndex = -1; ///< See OverlayIndex.
    int FStateIndex = -1; ///< See StateIndex.
    bool FLinked = false; ///< See Linked.
    QVariant FData; ///< See Data.
};

} // namespace Diduza
