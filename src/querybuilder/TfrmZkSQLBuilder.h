#pragma once

#include "diagram/SchemaEvents.h"
#include "diduzawidgets_export.h"
#include "platform/TStringGrid.h"

#include <QDialog>
#include <QHash>
#include <QPointer>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSplitter;
class QTabWidget;

namespace Diduza {

class TImageList;
class TSchemaDataEngine;
class TSchemaDesignArea;
class TSchemaItem;
class TSchemaSubItem;
struct QueryInput;

// The window of the visual query builder: a design area on which the user places tables,
// ticks their fields and links them, and below it the pages of the statement's options.
//
// The column grid holds one column per ticked field. Its rows, by number: 0 the field (the
// row's reference, see SubItemReference), 1 the table caption, 2 the aggregate ("Count",
// "Summa", "Maximum", "Minimum", "Average"), 3 the sort ("Ascending", "Descending"), 4 the
// where condition, 5 the grouping tick ("1"), 6 the having condition, shown while some
// grouping tick was last committed ticked. Cells are edited through five editors laid over the
// selected cell.
class DIDUZAWIDGETS_EXPORT TfrmZkSQLBuilder : public QDialog {
    Q_OBJECT
public:
    explicit TfrmZkSQLBuilder(QWidget *AOwner = nullptr);
    ~TfrmZkSQLBuilder() override;

    // --- the form's controls ---
    TSchemaDesignArea *SchemaDesignArea = nullptr;
    QSplitter *SplitterGrid = nullptr;
    QTabWidget *pcSQL = nullptr;
    QWidget *tsColumns = nullptr;
    TStringGrid *sgColumnGrid = nullptr;
    QComboBox *cbTables = nullptr;
    QComboBox *cbSorting = nullptr;
    QComboBox *cbValues = nullptr;
    QCheckBox *cbGroupBy = nullptr;
    QWidget *tsOptions = nullptr;
    QCheckBox *cbDistinct = nullptr;
    QLineEdit *edWhere = nullptr;
    // Image 0 marks a table, image 1 a row.
    TImageList *imgSQL = nullptr;

    // --- statement ---
    // Fills the first occurrence of Macro in SQL (see querybuilder/SqlTemplate.h). Every
    // macro of GenerateSQL goes through here.
    virtual void ExpandSQL(QString &SQL, const QString &Macro, const QString &Value);
    void RemoveBlankLines(QString &SQL);
    // The SELECT statement of the diagram and the column grid (querybuilder/QueryGenerator.h).
    virtual QString GenerateSQL();
    // The text by which the statement names Item: the table-list entry (IsAlias false) or
    // the prefix of its columns (IsAlias true). OnGetTableName replaces it when set.
    QString GetTableName(TSchemaItem *Item, bool IsAlias);
    // The text by which the statement names the field of SubItem, without table prefix.
    QString GetFieldName(TSchemaSubItem *SubItem);

    // --- properties ---
    TSchemaDataEngine *DataEngine() const;
    void SetDataEngine(TSchemaDataEngine *Value);
    TGetSchemaItemEvent OnGetTableName() const { return FOnGetTableName; }
    void SetOnGetTableName(TGetSchemaItemEvent h) { FOnGetTableName = std::move(h); }
    TGetSchemaSubItemEvent OnGetFieldName() const { return FOnGetFieldName; }
    void SetOnGetFieldName(TGetSchemaSubItemEvent h) { FOnGetFieldName = std::move(h); }
    TSchemaItemEvent OnAddItem() const { return FOnAddItem; }
    void SetOnAddItem(TSchemaItemEvent h) { FOnAddItem = std::move(h); }
    TSchemaItemEvent OnDeleteItem() const { return FOnDeleteItem; }
    void SetOnDeleteItem(TSchemaItemEvent h) { FOnDeleteItem = std::move(h); }

    // --- the design area's events ---
    // Prepares every item the area adds: its rows report ticks to ItemCheckClick; unless a
    // schema file is being loaded it gets a "*" row and a row per field of the data engine.
    void SchemaDesignAreaAddItem(QObject *Sender, TSchemaItem *item);
    void SchemaDesignAreaAddSubItem(QObject *Sender, TSchemaSubItem *SubItem);
    // Tells OnDeleteItem, then (unless the form is being destroyed) removes the item's grid
    // columns and its entry of cbTables.
    void SchemaDesignAreaDeleteItem(QObject *Sender, TSchemaItem *item);

    // --- the column grid ---
    // Places the editor of a cell over it.
    void sgColumnGridSelectCell(QObject *Sender, int ACol, int ARow, bool &CanSelect);
    // Writes an editor's value into the cell it was placed over.
    void cbInplaceChange(QObject *Sender);
    void sgColumnGridDrawCell(QObject *Sender, int ACol, int ARow, const QRect &Rect,
        TGridDrawState State, QPainter &Canvas);
    // Paints a check box centred in Rect.
    void DrawCheckBox(QPainter &Canvas, const QRect &Rect, bool Ticked);
    void GetCheckBoxSize();
    // The OnSubItemCheck of every item: adds or removes the column of the row Sender.
    void ItemCheckClick(QObject *Sender);

    // The text that names a row of this form's diagram in grid row 0: a serial number given
    // the first time the row is asked for. Empty for a row that is not on this form's area.
    QString SubItemReference(TSchemaSubItem *SubItem);
    // The row a row-0 text names: nullptr for an empty text, a text that is not a number this
    // form gave, a row that has been destroyed or one that has left this form's area.
    TSchemaSubItem *ReferencedSubItem(const QString &Text) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

    // True while a schema file is being loaded: new items then get no rows from the form.
    bool FInternalUpdate = false;
    int FCheckWidth = 0;
    int FCheckHeight = 0;

private:
    void createControls();
    void formCreate();
    QueryInput queryInput(bool withColumns);
    // The visual position of the column whose row-0 cell names SubItem, searched from the
    // last column down to column 1; -1 when none does.
    int columnOf(const TSchemaSubItem *SubItem) const;
    // Clears the column and deletes it unless it is the only field column, then places the
    // editor of cell (1, 1) without moving the current cell.
    void removeColumn(int ACol);
    void hideEditors();

    QPointer<TSchemaDataEngine> FDataEngine;
    TGetSchemaItemEvent FOnGetTableName;
    TGetSchemaSubItemEvent FOnGetFieldName;
    TSchemaItemEvent FOnAddItem;
    TSchemaItemEvent FOnDeleteItem;
    bool FDestroying = false;

    // The cell the visible editor was placed over.
    int FEditCol = -1;
    int FEditRow = -1;

    // Row references: serial number to row. A serial is never given twice.
    QHash<int, QPointer<TSchemaSubItem>> FSubItemRefs;
    int FLastSubItemRef = 0;
};

} // namespace Diduza
