#pragma once

#include "diduzawidgets_export.h"

#include <QGroupBox>
#include <QStringList>

#include <memory>

class QAbstractButton;

namespace Diduza {

class TRadioGroupPrivate;

/// A group box of radio buttons laid out in columns, with one selected index.
class DIDUZAWIDGETS_EXPORT TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    /// An empty group in one column, with no entry selected.
    explicit TRadioGroup(QWidget *parent = nullptr);
    ~TRadioGroup() override; ///< Deletes the buttons with the group.

    /// Replaces the buttons by one per text, filled column by column; the selected index is kept
    /// when the new list still has it, otherwise nothing is selected.
    void SetItems(const QStringList &Value);
    /// The buttons' texts (see SetItems).
    QStringList Items() const;
    /// The number of columns (see SetColumns).
    int Columns() const;
    /// Lays the buttons out in Value columns (at least one); keeps the selection.
    void SetColumns(int Value);
    /// The selected entry, -1 when none.
    int ItemIndex() const;
    /// Selects entry Value; an index outside the list clears the selection.
    void SetItemIndex(int Value);
    /// The button of entry index (owned by the group), or nullptr when there is none. It is
    /// replaced by the next SetItems or SetColumns.
    QAbstractButton *Button(int index) const;

private:
    /// The private state.
    std::unique_ptr<TRadioGroupPrivate> d;
};

} // namespace Diduza
