#pragma once

// The builder form's own state: its engine and events, its query blocks, and the collaborators
// that do the form's work: the column grid, the statement pages, the table panel and the
// import. Not installed.

#include "querybuilder/TfrmZkSQLBuilder.h"
#include "querybuilder/TfrmZkSQLBuilderGrid_p.h"
#include "querybuilder/TfrmZkSQLBuilderImport_p.h"
#include "querybuilder/TfrmZkSQLBuilderPages_p.h"
#include "querybuilder/TfrmZkSQLBuilderTables_p.h"

#include <QPointer>
#include <QString>
#include <QVector>

class QTimer;

namespace Diduza {

class TSchemaDataEngine;
class TSchemaDesignArea;
class TStringGrid;

// The layout's sizes.
constexpr int FormWidth = 654;
constexpr int FormHeight = 453;
constexpr int PagesHeight = 165;
constexpr int SplitterWidth = 3;
constexpr int ToolbarHeight = 31;
constexpr int ButtonTop = 3;
constexpr int SpeedButtonSize = 25;
constexpr int PushButtonWidth = 75;
constexpr int TablesWidth = 155;
constexpr int GrabberHeight = 10;
constexpr int TableEntryHeight = 19;

// The form's protected fields, which the collaborators keep as the form's own code did (a
// subclass may read and set them).
struct TfrmZkSQLBuilderFields : TfrmZkSQLBuilder {
    static bool &internalUpdate(TfrmZkSQLBuilder *form)
    {
        return form->*(&TfrmZkSQLBuilderFields::FInternalUpdate);
    }
    static int &checkWidth(TfrmZkSQLBuilder *form)
    {
        return form->*(&TfrmZkSQLBuilderFields::FCheckWidth);
    }
    static int &checkHeight(TfrmZkSQLBuilder *form)
    {
        return form->*(&TfrmZkSQLBuilderFields::FCheckHeight);
    }
};

class TfrmZkSQLBuilderPrivate {
public:
    explicit TfrmZkSQLBuilderPrivate(TfrmZkSQLBuilder *form)
        : q(form)
        , grid(form, this)
        , pages(form, this)
        , tables(form, this)
        , importer(form, this)
    {
    }

    // --- the form's controls (TfrmZkSQLBuilder.cpp) ---
    void createControls();
    void createToolbar();
    // The design area with the table panel beside it.
    void createDesignArea();
    // A block's design area, with the form's events.
    TSchemaDesignArea *newBlockArea();
    void createOptionsPage();
    void formCreate();
    // Shows the engine's dialect in cbDialect.
    void showDialect();
    // Shrinks the form to fit the available area of its screen, and moves it into it.
    void fitScreen();
    // On the first showing of a form still at its designed size: makes the pages tall enough
    // for every row of the grid (the having row too), the canvas keeping its designed height
    // where the screen has room.
    void fitGridOnOpening();
    // Gives each item whose caption another item shares the alias the statement names it by
    // (as its title shows), and the others none.
    void showAliases();

    // --- query blocks (TfrmZkSQLBuilderBlocks.cpp) ---
    // A SELECT of a compound statement: its diagram and grid, its DISTINCT and the operator
    // that joins it to the blocks before it (none for the first).
    struct Block {
        QPointer<TSchemaDesignArea> Area;
        QPointer<TStringGrid> Grid;
        bool Distinct = false;
        TSQLSetOperator Operator = soUnion;
    };
    QVector<Block> FBlocks;
    int FCurrentBlock = 0;
    // Makes a block the form's diagram and grid while it lives, without showing it.
    class BlockScope {
    public:
        BlockScope(TfrmZkSQLBuilderPrivate *d, int block);
        ~BlockScope();
        BlockScope(const BlockScope &) = delete;
        BlockScope &operator=(const BlockScope &) = delete;

    private:
        TfrmZkSQLBuilderPrivate *m_d;
        TSchemaDesignArea *m_area;
        TStringGrid *m_grid;
        bool m_distinct;
        bool m_switched;
    };
    // The statement of every block; names hooks and the refusal of unavailable joins and
    // invalid columns left out for Source (the text that tells the work apart).
    QueryCompound compound(bool source);
    void updateBlockBar();
    // The block bar above the diagram.
    void createBlockBar();
    // --- what the form's methods of the same names do ---
    int BlockCount() const;
    int CurrentBlock() const;
    void SetCurrentBlock(int Index);
    int AddBlock(TSQLSetOperator Operator);
    void RemoveBlock(int Index);
    void MoveBlock(int From, int To);
    TSQLSetOperator BlockOperator(int Index) const;
    void SetBlockOperator(int Index, TSQLSetOperator Value);

    TfrmZkSQLBuilder *const q;
    TfrmZkSQLBuilderGrid grid;
    TfrmZkSQLBuilderPages pages;
    TfrmZkSQLBuilderTables tables;
    TfrmZkSQLBuilderImport importer;

    QPointer<TSchemaDataEngine> FDataEngine;
    TDrawItemEvent FOnDrawTableItem;
    TGetSchemaItemEvent FOnGetTableName;
    TGetSchemaSubItemEvent FOnGetFieldName;
    TSchemaItemEvent FOnAddItem;
    TSchemaItemEvent FOnDeleteItem;
    bool FDestroying = false;
    // The diagram is being cleared as a whole (its columns go with it).
    bool FClearing = false;
    bool FExtendedGrid = false;
    bool FSQLEditable = false;
    bool FBackgroundExecution = false;
    int FRowLimit = 0;
    QTimer *FAliasTimer = nullptr; // shows the aliases of shared captions (showAliases)
    bool FJoinByKeys = false;
    qint64 FStatementLimit = -1;
    qint64 FStatementOffset = 0;
    // The form has been shown, or its size was given (RestoreState): it is sized no more.
    bool FSizeChosen = false;
    QString FCleanState;
    QString FFileFilter;
    QString FDefaultExt;
};

} // namespace Diduza
