#pragma once

// The builder form's table panel: the list of the engine's tables with its schema filter and
// grabber, and what a table dragged or double-clicked onto the diagram becomes there. Not
// installed.

#include "diagram/SchemaEvents.h"
#include "platform/TPaintBox.h"

#include <Qt>

class QObject;
class QPainter;
class QRect;
class QString;

namespace Diduza {

class TfrmZkSQLBuilder;
class TfrmZkSQLBuilderPrivate;
class TSchemaItem;
class TSchemaSubItem;

class TfrmZkSQLBuilderTables {
public:
    TfrmZkSQLBuilderTables(TfrmZkSQLBuilder *form, TfrmZkSQLBuilderPrivate *dd)
        : q(form)
        , d(dd)
    {
    }
    TfrmZkSQLBuilderTables(const TfrmZkSQLBuilderTables &) = delete;
    TfrmZkSQLBuilderTables &operator=(const TfrmZkSQLBuilderTables &) = delete;

    // The panel beside the design area: the grabber, the schema filter and the list.
    void createTablePanel();
    // Fills the table list with the engine's tables, sorted as the list sorts, and the schema
    // filter with their schemas (empty without an engine).
    void fillTableList();
    // Fills cbSchemas with the schemas of the table list's entries (shown when there are
    // several), all of them chosen.
    void fillSchemaFilter();
    // Shows the table list's entries of the schema chosen in cbSchemas.
    void filterTables();
    // Reads the catalogue of Table and of the tables on the area that the area's catalogue
    // does not know yet, when the form joins by the keys or the area shows them.
    void readKeys(const QString &Table);

    // --- what the form's methods of the same names do ---
    void btnShowTablesClick(QObject *);
    void pbTableGrabberPaint(QObject *, QPainter &Canvas);
    void pbTableGrabberMouseUp(QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int X, int);
    void lbTablesDrawItem(
        QObject *Control, int Index, const QRect &Rect, TOwnerDrawState State, QPainter &Canvas);
    void lbTablesDblClick(QObject *);
    void SchemaDesignAreaDragOver(QObject *, QObject *Source, int, int, TDragState, bool &Accept);
    void SchemaDesignAreaDragDrop(QObject *Sender, QObject *Source, int X, int Y);
    void SchemaDesignAreaAddItem(QObject *, TSchemaItem *item);
    void SchemaDesignAreaAddSubItem(QObject *, TSchemaSubItem *SubItem);
    void SchemaDesignAreaDeleteItem(QObject *, TSchemaItem *item);

    TfrmZkSQLBuilder *const q;
    TfrmZkSQLBuilderPrivate *const d;

    // The widest entry of the list, plus its margin (TablesHorizontalExtent).
    int FTablesExtent = 0;
};

} // namespace Diduza
