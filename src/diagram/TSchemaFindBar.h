#pragma once

// The find bar of a design area: the user types part of a table or field name and every item
// that matches (by its caption or one of its rows) is ringed as they type; Enter and
// Shift+Enter step through the matches, each scrolled into view with its row selected; Escape
// closes the bar and takes the rings away. The area opens it with its find action (Ctrl+F).

#include "diduzawidgets_export.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QLabel;
class QLineEdit;

namespace Diduza {

class TSchemaDesignArea;
class TSchemaFindBarPrivate;
class TSchemaItem;
class TSchemaSubItem;

class DIDUZAWIDGETS_EXPORT TSchemaFindBar : public QWidget {
    Q_OBJECT
public:
    // One match: an item by its caption (Row null), or one of its rows.
    struct Match {
        QPointer<TSchemaItem> Item;
        QPointer<TSchemaSubItem> Row;
    };

    // The bar lies over the top-right corner of Area's viewport; it starts hidden.
    explicit TSchemaFindBar(TSchemaDesignArea *Area);
    ~TSchemaFindBar() override;

    QLineEdit *Edit() const;
    // Shows the bar with its text selected and the focus in it.
    void Open();
    // Hides the bar and takes the rings away.
    void Close();
    // Looks for Text (ignoring case) as typing it does; the first match becomes current.
    void Find(const QString &Text);
    // The next or the previous match, wrapping round; nothing without matches.
    void Next();
    void Previous();

    int MatchCount() const;
    // The current match's position among the matches; -1 without matches.
    int CurrentIndex() const;
    Match Current() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showMatch(int index);
    void place();
    void setRings(bool on);

    std::unique_ptr<TSchemaFindBarPrivate> d;
};

} // namespace Diduza
