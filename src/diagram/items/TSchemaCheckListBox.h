#pragma once

#include "diagram/items/TSchemaListBox.h"

namespace Diduza {

// The inner list of a check-list item: each entry's check box mirrors its row's Checked.
class DIDUZAWIDGETS_EXPORT TSchemaCheckListBox : public TSchemaListBox {
    Q_OBJECT
public:
    explicit TSchemaCheckListBox(QWidget *parent = nullptr);
    ~TSchemaCheckListBox() override;

    bool Checked(int index) const;
    void SetChecked(int index, bool checked);

protected:
    // The user toggled the check box of entry: the entry's row follows.
    virtual void ClickCheck(QListWidgetItem *entry);
};

} // namespace Diduza
