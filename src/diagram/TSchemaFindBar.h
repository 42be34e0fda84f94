#pragma once

#include "diduzawidgets_export.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QLineEdit;

namespace Diduza {

class TSchemaDesignArea;
class TSchemaFindBarPrivate;
class TSchemaItem;
class TSchemaSubItem;

/// The find bar of a design area: the user types part of a table or field name and every item
/// that matches (by its caption or one of its rows) is ringed as they type; Enter and
/// Shift+Enter step through the matches, each scrolled into view with its row selected; Escape
/// closes the bar and takes the rings away. The area opens it with its find action (Ctrl+F).
class DIDUZAWIDGETS_EXPORT TSchemaFindBar : public QWidget {
    Q_OBJECT
public:
    /// One match: an item by its caption (Row null), or one of its rows.
    struct Match {
        /// The matching item, or the item of the matching row.
        QPointer<TSchemaItem> Item;
        /// The matching row, or null when the item's caption matched.
        QPointer<TSchemaSubItem> Row;
    };

    /// The bar of parent, the area it searches: it lies over the top-right corner of the area's
    /// viewport and starts hidden.
    explicit TSchemaFindBar(TSchemaDesignArea *parent);
    ~TSchemaFindBar() override;

    /// The line the user types the text to find into.
    QLineEdit *Edit() const;
    /// Shows the bar with its text selected and the focus in it, and looks for the text again
    /// when there is any.
    void Open();
    /// Hides the bar, forgets the matches, takes the rings away and gives the area the focus.
    void Close();
    /// Looks for Text (ignoring case) as typing it does: rings the matching items and makes the
    /// first match current, or shows "no match".
    void Find(const QString &Text);
    /// Makes the next match current, wrapping round; nothing without matches.
    void Next();
    /// Makes the previous match current, wrapping round; nothing without matches.
    void Previous();

    /// The number of matches of the last search (an item counts once more for each matching
    /// row).
    int MatchCount() const;
    /// The current match's position among the matches; -1 without matches.
    int CurrentIndex() const;
    /// The current match; one of null item and row without matches.
    Match Current() const;

protected:
    /// Keeps the bar in the viewport's corner as the area resizes; in the line, Enter and
    /// Shift+Enter step to the next and the previous match and Escape closes the bar.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::unique_ptr<TSchemaFindBarPrivate> d; ///< The private state.
};

} // namespace Diduza
