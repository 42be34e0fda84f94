#pragma once

#include "diagram/items/TSchemaListBox.h"

namespace Diduza {

/// The inner list of a check-list item: each entry's check box mirrors its row's Checked.
class DIDUZAWIDGETS_EXPORT TSchemaCheckListBox : public TSchemaListBox {
    Q_OBJECT
public:
    /// An empty check list; a tick the user toggles on an entry with a row reaches ClickCheck.
    explicit TSchemaCheckListBox(QWidget *parent = nullptr);
    ~TSchemaCheckListBox() override;

    /// Whether entry index is ticked (false for an index outside the list).
    bool Checked(int index) const;
    /// Ticks or clears entry index without calling ClickCheck, and repaints the list.
    void SetChecked(int index, bool checked);

protected:
    /// The user toggled the check box of entry: the entry's row follows.
    virtual void ClickCheck(QListWidgetItem *entry);
};

} // namespace Diduza
