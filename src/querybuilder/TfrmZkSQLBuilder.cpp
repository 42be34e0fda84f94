#include "querybuilder/TfrmZkSQLBuilder.h"

#include "diagram/SchemaUndo_p.h"
#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "engines/SqlDialect.h"
#include "engines/TSchemaDataEngine.h"
#include "engines/TSchemaQueryRun.h"
#include "engines/TSchemaRunModel.h"
#include "platform/Application.h"
#include "platform/ColorConvert.h"
#include "platform/CompareText.h"
#include "platform/DialogService.h"
#include "platform/DrawingSuspension.h"
#include "platform/Exceptions.h"
#include "platform/ResourceStrings.h"
#include "platform/TImageList.h"
#include "platform/TStringList.h"
#include "platform/VisibleText.h"
#include "querybuilder/QueryGenerator.h"
#include "querybuilder/QueryImport.h"
#include "querybuilder/SqlHighlighter_p.h"
#include "querybuilder/SqlTemplate.h"
#include "relations/TSchemaRelation.h"
#include "resources/Glyphs.h"
#include "sqlparser/SelectImport.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QDataStream>
#include <QDateTime>
#include <QEventLoop>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextCursor>
#include <QTextOption>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QUndoCommand>
#include <QVBoxLayout>

namespace Diduza {

namespace {

// Grid rows.
constexpr int RowField = 0;
constexpr int RowTable = 1;
constexpr int RowCalculate = 2;
constexpr int RowSort = 3;
constexpr int RowWhere = 4;
constexpr int RowGrouping = 5;
constexpr int RowHaving = 6;
// The rows of the extended grid.
constexpr int RowShow = 7;
constexpr int RowAlias = 8;
constexpr int RowSortOrder = 9;
constexpr int LastGridRow = RowSortOrder;

const QString AllFields = QStringLiteral("*");
// Row 0 of a column that counts the rows (COUNT(*)) in the extended grid: not a number, so it
// names no row of the diagram.
const QString AllRowsCell = QStringLiteral("COUNT(*)");

// Shows or hides the having row: the designed grid has 6 or 7 rows; the extended one keeps
// its rows below and hides the having row instead.
void showHavingRow(TfrmZkSQLBuilder *form, bool shown)
{
    TStringGrid *grid = form->sgColumnGrid;
    if (form->ExtendedGrid()) {
        grid->SetRowCount(LastGridRow + 1);
        grid->setRowHidden(RowHaving, !shown);
    } else {
        grid->SetRowCount(shown ? RowHaving + 1 : RowHaving);
    }
}

bool anyGrouped(const TStringGrid *grid)
{
    for (int col = 1; col < grid->ColCount(); ++col) {
        if (grid->Cells(col, RowGrouping) == QLatin1String("1"))
            return true;
    }
    return false;
}

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
// Tables dropped by a double-click on the list land here.
constexpr int DoubleClickDropX = 10;
constexpr int DoubleClickDropY = 10;

std::optional<QueryTable> tableOf(TSchemaDesignArea *area, TSchemaItem *item)
{
    if (!item)
        return std::nullopt;
    return QueryTable { item->Caption(), area ? area->GetItemIndex(item) : -1, item };
}

// The row that stands for all of an item's fields: its first row named "*" (the one the form
// gives each item first, or the file's), as against a real column named "*" after it.
bool isAllFieldsRow(const TSchemaSubItem *row)
{
    const TSchemaItem *item = row ? row->ItemOwner() : nullptr;
    return item && row->Caption() == AllFields && item->GetSubItemByName(AllFields) == row;
}

std::optional<QueryField> fieldOf(TSchemaSubItem *row)
{
    if (!row)
        return std::nullopt;
    return QueryField { row->Caption(), row, isAllFieldsRow(row) };
}

// A cell's text on one line, cut with an ellipsis when it is wider than the cell (the whole
// text is the cell's tool tip; only its visible part is measured); trailing blanks count in
// right alignment.
void drawCellText(QPainter &canvas, const QRect &rect, const QString &text, Qt::Alignment align)
{
    const QString shown
        = canvas.fontMetrics().elidedText(VisibleText(text), Qt::ElideRight, rect.width());
    QTextOption option(align | Qt::AlignTop);
    option.setWrapMode(QTextOption::NoWrap);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    canvas.drawText(QRectF(rect), shown, option);
}

// The nearest logical coordinate from v (v itself, then one either way, then two...) that lies
// on a whole device pixel, given where its coordinates start in the window.
int onDevicePixel(int v, int origin, qreal ratio)
{
    for (const int d : { 0, 1, -1, 2, -2, 3, -3 }) {
        const qreal device = (v + d + origin) * ratio;
        if (qAbs(device - qRound(device)) < 1e-6)
            return v + d;
    }
    return v;
}

// Where the check box of a grouping cell stands: centred in the cell's drawing rectangle R (in
// coordinates that start at origin in the window) and on whole device pixels, so that at a
// fractional scale (1.5) its frame is as even as at 1.
QRect checkBoxGlyph(const QRect &R, const QSize &glyph, const QPoint &origin, qreal ratio)
{
    const int left = onDevicePixel(R.left() + (R.width() - glyph.width()) / 2, origin.x(), ratio);
    const int top = onDevicePixel(R.top() + (R.height() - glyph.height()) / 2, origin.y(), ratio);
    return QRect(
        left, top, onDevicePixel(glyph.width(), 0, ratio), onDevicePixel(glyph.height(), 0, ratio));
}

// The drawing rectangle of a cell: less 2 pixels left and top, 1 right.
QRect drawingRect(const QRect &cell)
{
    return QRect(cell.left() + 2, cell.top() + 2, cell.width() - 3, cell.height() - 2);
}

} // namespace

// A grid cell's value set back and forth.
class GridCellCommand : public QUndoCommand {
public:
    GridCellCommand(TfrmZkSQLBuilder *form, QUndoCommand *parent, int col, int row,
        const QString &before, const QString &after)
        : QUndoCommand(parent)
        , m_form(form)
        , m_col(col)
        , m_row(row)
        , m_before(before)
        , m_after(after)
    {
    }
    void undo() override { apply(m_before); }
    void redo() override { apply(m_after); }

private:
    void apply(const QString &value)
    {
        if (!m_form)
            return;
        TStringGrid *grid = m_form->sgColumnGrid;
        grid->SetCells(m_col, m_row, value);
        if (m_row == RowGrouping)
            showHavingRow(m_form, anyGrouped(grid));
    }
    QPointer<TfrmZkSQLBuilder> m_form;
    int m_col, m_row;
    QString m_before, m_after;
};

// A field column removed with its row's untick: undo puts it back at its place with its cells
// (before the row is ticked again, which then finds its column), redo removes it if the untick
// has not.
class GridColumnCommand : public QUndoCommand {
public:
    GridColumnCommand(TfrmZkSQLBuilder *form, QUndoCommand *parent, int col, int item, int row,
        const QStringList &cells)
        : QUndoCommand(parent)
        , m_form(form)
        , m_col(col)
        , m_item(item)
        , m_row(row)
        , m_cells(cells)
    {
    }
    void undo() override
    {
        TSchemaSubItem *row = subItem();
        if (!row)
            return;
        TStringGrid *grid = m_form->sgColumnGrid;
        int col = -1;
        for (int c = 1; c < grid->ColCount() && col < 0; ++c) {
            if (m_form->ReferencedSubItem(grid->Cells(c, RowField)) == row)
                col = c;
        }
        if (col < 0) {
            col = grid->ColCount() - 1;
            if (!grid->Cells(col, RowField).isEmpty()) {
                grid->SetColCount(grid->ColCount() + 1);
                col = grid->ColCount() - 1;
            }
        }
        grid->SetCells(col, RowField, m_form->SubItemReference(row));
        for (int r = RowTable; r <= LastGridRow && r < m_cells.size(); ++r)
            grid->SetCells(col, r, m_cells.at(r));
        if (col != m_col && m_col < grid->ColCount())
            grid->MoveColumn(col, m_col);
    }
    void redo() override
    {
        TSchemaSubItem *row = subItem();
        TStringGrid *grid = m_form ? m_form->sgColumnGrid : nullptr;
        for (int c = 1; row && grid && c < grid->ColCount(); ++c) {
            if (m_form->ReferencedSubItem(grid->Cells(c, RowField)) == row) {
                grid->ClearColumn(c);
                if (!(c == 1 && c == grid->ColCount() - 1))
                    grid->DeleteColumn(c);
                return;
            }
        }
    }

private:
    TSchemaSubItem *subItem() const
    {
        TSchemaItem *item = m_form ? m_form->SchemaDesignArea->GetItem(m_item) : nullptr;
        return item ? item->GetSubItem(m_row) : nullptr;
    }
    QPointer<TfrmZkSQLBuilder> m_form;
    int m_col, m_item, m_row;
    QStringList m_cells;
};

// A column the user dragged elsewhere.
class GridMoveCommand : public QUndoCommand {
public:
    GridMoveCommand(TfrmZkSQLBuilder *form, QUndoCommand *parent, int from, int to)
        : QUndoCommand(parent)
        , m_form(form)
        , m_from(from)
        , m_to(to)
    {
    }
    void undo() override
    {
        if (m_form)
            m_form->sgColumnGrid->MoveColumn(m_to, m_from);
    }
    void redo() override
    {
        if (m_form)
            m_form->sgColumnGrid->MoveColumn(m_from, m_to);
    }

private:
    QPointer<TfrmZkSQLBuilder> m_form;
    int m_from, m_to;
};

// Paints the entries of the table list through the form, at the list's fixed entry height and
// the width of the widest name (which sets the list's horizontal scroll extent).
class TableListDelegate : public QStyledItemDelegate {
public:
    TableListDelegate(TfrmZkSQLBuilder *form, QObject *parent)
        : QStyledItemDelegate(parent)
        , m_form(form)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override
    {
        TOwnerDrawState state;
        if (option.state & QStyle::State_Selected)
            state |= odSelected;
        if (option.state & QStyle::State_HasFocus)
            state |= odFocused;
        if (!(option.state & QStyle::State_Enabled))
            state |= odDisabled;
        painter->save();
        Guarded([&] {
            m_form->lbTablesDrawItem(m_form->lbTables, index.row(), option.rect, state, *painter);
        });
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        return QSize(m_form->TablesHorizontalExtent(), TableEntryHeight);
    }

private:
    TfrmZkSQLBuilder *m_form;
};

TfrmZkSQLBuilder::TfrmZkSQLBuilder(QWidget *AOwner)
    : QDialog(AOwner)
{
    createControls();
    formCreate();
    FCleanState = workState();
}

TfrmZkSQLBuilder::~TfrmZkSQLBuilder()
{
    // The items go first, while the form's events still exist; each raises OnDeleteItem.
    FDestroying = true;
    edWhere->removeEventFilter(this);
    cbGroupBy->removeEventFilter(this);
    Guarded([this] { delete SchemaDesignArea; });
    SchemaDesignArea = nullptr;
}

void TfrmZkSQLBuilder::createControls()
{
    setObjectName(QStringLiteral("frmZkSQLBuilder"));
    setWindowTitle(QCoreApplication::translate(
        "Diduza::TfrmZkSQLBuilder", "Tarvelon Software: Diduza REVIzirovi"));
    QFont formFont(QStringLiteral("MS Sans Serif"));
    formFont.setPixelSize(11);
    setFont(formFont);
    resize(FormWidth, FormHeight);
    setWindowIcon(QIcon(QPixmap::fromImage(
        RenderGlyph(QStringLiteral(":/diduza/builder/FORM_ICON.svg"), QSize(32, 32)))));

    imgSQL = new TImageList(16, 16, this);
    imgSQL->setObjectName(QStringLiteral("imgSQL"));
    for (const char *glyph : { ":/diduza/builder/TABLE.svg", ":/diduza/builder/FIELD.svg" })
        imgSQL->Add(QPixmap::fromImage(RenderGlyph(QLatin1String(glyph), QSize(16, 16))));

    // Tool bar on top; below it the pages span the whole width, and between them stand the
    // design area and, on the right, the table panel.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    createToolbar();
    layout->addWidget(pnlToolbar);

    SplitterGrid = new QSplitter(Qt::Vertical, this);
    SplitterGrid->setObjectName(QStringLiteral("SplitterGrid"));
    SplitterGrid->setHandleWidth(SplitterWidth);
    SplitterGrid->setChildrenCollapsible(false);
    layout->addWidget(SplitterGrid, 1);
    // What an import could not carry, on one line below the rest (the whole text as tip).
    lblImportNotes = new QLabel(this);
    lblImportNotes->setObjectName(QStringLiteral("lblImportNotes"));
    lblImportNotes->setContentsMargins(6, 2, 6, 2);
    lblImportNotes->setTextFormat(Qt::PlainText);
    lblImportNotes->hide();
    layout->addWidget(lblImportNotes);

    SplitterTables = new QSplitter(Qt::Horizontal, SplitterGrid);
    SplitterTables->setObjectName(QStringLiteral("SplitterTables"));
    SplitterTables->setHandleWidth(SplitterWidth);
    SplitterTables->setChildrenCollapsible(false);

    SchemaDesignArea = new TSchemaDesignArea(SplitterTables);
    SchemaDesignArea->SetColor(clWhite);
    SchemaDesignArea->SetImages(imgSQL);
    SchemaDesignArea->SetReadOnly(false);
    SchemaDesignArea->SetOnAddItem(
        [this](QObject *Sender, TSchemaItem *item) { SchemaDesignAreaAddItem(Sender, item); });
    SchemaDesignArea->SetOnAddSubItem([this](QObject *Sender, TSchemaSubItem *SubItem) {
        SchemaDesignAreaAddSubItem(Sender, SubItem);
    });
    SchemaDesignArea->SetOnDeleteItem(
        [this](QObject *Sender, TSchemaItem *item) { SchemaDesignAreaDeleteItem(Sender, item); });
    SchemaDesignArea->SetOnDragOver(
        [this](QObject *Sender, QObject *Source, int X, int Y, TDragState State, bool &Accept) {
            SchemaDesignAreaDragOver(Sender, Source, X, Y, State, Accept);
        });
    SchemaDesignArea->SetOnDragDrop([this](QObject *Sender, QObject *Source, int X, int Y) {
        SchemaDesignAreaDragDrop(Sender, Source, X, Y);
    });
    // Undo and redo (Ctrl+Z, Ctrl+Y or Ctrl+Shift+Z) and find (Ctrl+F) on the area.
    SchemaDesignArea->UndoAction();
    SchemaDesignArea->RedoAction();
    SchemaDesignArea->FindAction();
    createTablePanel();
    SplitterTables->addWidget(SchemaDesignArea);
    SplitterTables->addWidget(pnlTables);
    SplitterTables->setStretchFactor(0, 1);
    SplitterTables->setStretchFactor(1, 0);
    SplitterTables->setSizes({ FormWidth - TablesWidth - SplitterWidth, TablesWidth });

    pcSQL = new QTabWidget(SplitterGrid);
    pcSQL->setObjectName(QStringLiteral("pcSQL"));
    pcSQL->setTabPosition(QTabWidget::South);
    pcSQL->tabBar()->setAttribute(Qt::WA_Hover); // hot tracking
    SplitterGrid->addWidget(SplitterTables);
    SplitterGrid->addWidget(pcSQL);
    SplitterGrid->setStretchFactor(0, 1);
    SplitterGrid->setStretchFactor(1, 0);
    SplitterGrid->setSizes(
        { FormHeight - ToolbarHeight - PagesHeight - SplitterWidth, PagesHeight });

    tsColumns = new QWidget;
    tsColumns->setObjectName(QStringLiteral("tsColumns"));
    pcSQL->addTab(tsColumns, QString());
    sgColumnGrid = new TStringGrid(tsColumns);
    sgColumnGrid->setObjectName(QStringLiteral("sgColumnGrid"));
    auto *columnsLayout = new QVBoxLayout(tsColumns);
    columnsLayout->setContentsMargins(0, 0, 0, 0);
    columnsLayout->addWidget(sgColumnGrid);
    sgColumnGrid->SetColCount(2);
    sgColumnGrid->SetRowCount(6);
    sgColumnGrid->SetFixedCols(1);
    sgColumnGrid->SetFixedRows(1);
    sgColumnGrid->SetDefaultColWidth(100);
    sgColumnGrid->SetDefaultRowHeight(19);
    sgColumnGrid->SetColumnsMovable(true);
    sgColumnGrid->SetColumnsSizable(true);
    sgColumnGrid->SetOnSelectCell([this](QObject *Sender, int ACol, int ARow, bool &CanSelect) {
        sgColumnGridSelectCell(Sender, ACol, ARow, CanSelect);
    });
    sgColumnGrid->viewport()->installEventFilter(this); // tool tips of cut cells
    connect(sgColumnGrid->viewport(), &QWidget::customContextMenuRequested, this,
        [this](const QPoint &at) { Guarded([&] { gridContextMenu(at); }); });
    sgColumnGrid->SetOnColumnMoved([this](QObject *, int FromIndex, int ToIndex) {
        SchemaUndoGroup step(SchemaDesignArea, tr("Move column"));
        if (QUndoCommand *parent = step.Parent())
            new GridMoveCommand(this, parent, FromIndex, ToIndex);
    });
    sgColumnGrid->SetOnDrawCell(
        [this](QObject *Sender, int ACol, int ARow, const QRect &Rect, TGridDrawState State,
            QPainter &Canvas) { sgColumnGridDrawCell(Sender, ACol, ARow, Rect, State, Canvas); });

    // The in-place editors, above the grid.
    auto makeList = [this](const char *name) {
        auto *list = new QComboBox(tsColumns);
        list->setObjectName(QLatin1String(name));
        list->setEditable(false);
        list->hide();
        connect(list, &QComboBox::activated, this,
            [this, list] { Guarded([&] { cbInplaceChange(list); }); });
        return list;
    };
    cbTables = makeList("cbTables");
    cbSorting = makeList("cbSorting");
    cbValues = makeList("cbValues");
    cbGroupBy = new QCheckBox(tsColumns);
    cbGroupBy->setObjectName(QStringLiteral("cbGroupBy"));
    cbGroupBy->setAutoFillBackground(true);
    QPalette facePalette = cbGroupBy->palette();
    facePalette.setColor(QPalette::Window, ColorToQColor(clBtnFace, facePalette));
    cbGroupBy->setPalette(facePalette);
    cbGroupBy->hide();
    cbGroupBy->installEventFilter(this);
    edWhere = new QLineEdit(tsColumns);
    edWhere->setObjectName(QStringLiteral("edWhere"));
    edWhere->hide();

    edWhere->installEventFilter(this);

    tsOptions = new QWidget;
    tsOptions->setObjectName(QStringLiteral("tsOptions"));
    pcSQL->addTab(tsOptions, QString());
    cbDistinct = new QCheckBox(tsOptions);
    cbDistinct->setObjectName(QStringLiteral("cbDistinct"));
    cbDistinct->setGeometry(8, 8, 329, 17);
    cbDistinct->setChecked(false);
    lblDialect = new QLabel(tsOptions);
    lblDialect->setObjectName(QStringLiteral("lblDialect"));
    cbDialect = new QComboBox(tsOptions);
    cbDialect->setObjectName(QStringLiteral("cbDialect"));
    lblDialect->setBuddy(cbDialect);
    lblDialect->move(8, 36);
    connect(cbDialect, &QComboBox::activated, this, [this] {
        Guarded([&] {
            if (TSchemaDataEngine *engine = FDataEngine)
                engine->SetSQLSubType(TSQLSubType(cbDialect->currentData().toInt()));
        });
    });

    createStatementPages();
    pcSQL->setCurrentWidget(tsColumns);
    connect(
        pcSQL, &QTabWidget::currentChanged, this, [this] { Guarded([&] { pcSQLChange(pcSQL); }); });
}

void TfrmZkSQLBuilder::createToolbar()
{
    pnlToolbar = new QWidget(this);
    pnlToolbar->setObjectName(QStringLiteral("pnlToolbar"));
    pnlToolbar->setFixedHeight(ToolbarHeight);
    pnlToolbar->installEventFilter(this);

    auto glyph = [](const char *name) {
        return QPixmap::fromImage(RenderGlyph(
            QStringLiteral(":/diduza/builder/%1.svg").arg(QLatin1String(name)), QSize(16, 16)));
    };
    auto makeButton = [&](const char *name, const char *glyphName, int left, bool toggle,
                          void (TfrmZkSQLBuilder::*handler)(QObject *)) {
        auto *button = new QToolButton(pnlToolbar);
        button->setObjectName(QLatin1String(name));
        button->setAutoRaise(true); // flat
        button->setIconSize(QSize(16, 16));
        button->setIcon(QIcon(glyph(glyphName)));
        button->setGeometry(left, ButtonTop, SpeedButtonSize, SpeedButtonSize);
        button->setFocusPolicy(Qt::NoFocus);
        if (toggle) {
            button->setCheckable(true);
            button->setChecked(true);
        }
        connect(button, &QToolButton::clicked, this,
            [this, button, handler] { Guarded([&] { (this->*handler)(button); }); });
        return button;
    };
    btnNew = makeButton("btnNew", "NEW", 8, false, &TfrmZkSQLBuilder::btnNewClick);
    btnOpen = makeButton("btnOpen", "OPEN", 33, false, &TfrmZkSQLBuilder::btnOpenClick);
    btnSave = makeButton("btnSave", "SAVE", 58, false, &TfrmZkSQLBuilder::btnSaveClick);
    // The second glyph is the one shown while the button is disabled.
    QIcon saveIcon(glyph("SAVE"));
    saveIcon.addPixmap(glyph("SAVE_DISABLED"), QIcon::Disabled);
    btnSave->setIcon(saveIcon);
    btnShowGrid
        = makeButton("btnShowGrid", "SHOWGRID", 96, true, &TfrmZkSQLBuilder::btnShowGridClick);
    btnShowTables = makeButton(
        "btnShowTables", "SHOWTABLES", 121, true, &TfrmZkSQLBuilder::btnShowTablesClick);
    btnGenSQL = makeButton("btnGenSQL", "GENSQL", 158, false, &TfrmZkSQLBuilder::btnGenSQLClick);
    btnExecSQL
        = makeButton("btnExecSQL", "EXECSQL", 183, false, &TfrmZkSQLBuilder::btnExecSQLClick);

    auto makePush = [&](const char *name, void (TfrmZkSQLBuilder::*handler)(QObject *)) {
        auto *button = new QPushButton(pnlToolbar);
        button->setObjectName(QLatin1String(name));
        button->setAutoDefault(false);
        button->resize(PushButtonWidth, SpeedButtonSize);
        button->move(0, ButtonTop);
        connect(button, &QPushButton::clicked, this,
            [this, button, handler] { Guarded([&] { (this->*handler)(button); }); });
        return button;
    };
    btnOK = makePush("btnOK", &TfrmZkSQLBuilder::btnOKClick);
    btnCancel = makePush("btnCancel", &TfrmZkSQLBuilder::btnCancelClick);
}

void TfrmZkSQLBuilder::createTablePanel()
{
    pnlTables = new QWidget(SplitterTables);
    pnlTables->setObjectName(QStringLiteral("pnlTables"));
    pnlTables->resize(TablesWidth, 220);
    auto *column = new QVBoxLayout(pnlTables);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    pbTableGrabber = new TPaintBox(pnlTables);
    pbTableGrabber->setObjectName(QStringLiteral("pbTableGrabber"));
    pbTableGrabber->setFixedHeight(GrabberHeight);
    pbTableGrabber->SetOnPaint(
        [this](QObject *Sender, QPainter &Canvas) { pbTableGrabberPaint(Sender, Canvas); });
    pbTableGrabber->SetOnMouseUp(
        [this](QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
            pbTableGrabberMouseUp(Sender, Button, Shift, X, Y);
        });
    column->addWidget(pbTableGrabber);

    lbTables = new QListWidget(pnlTables);
    lbTables->setObjectName(QStringLiteral("lbTables"));
    lbTables->setUniformItemSizes(true);
    lbTables->setSelectionMode(QAbstractItemView::SingleSelection);
    lbTables->setDragEnabled(true); // a drag starts from any entry
    lbTables->setDragDropMode(QAbstractItemView::DragOnly);
    lbTables->setDefaultDropAction(Qt::CopyAction);
    lbTables->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    lbTables->setItemDelegate(new TableListDelegate(this, lbTables));
    connect(lbTables, &QListWidget::itemDoubleClicked, this,
        [this] { Guarded([&] { lbTablesDblClick(lbTables); }); });
    column->addWidget(lbTables, 1);
}

void TfrmZkSQLBuilder::createStatementPages()
{
    tsSQL = new QWidget;
    tsSQL->setObjectName(QStringLiteral("tsSQL"));
    pcSQL->addTab(tsSQL, QString());
    SQLMemo = new QPlainTextEdit(tsSQL);
    SQLMemo->setObjectName(QStringLiteral("SQLMemo"));
    SQLMemo->setReadOnly(true);
    SQLMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    SQLMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SQLMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    lblSQLNotes = new QLabel(tsSQL);
    lblSQLNotes->setObjectName(QStringLiteral("lblSQLNotes"));
    lblSQLNotes->setWordWrap(true);
    lblSQLNotes->setContentsMargins(6, 2, 6, 2);
    lblSQLNotes->hide();
    auto *sqlLayout = new QVBoxLayout(tsSQL);
    sqlLayout->setContentsMargins(0, 0, 0, 0);
    sqlLayout->setSpacing(0);
    sqlLayout->addWidget(lblSQLNotes);
    sqlLayout->addWidget(SQLMemo, 1);

    tsResults = new QWidget;
    tsResults->setObjectName(QStringLiteral("tsResults"));
    pcSQL->addTab(tsResults, QString());
    lblResultError = new QLabel(tsResults);
    lblResultError->setObjectName(QStringLiteral("lblResultError"));
    lblResultError->setWordWrap(true);
    lblResultError->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblResultError->setContentsMargins(6, 4, 6, 4);
    lblResultError->hide();
    DBGrid1 = new QTableView(tsResults);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->verticalHeader()->setDefaultSectionSize(19);
    auto *resultsLayout = new QVBoxLayout(tsResults);
    resultsLayout->setContentsMargins(0, 0, 0, 0);
    resultsLayout->setSpacing(0);
    resultsLayout->addWidget(lblResultError);
    resultsLayout->addWidget(DBGrid1, 1);
    createQueryTools();
}

void TfrmZkSQLBuilder::createQueryTools()
{
    // The SQL page's bar: the parse error, Apply, Run.
    pnlSQLTools = new QWidget(tsSQL);
    pnlSQLTools->setObjectName(QStringLiteral("pnlSQLTools"));
    auto *sqlBar = new QHBoxLayout(pnlSQLTools);
    sqlBar->setContentsMargins(4, 2, 4, 2);
    lblSQLError = new QLabel(pnlSQLTools);
    lblSQLError->setObjectName(QStringLiteral("lblSQLError"));
    lblSQLError->setTextFormat(Qt::PlainText);
    btnApplySQL = new QPushButton(tr("&Apply to diagram"), pnlSQLTools);
    btnApplySQL->setObjectName(QStringLiteral("btnApplySQL"));
    btnApplySQL->setAutoDefault(false);
    btnRunSQL = new QPushButton(tr("&Run"), pnlSQLTools);
    btnRunSQL->setObjectName(QStringLiteral("btnRunSQL"));
    btnRunSQL->setAutoDefault(false);
    btnRunSQL->setToolTip(tr("Runs the text as written (F5, Ctrl+Enter)"));
    sqlBar->addWidget(lblSQLError, 1);
    sqlBar->addWidget(btnApplySQL);
    sqlBar->addWidget(btnRunSQL);
    pnlSQLTools->hide();
    static_cast<QVBoxLayout *>(tsSQL->layout())->insertWidget(1, pnlSQLTools);
    connect(btnApplySQL, &QPushButton::clicked, this,
        [this] { Guarded([&] { ApplySQLToDiagram(); }); });
    connect(btnRunSQL, &QPushButton::clicked, this, [this] { Guarded([&] { RunSQLText(); }); });
    FCheckTimer = new QTimer(this);
    FCheckTimer->setSingleShot(true);
    FCheckTimer->setInterval(400);
    connect(FCheckTimer, &QTimer::timeout, this, [this] { Guarded([&] { CheckSQLText(); }); });
    connect(
        SQLMemo, &QPlainTextEdit::textChanged, this, [this] { Guarded([&] { sqlTextEdited(); }); });

    // The results page's bar: busy, status, row limit, Cancel, CSV.
    pnlResultTools = new QWidget(tsResults);
    pnlResultTools->setObjectName(QStringLiteral("pnlResultTools"));
    auto *bar = new QHBoxLayout(pnlResultTools);
    bar->setContentsMargins(4, 2, 4, 2);
    pbRunning = new QProgressBar(pnlResultTools);
    pbRunning->setObjectName(QStringLiteral("pbRunning"));
    pbRunning->setRange(0, 0); // busy, without an end to show
    pbRunning->setMaximumWidth(80);
    pbRunning->setTextVisible(false);
    pbRunning->hide();
    lblResultIcon = new QLabel(pnlResultTools);
    lblResultIcon->setObjectName(QStringLiteral("lblResultIcon"));
    lblResultIcon->hide();
    lblResultStatus = new QLabel(pnlResultTools);
    lblResultStatus->setObjectName(QStringLiteral("lblResultStatus"));
    lblResultStatus->setTextFormat(Qt::PlainText);
    auto *limitLabel = new QLabel(tr("Row &limit:"), pnlResultTools);
    seRowLimit = new QSpinBox(pnlResultTools);
    seRowLimit->setObjectName(QStringLiteral("seRowLimit"));
    seRowLimit->setRange(0, 100000000);
    seRowLimit->setSpecialValueText(tr("none"));
    limitLabel->setBuddy(seRowLimit);
    connect(seRowLimit, &QSpinBox::valueChanged, this, [this](int v) { FRowLimit = v; });
    btnCancelRun = new QPushButton(tr("&Cancel"), pnlResultTools);
    btnCancelRun->setObjectName(QStringLiteral("btnCancelRun"));
    btnCancelRun->setAutoDefault(false);
    btnCancelRun->setEnabled(false);
    btnSaveCsv = new QPushButton(tr("Save as CS&V..."), pnlResultTools);
    btnSaveCsv->setObjectName(QStringLiteral("btnSaveCsv"));
    btnSaveCsv->setAutoDefault(false);
    bar->addWidget(pbRunning);
    bar->addWidget(lblResultIcon);
    bar->addWidget(lblResultStatus, 1);
    bar->addWidget(limitLabel);
    bar->addWidget(seRowLimit);
    bar->addWidget(btnCancelRun);
    bar->addWidget(btnSaveCsv);
    pnlResultTools->hide();
    static_cast<QVBoxLayout *>(tsResults->layout())->insertWidget(0, pnlResultTools);
    connect(btnCancelRun, &QPushButton::clicked, this, [this] { Guarded([&] { CancelRun(); }); });
    connect(btnSaveCsv, &QPushButton::clicked, this, [this] {
        Guarded([&] {
            QString name;
            if (!DialogService()->ExecuteSaveDialog(this,
                    tr("CSV files (*.csv)|*.csv|All files (*.*)|*.*"), QStringLiteral("csv"), name))
                return;
            QString error;
            if (!SaveResultsCsv(name, &error))
                DialogService()->ShowError(this, error);
        });
    });

    // Copying cells, and the run keys.
    auto *copy = new QAction(tr("&Copy"), DBGrid1);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    DBGrid1->addAction(copy);
    DBGrid1->setContextMenuPolicy(Qt::ActionsContextMenu);
    DBGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(copy, &QAction::triggered, this,
        [this] { Guarded([&] { QGuiApplication::clipboard()->setText(SelectedCellsText()); }); });
    for (const QKeySequence &keys : { QKeySequence(Qt::Key_F5),
             QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter) }) {
        auto *run = new QShortcut(keys, this);
        connect(run, &QShortcut::activated, this, [this] {
            if (!FBackgroundExecution && !FSQLEditable)
                return;
            Guarded([&] {
                if (FSQLEditable && pcSQL->currentWidget() == tsSQL)
                    RunSQLText();
                else
                    btnExecSQLClick(btnExecSQL);
            });
        });
    }
}

void TfrmZkSQLBuilder::formCreate()
{
    GetCheckBoxSize();
    pcSQL->setTabText(pcSQL->indexOf(tsColumns), LoadResString(_strColumnPage));
    pcSQL->setTabText(pcSQL->indexOf(tsOptions), LoadResString(_strOptionsPage));
    pcSQL->setTabText(pcSQL->indexOf(tsSQL), LoadResString(_strSQLPage));
    pcSQL->setTabText(pcSQL->indexOf(tsResults), LoadResString(_strResultPage));
    cbDistinct->setText(LoadResString(_smsUniqueOnly));
    btnOK->setText(LoadResString(_sOK));
    btnCancel->setText(LoadResString(_sCancel));
    btnNew->setToolTip(LoadResString(_sNewSQL));
    btnOpen->setToolTip(LoadResString(_sOpenSQL));
    btnSave->setToolTip(LoadResString(_sSaveSQL));
    btnShowGrid->setToolTip(LoadResString(_sShowGrid));
    btnShowTables->setToolTip(LoadResString(_sShowTables));
    btnGenSQL->setToolTip(LoadResString(_sGenSQL));
    btnExecSQL->setToolTip(LoadResString(_sExecSQl));
    pnlToolbarResize(pnlToolbar);

    // The title of the having row is written while the row exists; the row then stays
    // hidden, with its texts, until a grouping tick is committed.
    const TResString titles[] = { _strFieldName, _strTableName, _strValueName, _strSortName,
        _strWhereName, _strGroupName, _strHavingName };
    const int rows = sgColumnGrid->RowCount();
    sgColumnGrid->SetRowCount(RowHaving + 1);
    for (int row = RowField; row <= RowHaving; ++row)
        sgColumnGrid->SetCells(0, row, LoadResString(titles[row]));
    sgColumnGrid->SetRowCount(rows);

    cbSorting->addItems({ QString(), LoadResString(_strSortASC), LoadResString(_strSortDESC) });
    cbValues->addItems({ QString(), LoadResString(_strValueCOUNT), LoadResString(_strValueSUM),
        LoadResString(_strValueMAX), LoadResString(_strValueMIN), LoadResString(_strValueAVG) });

    lblDialect->setText(QCoreApplication::translate("Diduza::TfrmZkSQLBuilder", "SQL &dialect:"));
    lblDialect->adjustSize();
    const struct {
        TSQLSubType subType;
        const char *text;
    } dialects[] = {
        { stStandard,
            QT_TRANSLATE_NOOP(
                "Diduza::TfrmZkSQLBuilder", "Standard (JOIN conditions after FROM)") },
        { stLocal, QT_TRANSLATE_NOOP("Diduza::TfrmZkSQLBuilder", "Local (joins in WHERE)") },
        { stOracle,
            QT_TRANSLATE_NOOP("Diduza::TfrmZkSQLBuilder", "Oracle (outer joins marked (+))") },
        { stMSSQL,
            QT_TRANSLATE_NOOP("Diduza::TfrmZkSQLBuilder", "MS SQL (outer joins marked *=)") },
        { stAnsi, QT_TRANSLATE_NOOP("Diduza::TfrmZkSQLBuilder", "ANSI (JOIN ... ON in FROM)") },
    };
    for (const auto &dialect : dialects)
        cbDialect->addItem(QCoreApplication::translate("Diduza::TfrmZkSQLBuilder", dialect.text),
            int(dialect.subType));
    cbDialect->adjustSize();
    cbDialect->move(lblDialect->x() + lblDialect->width() + 6, 32);
    showDialect();

    FFileFilter = LoadResString(_sSchemaFiles) + QLatin1Char('|') + LoadResString(_sAllFiles);
    FDefaultExt = QStringLiteral("sch");
}

// ---------------------------------------------------------------------------------------------
// Properties

TSchemaDataEngine *TfrmZkSQLBuilder::DataEngine() const
{
    return FDataEngine;
}

void TfrmZkSQLBuilder::showDialect()
{
    TSchemaDataEngine *engine = FDataEngine;
    cbDialect->setEnabled(engine != nullptr);
    cbDialect->setCurrentIndex(engine ? cbDialect->findData(int(engine->SQLSubType())) : -1);
}

void TfrmZkSQLBuilder::SetDataEngine(TSchemaDataEngine *Value)
{
    if (FDataEngine == Value)
        return;
    FDataEngine = Value;
    SchemaDesignArea->SetDataEngine(Value);
    showDialect();

    lbTables->clear();
    FTablesExtent = 0;
    if (Value) {
        TStringList names;
        Value->FillItemList(names);
        // Sorted as the list box sorts: ignoring the case of the letters A to Z.
        TStringList sorted;
        sorted.SetSorted(true);
        for (int i = 0; i < names.Count(); ++i)
            sorted.AddObject(names.Strings(i), names.Objects(i));
        const QFontMetrics metrics(lbTables->font());
        int widest = 0;
        for (int i = 0; i < sorted.Count(); ++i) {
            auto *entry = new QListWidgetItem(sorted.Strings(i), lbTables);
            entry->setData(Qt::UserRole, sorted.Objects(i));
            widest = qMax(widest, metrics.horizontalAdvance(sorted.Strings(i)));
        }
        if (widest > 0)
            FTablesExtent = widest + 19;
    }
    lbTables->doItemsLayout();
}

// ---------------------------------------------------------------------------------------------
// The table list and dropping tables

void TfrmZkSQLBuilder::lbTablesDrawItem(
    QObject *Control, int Index, const QRect &Rect, TOwnerDrawState State, QPainter &Canvas)
{
    if (const TDrawItemEvent handler = FOnDrawTableItem) {
        handler(Control, Index, Rect, State, Canvas);
        return;
    }
    const QPalette &palette = lbTables->palette();
    const bool selected = State.testFlag(odSelected);
    Canvas.fillRect(Rect, palette.brush(selected ? QPalette::Highlight : QPalette::Base));
    if (Index < 0 || Index >= lbTables->count())
        return;
    imgSQL->Draw(Canvas, Rect.left() + 2, Rect.top() + 2, 0);
    Canvas.setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    Canvas.setFont(lbTables->font());
    const QRect textRect(
        Rect.left() + imgSQL->Width() + 4, Rect.top() + 2, Rect.width(), Rect.height() - 2);
    Canvas.drawText(
        textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, lbTables->item(Index)->text());
}

void TfrmZkSQLBuilder::lbTablesDblClick(QObject *)
{
    TSchemaDesignArea *area = SchemaDesignArea;
    const int before = area->GetItemCount();
    SchemaDesignAreaDragDrop(area, lbTables, DoubleClickDropX, DoubleClickDropY);
    if (area->GetItemCount() <= before)
        return;
    // Not on top of a table already there: the first free spot from (10, 10), right of or
    // below the others, the topmost first.
    TSchemaItem *added = area->GetItem(area->GetItemCount() - 1);
    QVector<QRect> taken;
    QVector<QPoint> spots { QPoint(DoubleClickDropX, DoubleClickDropY) };
    constexpr int Gap = 20;
    for (int i = 0; i < area->GetItemCount(); ++i) {
        TSchemaItem *item = area->GetItem(i);
        if (item == added || item->isHidden())
            continue;
        const QRect r = item->geometry();
        taken << r.adjusted(-Gap / 2, -Gap / 2, Gap / 2, Gap / 2);
        spots << QPoint(r.right() + 1 + Gap, r.top()) << QPoint(r.left(), r.bottom() + 1 + Gap);
    }
    std::stable_sort(spots.begin(), spots.end(), [](const QPoint &a, const QPoint &b) {
        return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x();
    });
    for (const QPoint &spot : spots) {
        if (spot.x() < DoubleClickDropX || spot.y() < DoubleClickDropY)
            continue;
        const QRect wanted(spot, added->size());
        if (std::none_of(
                taken.begin(), taken.end(), [&](const QRect &r) { return r.intersects(wanted); })) {
            added->move(spot);
            return;
        }
    }
}

void TfrmZkSQLBuilder::SchemaDesignAreaDragOver(
    QObject *, QObject *Source, int, int, TDragState, bool &Accept)
{
    Accept = Source != nullptr && Source == lbTables;
}

void TfrmZkSQLBuilder::SchemaDesignAreaDragDrop(QObject *Sender, QObject *Source, int X, int Y)
{
    if (Sender != SchemaDesignArea) {
        // Dropped on one of the area's child windows: the point is in its coordinates.
        if (auto *child = qobject_cast<QWidget *>(Sender)) {
            X += child->x();
            Y += child->y();
        }
    }
    if (!Source || Source != lbTables)
        return;
    QListWidgetItem *selected = lbTables->currentItem();
    if (!selected || !selected->isSelected())
        return;
    // The dropped entry's own object: another entry of the same name (in another letter case,
    // a different table) may carry another one.
    SchemaUndoGroup step(SchemaDesignArea, tr("Add %1").arg(StepName(selected->text())));
    readKeys(selected->text());
    TSchemaItem *item
        = AddNewItem(SchemaDesignArea, selected->text(), selected->data(Qt::UserRole), X, Y);
    if (item && FJoinByKeys)
        SchemaDesignArea->LinkByKeys(item);
}

void TfrmZkSQLBuilder::readKeys(const QString &Table)
{
    TSchemaDataEngine *engine = FDataEngine;
    if (!engine || (!FJoinByKeys && !SchemaDesignArea->ShowKeys()))
        return;
    // One request for the dropped table and those on the area the catalogue lacks.
    const TSchemaCatalog &known = SchemaDesignArea->Catalog();
    QStringList tables;
    if (!known.Table(Table))
        tables << Table;
    for (int i = 0; i < SchemaDesignArea->GetItemCount(); ++i) {
        const QString caption = SchemaDesignArea->GetItem(i)->GetCaption();
        if (!known.Table(caption) && !tables.contains(caption))
            tables << caption;
    }
    if (tables.isEmpty())
        return;
    QVector<TSchemaTableInfo> info;
    engine->FillTableInfo(tables, info);
    SchemaDesignArea->MergeCatalog(info);
}

// ---------------------------------------------------------------------------------------------
// The design area's events

void TfrmZkSQLBuilder::SchemaDesignAreaAddItem(QObject *, TSchemaItem *item)
{
    if (!item)
        return;
    QPointer<TfrmZkSQLBuilder> self(this);
    item->SetOnSubItemCheck([self](QObject *Sender) {
        if (self && !self->FDestroying)
            self->ItemCheckClick(Sender);
    });
    if (!FInternalUpdate && !SchemaDesignArea->IsRestoring()) { // undo brings the rows back
        item->AddSubItem(AllFields, -1, false);
        if (TSchemaDataEngine *engine = SchemaDesignArea->DataEngine()) {
            TStringList names;
            engine->FillSubItemList(item, names);
            for (int i = 0; i < names.Count(); ++i)
                item->AddSubItemObject(names.Strings(i), -1, false, names.Objects(i));
        }
        item->RecalculateHeight();
        item->RecalculateWidth();
    }
    cbTables->addItem(item->Caption());
    RaiseEvent(FOnAddItem, SchemaDesignArea, item);
}

void TfrmZkSQLBuilder::SchemaDesignAreaAddSubItem(QObject *, TSchemaSubItem *SubItem)
{
    if (SubItem)
        SubItem->SetImageIndex(1);
}

void TfrmZkSQLBuilder::SchemaDesignAreaDeleteItem(QObject *, TSchemaItem *item)
{
    RaiseEvent(FOnDeleteItem, SchemaDesignArea, item);
    if (FDestroying || !item)
        return;
    for (int col = sgColumnGrid->ColCount() - 1; col >= 1; --col) {
        TSchemaSubItem *row = ReferencedSubItem(sgColumnGrid->Cells(col, RowField));
        if (row && row->ItemOwner() == item)
            removeColumn(col);
    }
    const int entry
        = cbTables->findText(item->Caption(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (entry >= 0)
        cbTables->removeItem(entry);
}

// ---------------------------------------------------------------------------------------------
// Row references

QString TfrmZkSQLBuilder::SubItemReference(TSchemaSubItem *SubItem)
{
    if (!SubItem || !SchemaDesignArea)
        return QString();
    TSchemaItem *owner = SubItem->ItemOwner();
    if (!owner || owner->Designer() != SchemaDesignArea)
        return QString();
    const auto known = FRefOfSubItem.constFind(SubItem);
    if (known != FRefOfSubItem.constEnd() && FSubItemRefs.value(known.value()) == SubItem)
        return QString::number(known.value());
    // Serials of freed rows go now and then, so that the maps keep to the living rows.
    if (FSubItemRefs.size() >= 2 * FRefsSwept + 64) {
        for (auto it = FSubItemRefs.begin(); it != FSubItemRefs.end();) {
            if (it.value().isNull())
                it = FSubItemRefs.erase(it);
            else
                ++it;
        }
        for (auto it = FRefOfSubItem.begin(); it != FRefOfSubItem.end();) {
            if (!FSubItemRefs.contains(it.value()))
                it = FRefOfSubItem.erase(it);
            else
                ++it;
        }
        FRefsSwept = int(FSubItemRefs.size());
    }
    const int reference = ++FLastSubItemRef;
    FSubItemRefs.insert(reference, SubItem);
    FRefOfSubItem.insert(SubItem, reference);
    return QString::number(reference);
}

TSchemaSubItem *TfrmZkSQLBuilder::ReferencedSubItem(const QString &Text) const
{
    int reference = 0;
    if (Text.isEmpty() || !TryStrToInt(Text, reference) || QString::number(reference) != Text)
        return nullptr; // only the text this form writes names a row
    TSchemaSubItem *row = FSubItemRefs.value(reference);
    if (!row || !SchemaDesignArea)
        return nullptr;
    TSchemaItem *owner = row->ItemOwner();
    return owner && owner->Designer() == SchemaDesignArea ? row : nullptr;
}

// ---------------------------------------------------------------------------------------------
// The column grid

int TfrmZkSQLBuilder::columnOf(const TSchemaSubItem *SubItem) const
{
    if (!SubItem)
        return -1;
    if (FColumnOfRowVersion != sgColumnGrid->CellsVersion()) {
        FColumnOfRow.clear();
        // The last column of a row wins, as a walk from the last column finds it first.
        for (int col = 1; col < sgColumnGrid->ColCount(); ++col) {
            if (TSchemaSubItem *row = ReferencedSubItem(sgColumnGrid->Cells(col, RowField)))
                FColumnOfRow.insert(row, col);
        }
        FColumnOfRowVersion = sgColumnGrid->CellsVersion();
    }
    const int col = FColumnOfRow.value(SubItem, -1);
    if (col >= 0 && ReferencedSubItem(sgColumnGrid->Cells(col, RowField)) != SubItem) {
        // A row freed since left its address to this one: walk the grid again.
        FColumnOfRowVersion = ~quint64(0);
        return columnOf(SubItem);
    }
    return col;
}

void TfrmZkSQLBuilder::removeColumn(int ACol)
{
    // Within a step (an untick), the column's place and cells come back with its undo.
    if (QUndoCommand *parent = SchemaDesignArea ? SchemaDesignArea->UndoGroupCommand() : nullptr) {
        if (TSchemaSubItem *row = ReferencedSubItem(sgColumnGrid->Cells(ACol, RowField))) {
            QStringList cells;
            for (int r = RowField; r <= LastGridRow; ++r)
                cells << sgColumnGrid->Cells(ACol, r);
            new GridColumnCommand(this, parent, ACol,
                ItemPosition(SchemaDesignArea, row->ItemOwner()), RowPosition(row), cells);
        }
    }
    const bool indexed = FColumnOfRowVersion == sgColumnGrid->CellsVersion();
    const TSchemaSubItem *row = ReferencedSubItem(sgColumnGrid->Cells(ACol, RowField));
    const int last = sgColumnGrid->ColCount() - 1;
    sgColumnGrid->ClearColumn(ACol);
    const bool deleted = !(ACol == 1 && ACol == last);
    if (deleted)
        sgColumnGrid->DeleteColumn(ACol);
    if (indexed) {
        if (row && FColumnOfRow.value(row, -1) == ACol)
            FColumnOfRow.remove(row);
        if (deleted && ACol != last) {
            for (int &col : FColumnOfRow) {
                if (col > ACol)
                    --col;
            }
        }
        FColumnOfRowVersion = sgColumnGrid->CellsVersion();
    }
    bool canSelect = true;
    sgColumnGridSelectCell(sgColumnGrid, 1, RowTable, canSelect);
}

void TfrmZkSQLBuilder::ItemCheckClick(QObject *Sender)
{
    auto *subItem = qobject_cast<TSchemaSubItem *>(Sender);
    if (!subItem)
        return;
    TSchemaItem *item = subItem->ItemOwner();
    if (!item || item->Designer() != SchemaDesignArea)
        return; // not a row of this form's diagram
    QPointer<TSchemaSubItem> guard(subItem);

    pcSQL->setCurrentWidget(tsColumns);

    // "*" and the single fields of one item exclude each other. Each untick that changes a
    // row comes back here for that row and removes its column.
    if (subItem->Checked()) {
        if (isAllFieldsRow(subItem)) {
            for (int i = 0; i < item->GetSubItemCount(); ++i) {
                TSchemaSubItem *other = item->GetSubItem(i);
                if (other && other != subItem)
                    other->SetChecked(false);
            }
        } else {
            // Items loaded from a schema file may have a real field as their first row.
            TSchemaSubItem *first = item->GetSubItem(0);
            if (first && first != subItem && isAllFieldsRow(first))
                first->SetChecked(false);
        }
    }
    if (!guard)
        return;

    const int col = columnOf(subItem);
    if (col >= 0 && !subItem->Checked()) {
        removeColumn(col);
        // The extended grid may hold the field in more columns.
        for (int other = sgColumnGrid->ColCount() - 1; other >= 1; --other) {
            if (ReferencedSubItem(sgColumnGrid->Cells(other, RowField)) == subItem)
                removeColumn(other);
        }
    } else if (col < 0 && subItem->Checked()) {
        const QString reference = SubItemReference(subItem);
        const bool indexed = FColumnOfRowVersion == sgColumnGrid->CellsVersion();
        int last = sgColumnGrid->ColCount() - 1;
        if (!sgColumnGrid->Cells(last, RowField).isEmpty()) {
            sgColumnGrid->SetColCount(sgColumnGrid->ColCount() + 1);
            last = sgColumnGrid->ColCount() - 1;
        }
        sgColumnGrid->SetCells(last, RowField, reference);
        sgColumnGrid->SetCells(last, RowTable, item->Caption());
        if (indexed) {
            FColumnOfRow.insert(subItem, last);
            FColumnOfRowVersion = sgColumnGrid->CellsVersion();
        }
    }
}

void TfrmZkSQLBuilder::hideEditors()
{
    for (QWidget *editor :
        std::initializer_list<QWidget *> { cbTables, cbValues, cbSorting, edWhere, cbGroupBy })
        editor->hide();
    FEditCol = FEditRow = -1;
}

void TfrmZkSQLBuilder::sgColumnGridSelectCell(QObject *, int ACol, int ARow, bool &CanSelect)
{
    hideEditors();
    CanSelect = true;
    if (sgColumnGrid->Cells(ACol, RowField).isEmpty())
        return;
    if (ACol == 0 || ARow == 0)
        return;
    QWidget *editor = nullptr;
    switch (ARow) {
    case RowTable:
        editor = cbTables;
        break;
    case RowCalculate:
        editor = cbValues;
        break;
    case RowSort:
        editor = cbSorting;
        break;
    case RowWhere:
    case RowHaving:
        editor = edWhere;
        break;
    case RowGrouping:
        editor = cbGroupBy;
        break;
    case RowShow:
        editor = FExtendedGrid ? cbGroupBy : nullptr;
        break;
    case RowAlias:
    case RowSortOrder:
        editor = FExtendedGrid ? edWhere : nullptr;
        break;
    default:
        return;
    }
    // A column that counts the rows has no table and no other aggregate.
    if (!editor
        || (sgColumnGrid->Cells(ACol, RowField) == AllRowsCell
            && (ARow == RowTable || ARow == RowCalculate)))
        return;
    QRect cell = sgColumnGrid->CellRect(ACol, ARow);
    if (cell.isNull())
        return; // a hidden row
    cell.translate(sgColumnGrid->pos());
    const int left = cell.left();
    const int top = cell.top();
    const int right = cell.left() + cell.width();
    const int bottom = cell.top() + cell.height();
    const QString text = sgColumnGrid->Cells(ACol, ARow);
    if (editor == cbGroupBy) {
        // Exactly over the box the cell shows (in viewport coordinates), so that the box does
        // not move as it opens.
        QWidget *viewport = sgColumnGrid->viewport();
        const QRect painted = sgColumnGrid->CellRect(ACol, ARow).translated(-viewport->pos());
        cbGroupBy->setGeometry(checkBoxGlyph(drawingRect(painted), QSize(FCheckWidth, FCheckHeight),
            viewport->mapTo(window(), QPoint()), devicePixelRatioF())
                                   .translated(viewport->mapTo(tsColumns, QPoint())));
        cbGroupBy->setChecked(
            ARow == RowShow ? text != QLatin1String("0") : text == QLatin1String("1"));
    } else {
        // Over the cell and inside its grid lines, not over the next cells.
        editor->setGeometry(left, top, right - left, bottom - top);
        if (auto *list = qobject_cast<QComboBox *>(editor))
            list->setCurrentIndex(list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
        else
            edWhere->setText(text);
    }
    FEditCol = ACol;
    FEditRow = ARow;
    editor->show();
    editor->raise();
    editor->setFocus();
}

void TfrmZkSQLBuilder::cbInplaceChange(QObject *Sender)
{
    // The value goes to the cell the editor was placed over, which is the grid's current cell
    // unless the editor was opened by a column's removal.
    const int col = FEditCol;
    const int row = FEditRow;
    const QString before = sgColumnGrid->Cells(col, row);
    const auto record = qScopeGuard([&] {
        const QString after = sgColumnGrid->Cells(col, row);
        SchemaUndoGroup step(
            SchemaDesignArea, tr("Edit %1").arg(StepName(sgColumnGrid->Cells(0, row))));
        if (QUndoCommand *parent = step.Parent(); parent && after != before)
            new GridCellCommand(this, parent, col, row, before, after);
    });
    if (auto *list = qobject_cast<QComboBox *>(Sender)) {
        if (row == RowCalculate && list->currentIndex() > 0) {
            TSchemaSubItem *subItem = ReferencedSubItem(sgColumnGrid->Cells(col, RowField));
            if (isAllFieldsRow(subItem)) {
                list->setCurrentIndex(0);
                DialogService()->ShowWarning(this, LoadResString(_smsAggIsNotAllowed));
            }
        }
        sgColumnGrid->SetCells(col, row, list->currentText());
        list->hide();
    } else if (Sender == cbGroupBy && row == RowShow) {
        sgColumnGrid->SetCells(
            col, RowShow, cbGroupBy->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
        cbGroupBy->hide();
    } else if (Sender == cbGroupBy) {
        const bool ticked = cbGroupBy->isChecked();
        sgColumnGrid->SetCells(
            col, RowGrouping, ticked ? QStringLiteral("1") : QStringLiteral("0"));
        showHavingRow(this, ticked);
        cbGroupBy->hide();
        if (ticked) {
            // The having row may appear below the page's visible part: bring it into view.
            // It is the grid's last row: lay the grid out now and scroll to its bottom.
            sgColumnGrid->doItemsLayout();
            sgColumnGrid->verticalScrollBar()->setValue(
                sgColumnGrid->verticalScrollBar()->maximum());
        }
    } else if (Sender == edWhere) {
        sgColumnGrid->SetCells(col, row, edWhere->text());
        edWhere->hide();
    }
    if (pcSQL->currentWidget() == tsColumns)
        sgColumnGrid->setFocus();
}

bool TfrmZkSQLBuilder::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == pnlToolbar && event->type() == QEvent::Resize && !FDestroying)
        Guarded([&] { pnlToolbarResize(pnlToolbar); });
    if (sgColumnGrid && watched == sgColumnGrid->viewport() && event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QString tip = CellToolTip(sgColumnGrid->viewport()->mapTo(sgColumnGrid, help->pos()));
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, sgColumnGrid->viewport());
        return true;
    }
    // Return in the edit commits its text (and goes no further: it is not the dialog's OK).
    if (!FDestroying && watched == edWhere && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Guarded([&] {
                if (!edWhere->isHidden())
                    cbInplaceChange(edWhere);
            });
            return true;
        }
    }
    // The click that opens a grouping cell's check box ticks it too: one click, as on any box.
    if (sgColumnGrid && watched == sgColumnGrid->viewport()
        && event->type() == QEvent::MouseButtonRelease && cbGroupBy->isVisible()
        && (FEditRow == RowGrouping || (FExtendedGrid && FEditRow == RowShow))) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        int col = -1;
        int row = -1;
        if (mouse->button() == Qt::LeftButton
            && sgColumnGrid->MouseToCell(
                sgColumnGrid->viewport()->mapTo(sgColumnGrid, mouse->position().toPoint()), col,
                row)
            && col == FEditCol && row == FEditRow)
            cbGroupBy->toggle();
    }
    // The exit of the edit and of the check box commits their value.
    if (!FDestroying && event->type() == QEvent::FocusOut
        && (watched == edWhere || watched == cbGroupBy)) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (static_cast<QWidget *>(watched)->isVisible() && reason != Qt::ActiveWindowFocusReason
            && reason != Qt::PopupFocusReason)
            Guarded([&] { cbInplaceChange(watched); });
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmZkSQLBuilder::sgColumnGridDrawCell(
    QObject *, int ACol, int ARow, const QRect &Rect, TGridDrawState, QPainter &Canvas)
{
    const QRect R = drawingRect(Rect);
    const QString text = sgColumnGrid->Cells(ACol, ARow);
    QFont bold = Canvas.font();
    bold.setBold(true);
    if (ARow == RowField) {
        Canvas.setFont(bold);
        const QColor fixed = ColorToQColor(sgColumnGrid->FixedColor(), sgColumnGrid->palette());
        Canvas.setBrush(fixed);
        Canvas.fillRect(R, fixed);
        if (TSchemaSubItem *subItem = ReferencedSubItem(text))
            drawCellText(Canvas, R, subItem->Caption(), Qt::AlignHCenter);
        else if (FExtendedGrid && ACol > 0 && text == AllRowsCell)
            drawCellText(Canvas, R, text, Qt::AlignHCenter);
        return;
    }
    Canvas.fillRect(R, Canvas.brush());
    if (ACol == 0) {
        Canvas.setFont(bold);
        drawCellText(Canvas, R, text + QLatin1Char(' '), Qt::AlignRight);
    } else if (ARow == RowGrouping || (FExtendedGrid && ARow == RowShow)) {
        // Under the check-box editor the editor alone shows the box.
        if (!(cbGroupBy->isVisible() && FEditCol == ACol && FEditRow == ARow))
            DrawCheckBox(Canvas, R,
                ARow == RowShow ? text != QLatin1String("0") : text == QLatin1String("1"));
    } else {
        drawCellText(Canvas, R, text, Qt::AlignLeft);
    }
}

QString TfrmZkSQLBuilder::CellToolTip(const QPoint &Point) const
{
    int col = -1;
    int row = -1;
    if (!sgColumnGrid->MouseToCell(Point, col, row)
        || (col > 0 && (row == RowGrouping || (FExtendedGrid && row == RowShow))))
        return QString();
    QString text = sgColumnGrid->Cells(col, row);
    if (row == RowField && col > 0) {
        TSchemaSubItem *subItem = ReferencedSubItem(text);
        text = subItem ? subItem->Caption() : QString();
    }
    QFont font = sgColumnGrid->font();
    font.setBold(row == RowField || col == 0);
    const int room = sgColumnGrid->CellRect(col, row).width() - 3;
    return QFontMetrics(font).horizontalAdvance(text) > room ? text : QString();
}

void TfrmZkSQLBuilder::DrawCheckBox(QPainter &Canvas, const QRect &Rect, bool Ticked)
{
    QStyleOptionButton option;
    option.initFrom(sgColumnGrid);
    option.rect = checkBoxGlyph(Rect, QSize(FCheckWidth, FCheckHeight),
        sgColumnGrid->viewport()->mapTo(window(), QPoint()), sgColumnGrid->devicePixelRatioF());
    option.state = QStyle::State_Enabled | (Ticked ? QStyle::State_On : QStyle::State_Off);
    sgColumnGrid->style()->drawPrimitive(
        QStyle::PE_IndicatorCheckBox, &option, &Canvas, sgColumnGrid);
}

void TfrmZkSQLBuilder::GetCheckBoxSize()
{
    FCheckWidth = CheckBoxGlyphWidth();
    FCheckHeight = CheckBoxGlyphHeight();
}

// ---------------------------------------------------------------------------------------------
// Pages and tool bar

void TfrmZkSQLBuilder::SetSQLText(const QString &Value)
{
    FSQLText = Value;
    {
        const QScopedValueRollback<bool> setting(FSettingText, true);
        SQLMemo->setPlainText(Value);
    }
    FTextTyped = false;
    if (FSQLEditable)
        CheckSQLText();
    FSQLSource = statementSource();
    FCleanState = workState();
}

bool TfrmZkSQLBuilder::IsStatementStale()
{
    return statementSource() != FSQLSource;
}

QString TfrmZkSQLBuilder::statementSource()
{
    // The application's name hooks are left out: they are asked only when a statement is
    // needed, and what they answer follows from the diagram they are asked about. So is the
    // refusal of a join the database cannot run: this text only tells the work apart, and a
    // diagram that holds such a join must still open, show and change.
    QueryInput input = queryInput(true);
    input.TableNameHook = nullptr;
    input.FieldNameHook = nullptr;
    input.JoinAvailable = nullptr;
    return GenerateQuery(input);
}

void TfrmZkSQLBuilder::generateStatement()
{
    const QString sql = GenerateSQL();
    FSQLText = sql;
    {
        const QScopedValueRollback<bool> setting(FSettingText, true);
        SQLMemo->setPlainText(sql);
    }
    FTextTyped = false;
    if (FSQLEditable)
        CheckSQLText();
    FSQLSource = statementSource();
    const QStringList notes = FImportNotes + QueryNotes(queryInput(true));
    lblSQLNotes->setText(notes.join(QLatin1Char('\n')));
    lblSQLNotes->setVisible(!notes.isEmpty());
}

void TfrmZkSQLBuilder::executeStatement()
{
    // The previous rows go, whatever happens to this run.
    DBGrid1->setModel(nullptr);
    FResult = nullptr;
    delete FOwnedResult.data();
    lblResultError->hide();
    lblResultError->clear();

    FRun.reset(); // a run still going is cancelled
    if (lblResultStatus)
        lblResultStatus->clear();
    QString error;
    QAbstractItemModel *result = nullptr;
    if (TSchemaDataEngine *engine = FDataEngine) {
        try {
            if (FBackgroundExecution) {
                if (TSchemaQueryRun *run = engine->StartSQL(FSQLText, FRowLimit)) {
                    startRun(run);
                    return;
                }
            }
            result = engine->ExecSQL(FSQLText);
        } catch (const EAbort &) {
            throw;
        } catch (const Exception &e) {
            error = e.Message();
        } catch (const std::exception &e) {
            error = QString::fromLocal8Bit(e.what());
        }
    } else {
        error = QCoreApplication::translate(
            "Diduza::TfrmZkSQLBuilder", "No data engine is set, so the statement cannot be run.");
    }
    if (result) {
        // A model without a parent is the form's to free; one with a parent stays its owner's.
        if (!result->parent()) {
            result->setParent(this);
            FOwnedResult = result;
        }
        FResult = result;
        DBGrid1->setModel(result);
        // Columns as wide as their titles and first rows, within reason.
        DBGrid1->horizontalHeader()->setResizeContentsPrecision(50);
        DBGrid1->resizeColumnsToContents();
        for (int col = 0; col < result->columnCount(); ++col)
            DBGrid1->setColumnWidth(col, qMin(DBGrid1->columnWidth(col), 300));
    }
    if (!error.isEmpty()) {
        lblResultError->setText(error);
        lblResultError->show();
    }
    if (FBackgroundExecution)
        showRunStatus();
}

void TfrmZkSQLBuilder::CommitEditor()
{
    // What is typed counts wherever the user goes next: the text edit and the check box write
    // their value when it differs from the cell's.
    if (FEditCol < 0 || FEditRow < 0)
        return;
    if (!edWhere->isHidden()) {
        if (edWhere->text() != sgColumnGrid->Cells(FEditCol, FEditRow))
            cbInplaceChange(edWhere);
        else
            edWhere->hide();
    } else if (!cbGroupBy->isHidden()) {
        const QString cell = sgColumnGrid->Cells(FEditCol, FEditRow);
        const bool ticked
            = FEditRow == RowShow ? cell != QLatin1String("0") : cell == QLatin1String("1");
        if (cbGroupBy->isChecked() != ticked)
            cbInplaceChange(cbGroupBy);
    }
}

void TfrmZkSQLBuilder::pcSQLChange(QObject *)
{
    CommitEditor();
    QWidget *page = pcSQL->currentWidget();
    if (page == tsOptions) {
        showDialect();
    } else if (page == tsSQL) {
        if (!keepTypedText())
            generateStatement();
    } else if (page == tsResults) {
        // The page runs what the SQL page holds; a statement the diagram or grid have left
        // behind is generated anew rather than run stale.
        if (!keepTypedText() && (FSQLText.isEmpty() || IsStatementStale()))
            generateStatement();
        executeStatement();
    }
}

void TfrmZkSQLBuilder::btnNewClick(QObject *)
{
    SchemaDesignArea->ClearAll();
    // The items took their columns with them; a column that counts the rows belongs to none.
    for (int col = sgColumnGrid->ColCount() - 1; col >= 1; --col) {
        if (!sgColumnGrid->Cells(col, RowField).isEmpty())
            removeColumn(col);
    }
    ShowImportNotes({});
}

void TfrmZkSQLBuilder::btnOpenClick(QObject *)
{
    QString fileName;
    if (!DialogService()->ExecuteOpenDialog(this, FFileFilter, FDefaultExt, fileName))
        return;
    FInternalUpdate = true;
    try {
        SchemaDesignArea->LoadFromFile(fileName);
    } catch (...) {
        FInternalUpdate = false;
        showDialect();
        throw;
    }
    FInternalUpdate = false;
    showDialect(); // the file may carry the dialect
}

void TfrmZkSQLBuilder::btnSaveClick(QObject *)
{
    CommitEditor();
    QString fileName;
    if (DialogService()->ExecuteSaveDialog(this, FFileFilter, FDefaultExt, fileName)) {
        SchemaDesignArea->SaveToFile(fileName);
        FCleanState = workState();
    }
}

void TfrmZkSQLBuilder::btnShowGridClick(QObject *)
{
    // The splitter's handle goes and comes with the page control.
    pcSQL->setVisible(btnShowGrid->isChecked());
}

void TfrmZkSQLBuilder::btnShowTablesClick(QObject *)
{
    pnlTables->setVisible(btnShowTables->isChecked());
}

void TfrmZkSQLBuilder::btnGenSQLClick(QObject *)
{
    CommitEditor();
    if (pcSQL->currentWidget() == tsSQL)
        pcSQLChange(pcSQL);
    else
        pcSQL->setCurrentWidget(tsSQL); // the page change does the rest
}

void TfrmZkSQLBuilder::btnExecSQLClick(QObject *)
{
    CommitEditor();
    if (pcSQL->currentWidget() == tsResults)
        pcSQLChange(pcSQL);
    else
        pcSQL->setCurrentWidget(tsResults);
}

void TfrmZkSQLBuilder::btnOKClick(QObject *)
{
    CommitEditor();
    if (!keepTypedText() && IsStatementStale())
        generateStatement();
    done(QDialog::Accepted);
}

void TfrmZkSQLBuilder::btnCancelClick(QObject *)
{
    reject();
}

QString TfrmZkSQLBuilder::workState() const
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    SchemaDesignArea->SaveToStream(buffer);
    QString state = QString::fromUtf8(buffer.data());
    // The time of saving is not part of the work.
    static const QRegularExpression saved(
        QStringLiteral("^Saved=[^\r\n]*"), QRegularExpression::MultilineOption);
    state.remove(saved);
    for (int col = 0; col < sgColumnGrid->ColCount(); ++col) {
        for (int row = RowField; row <= LastGridRow; ++row)
            state += QLatin1Char('\x1f') + sgColumnGrid->Cells(col, row);
    }
    state += cbDistinct->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
    return state;
}

bool TfrmZkSQLBuilder::HasUnsavedChanges() const
{
    if (FTextTyped)
        return true; // a typed statement is work too
    return workState() != FCleanState;
}

void TfrmZkSQLBuilder::reject()
{
    // Escape first ends a statement that runs.
    if (IsRunning()) {
        CancelRun();
        return;
    }
    // Closing by Escape, Cancel or the window's close button asks before the work goes.
    bool close = true;
    Guarded([&] {
        if (HasUnsavedChanges())
            close = DialogService()->Confirm(this,
                QCoreApplication::translate("Diduza::TfrmZkSQLBuilder",
                    "The query has changes that will be lost. Close the query builder anyway?"));
    });
    if (close)
        QDialog::reject();
}

void TfrmZkSQLBuilder::pnlToolbarResize(QObject *)
{
    btnCancel->move(pnlToolbar->width() - btnCancel->width() - 10, btnCancel->y());
    btnOK->move(btnCancel->x() - btnOK->width() - 5, btnOK->y());
}

void TfrmZkSQLBuilder::pbTableGrabberPaint(QObject *, QPainter &Canvas)
{
    const int W = pbTableGrabber->width();
    const QPalette &palette = pbTableGrabber->palette();

    // The caption close button, from (W - 11, 1) to (W - 1, 11).
    QStyleOptionButton frame;
    frame.initFrom(pbTableGrabber);
    frame.rect = QRect(QPoint(W - 11, 1), QPoint(W - 2, 10));
    frame.state = QStyle::State_Enabled | QStyle::State_Raised;
    QStyle *style = pbTableGrabber->style();
    style->drawPrimitive(QStyle::PE_PanelButtonBevel, &frame, &Canvas, pbTableGrabber);
    style->standardIcon(QStyle::SP_TitleBarCloseButton, &frame, pbTableGrabber)
        .paint(&Canvas, frame.rect.adjusted(1, 1, -1, -1));

    // Two raised grooves.
    auto groove = [&](int x1, int y1, int x2, int y2) {
        Canvas.setPen(palette.color(QPalette::Light));
        Canvas.drawLine(x2, y1, x1, y1);
        Canvas.drawLine(x1, y1, x1, y2);
        Canvas.setPen(palette.color(QPalette::Dark));
        Canvas.drawLine(x1, y2, x2, y2);
        Canvas.drawLine(x2, y2, x2, y1 - 1);
    };
    groove(2, 3, W - 14, 5);
    groove(2, 6, W - 14, 8);
}

void TfrmZkSQLBuilder::pbTableGrabberMouseUp(
    QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int X, int)
{
    if (X > pbTableGrabber->width() - 14) {
        btnShowTables->setChecked(false);
        btnShowTablesClick(btnShowTables);
    }
}

// ---------------------------------------------------------------------------------------------
// The statement

void TfrmZkSQLBuilder::ExpandSQL(QString &SQL, const QString &Macro, const QString &Value)
{
    ::Diduza::ExpandSQL(SQL, Macro, Value);
}

void TfrmZkSQLBuilder::RemoveBlankLines(QString &SQL)
{
    ::Diduza::RemoveBlankLines(SQL);
}

QueryInput TfrmZkSQLBuilder::queryInput(bool withColumns)
{
    QueryInput input;
    TSchemaDesignArea *area = SchemaDesignArea;
    // Each item's table once: the columns name their tables again and again.
    QHash<const TSchemaItem *, QueryTable> tables;
    auto cachedTableOf = [&](TSchemaItem *item) -> std::optional<QueryTable> {
        if (!item)
            return std::nullopt;
        const auto found = tables.constFind(item);
        return found != tables.constEnd() ? *found : tableOf(area, item);
    };
    for (int i = 0; area && i < area->ControlCount(); ++i) {
        QObject *control = area->Controls(i);
        if (auto *item = qobject_cast<TSchemaItem *>(control)) {
            input.Tables.append(*tableOf(area, item));
            tables.insert(item, input.Tables.last());
        } else if (auto *relation = qobject_cast<TSchemaRelation *>(control)) {
            QueryJoin join;
            join.ParentTable = tableOf(area, relation->ParentItem());
            join.ParentField = fieldOf(relation->ParentSubItem());
            join.ChildTable = tableOf(area, relation->ChildItem());
            join.ChildField = fieldOf(relation->ChildSubItem());
            join.Operator = relation->JoinOperator();
            join.Join = relation->JoinType();
            join.Condition = relation->JoinCondition();
            input.Joins.append(join);
        }
    }

    if (withColumns) {
        input.Columns.reserve(sgColumnGrid->ColCount());
        for (int col = 1; col < sgColumnGrid->ColCount(); ++col) {
            QueryColumn column;
            column.FieldCell = sgColumnGrid->Cells(col, RowField);
            if (TSchemaSubItem *subItem = ReferencedSubItem(column.FieldCell)) {
                column.Field = fieldOf(subItem);
                column.Table = cachedTableOf(subItem->ItemOwner());
            }
            column.Calculate = sgColumnGrid->Cells(col, RowCalculate);
            column.Sort = sgColumnGrid->Cells(col, RowSort);
            column.Where = sgColumnGrid->Cells(col, RowWhere);
            column.Grouping = sgColumnGrid->Cells(col, RowGrouping);
            column.Having = sgColumnGrid->Cells(col, RowHaving);
            if (FExtendedGrid) {
                column.AllRows = column.FieldCell == AllRowsCell;
                column.Show = sgColumnGrid->Cells(col, RowShow);
                column.Alias = sgColumnGrid->Cells(col, RowAlias);
                column.SortOrder = sgColumnGrid->Cells(col, RowSortOrder);
            }
            input.Columns.append(std::move(column));
        }
        input.Distinct = cbDistinct->isChecked();
    }

    if (TSchemaDataEngine *engine = FDataEngine) {
        input.SubType = engine->SQLSubType();
        input.Template = engine->GetSQLTemplate();
        input.JoinScript = [engine](const QString &strParent, const QString &strChild,
                               TSDRelationOperator Operator, TSDRelationJoin Join) {
            return engine->GetJoinScript(strParent, strChild, Operator, Join);
        };
        input.JoinSeparator
            = [engine](TSDRelationJoin Join) { return engine->GetJoinSeparator(Join); };
        input.Quoting = engine->NameQuoting();
        input.JoinAvailable
            = [engine](TSDRelationJoin Join) { return engine->JoinAvailable(Join); };
    }
    if (const TGetSchemaItemEvent handler = FOnGetTableName) {
        input.TableNameHook = [this, handler](const QueryTable &Table, bool IsAlias) {
            return handler(
                this, qobject_cast<TSchemaItem *>(Table.Object), Table.ItemIndex, IsAlias);
        };
    }
    if (const TGetSchemaSubItemEvent handler = FOnGetFieldName) {
        input.FieldNameHook = [this, handler](const QueryField &Field) {
            return handler(this, qobject_cast<TSchemaSubItem *>(Field.Object));
        };
    }
    input.Expand = [this](QString &SQL, const QString &Macro, const QString &Value) {
        ExpandSQL(SQL, Macro, Value);
    };
    return input;
}

QString TfrmZkSQLBuilder::GenerateSQL()
{
    return GenerateQuery(queryInput(true));
}

QString TfrmZkSQLBuilder::GetTableName(TSchemaItem *Item, bool IsAlias)
{
    if (!Item)
        return QString();
    return QueryTableName(queryInput(false), tableOf(SchemaDesignArea, Item), IsAlias);
}

QString TfrmZkSQLBuilder::GetFieldName(TSchemaSubItem *SubItem)
{
    if (!SubItem)
        return QString();
    QueryInput input;
    if (TSchemaDataEngine *engine = FDataEngine)
        input.Quoting = engine->NameQuoting();
    if (const TGetSchemaSubItemEvent handler = FOnGetFieldName) {
        input.FieldNameHook = [this, handler](const QueryField &Field) {
            return handler(this, qobject_cast<TSchemaSubItem *>(Field.Object));
        };
    }
    return QueryFieldName(input, fieldOf(SubItem));
}

TSchemaItem *AddNewItem(
    TSchemaDesignArea *Area, const QString &ACaption, const QVariant &AObject, int X, int Y)
{
    if (!Area)
        return nullptr;
    TSchemaItem *item = Area->AddItemObject(ACaption, scCheckListBox, AObject);
    if (!item)
        return nullptr;
    item->SetLeft(X);
    item->SetTop(Y);
    if (TSchemaSubItem *first = item->GetSubItem(0))
        first->SetChecked(true);
    return item;
}

// ---------------------------------------------------------------------------------------------
// The SQL and results pages as a query tool

void TfrmZkSQLBuilder::SetSQLEditable(bool Value)
{
    FSQLEditable = Value;
    SQLMemo->setReadOnly(!Value);
    pnlSQLTools->setVisible(Value);
    if (Value && !FHighlighter)
        FHighlighter = new SqlHighlighter(SQLMemo->document());
    else if (!Value && FHighlighter) {
        delete FHighlighter;
        FHighlighter = nullptr;
    }
    if (Value)
        CheckSQLText();
    else
        markSQLError(QString(), -1);
}

void TfrmZkSQLBuilder::SetBackgroundExecution(bool Value)
{
    FBackgroundExecution = Value;
    pnlResultTools->setVisible(Value);
}

void TfrmZkSQLBuilder::SetRowLimit(int Value)
{
    FRowLimit = qMax(0, Value);
    const QSignalBlocker quiet(seRowLimit);
    seRowLimit->setValue(FRowLimit);
}

void TfrmZkSQLBuilder::sqlTextEdited()
{
    if (FSettingText || !FSQLEditable)
        return;
    if (!FTextTyped) {
        // The work the typed text stands for: the diagram and grid do not change while the
        // user types.
        FTypedState = workState();
        FTextTyped = true;
    }
    FSQLText = SQLMemo->toPlainText();
    FCheckTimer->start();
}

bool TfrmZkSQLBuilder::keepTypedText()
{
    if (!FSQLEditable || !FTextTyped)
        return false;
    if (workState() == FTypedState)
        return true;
    const bool replace = DialogService()->Confirm(this,
        tr("The SQL page holds a statement you typed, and the diagram or grid changed since. "
           "Replace the typed statement with the diagram's?"));
    if (replace) {
        FTextTyped = false;
        return false;
    }
    FTypedState = workState(); // the typed text now stands for this work
    return true;
}

void TfrmZkSQLBuilder::CheckSQLText()
{
    FCheckTimer->stop();
    const QString text = SQLMemo->toPlainText();
    // PostgreSQL's parser reads the join-tree and the local dialect; the others' join marks
    // and lines are no SQL it knows.
    const TSQLSubType dialect = FDataEngine ? FDataEngine->SQLSubType() : stStandard;
    if (text.trimmed().isEmpty() || (dialect != stAnsi && dialect != stLocal)) {
        markSQLError(QString(), -1);
        return;
    }
    QString error;
    qsizetype position = -1;
    if (ParsesAsPostgres(text, &error, &position))
        markSQLError(QString(), -1);
    else
        markSQLError(error, position);
}

void TfrmZkSQLBuilder::markSQLError(const QString &Error, qsizetype Position)
{
    FSQLError = Error;
    FSQLErrorPosition = Error.isEmpty() ? -1 : Position;
    lblSQLError->setText(Error);
    lblSQLError->setToolTip(Error);
    QList<QTextEdit::ExtraSelection> marks;
    if (FSQLErrorPosition >= 0) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(SQLMemo->document());
        const int at
            = int(qMin<qsizetype>(FSQLErrorPosition, SQLMemo->document()->characterCount() - 1));
        mark.cursor.setPosition(at);
        mark.cursor.movePosition(QTextCursor::EndOfWord, QTextCursor::KeepAnchor);
        if (!mark.cursor.hasSelection())
            mark.cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        mark.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        mark.format.setUnderlineColor(QColor(0xe0, 0x20, 0x20));
        mark.format.setToolTip(Error);
        marks << mark;
    }
    SQLMemo->setExtraSelections(marks);
}

QStringList TfrmZkSQLBuilder::ApplySQLToDiagram()
{
    const QString text = SQLMemo->toPlainText();
    const ImportedQuery query = ImportSelect(text);
    if (!query.Ok) {
        markSQLError(query.Error, query.ErrorPosition);
        return { query.Error };
    }
    SchemaDesignArea->ClearAll();
    const QStringList notes = ImportQuery(query);
    SetSQLText(text); // the text stands for the rebuilt diagram until it changes
    pcSQL->setCurrentWidget(tsColumns);
    return notes;
}

void TfrmZkSQLBuilder::RunSQLText()
{
    CommitEditor();
    const QString text = SQLMemo->toPlainText();
    if (text != FSQLText || FTextTyped) {
        FSQLText = text;
        if (!FTextTyped)
            FTypedState = workState();
        FTextTyped = FSQLEditable;
    }
    if (pcSQL->currentWidget() == tsResults)
        executeStatement();
    else
        pcSQL->setCurrentWidget(tsResults); // the page change runs it
}

bool TfrmZkSQLBuilder::IsRunning() const
{
    return FRun && !FRun->IsFinished() && FRun->IsFetching();
}

void TfrmZkSQLBuilder::CancelRun()
{
    if (FRun && !FRun->IsFinished())
        FRun->Cancel();
}

void TfrmZkSQLBuilder::startRun(TSchemaQueryRun *Run)
{
    FRun.reset(Run);
    FRunError.clear();
    FRunCancelled = false;
    FRunTime = -1;
    auto *model = new TSchemaRunModel(Run, this);
    FOwnedResult = model;
    FResult = model;
    DBGrid1->setModel(model);
    FRunStarted = QDateTime::currentMSecsSinceEpoch();
    pbRunning->show();
    btnCancelRun->setEnabled(true);
    bool first = true;
    connect(Run, &TSchemaQueryRun::RowsArrived, this, [this, first]() mutable {
        if (first) {
            first = false;
            // Columns as wide as their titles and the rows on screen (at most 50): measuring
            // rows nobody sees yet would cost more than the rest of showing them. A
            // double-click on a column's edge still fits it to 50 rows.
            QHeaderView *header = DBGrid1->horizontalHeader();
            const int onScreen = DBGrid1->viewport()->height()
                    / qMax(1, DBGrid1->verticalHeader()->defaultSectionSize())
                + 1;
            header->setResizeContentsPrecision(qBound(1, onScreen, 50));
            DBGrid1->resizeColumnsToContents();
            header->setResizeContentsPrecision(50);
            for (int col = 0; col < FResult->columnCount(); ++col)
                DBGrid1->setColumnWidth(col, qMin(DBGrid1->columnWidth(col), 300));
        }
        if (FRun && !FRun->IsFinished()) {
            // Between pages nothing runs: the user scrolls for more.
            pbRunning->hide();
            btnCancelRun->setEnabled(false);
        }
        showRunStatus();
    });
    connect(Run, &TSchemaQueryRun::Finished, this,
        [this](const QString &error, int position, bool cancelled) {
            FRunTime = QDateTime::currentMSecsSinceEpoch() - FRunStarted;
            FRunError = error;
            FRunCancelled = cancelled;
            pbRunning->hide();
            btnCancelRun->setEnabled(false);
            if (!error.isEmpty()) {
                lblResultError->setText(error);
                lblResultError->show();
                if (position >= 0 && FSQLEditable && SQLMemo->toPlainText() == FSQLText)
                    markSQLError(error, position);
            }
            showRunStatus();
        });
    showRunStatus();
}

void TfrmZkSQLBuilder::showRunStatus()
{
    const int rows = FResult ? FResult->rowCount() : 0;
    const bool more = FResult && FResult->canFetchMore(QModelIndex());
    QString status;
    if (!FRunError.isEmpty()) {
        status = tr("Error after %n row(s)", nullptr, rows);
    } else if (FRunCancelled) {
        status = tr("Cancelled after %n row(s)", nullptr, rows);
    } else if (IsRunning()) {
        status = rows > 0 ? tr("Running: %n row(s) so far", nullptr, rows) : tr("Running...");
    } else if (more) {
        status = tr("%n row(s) so far; more as you scroll", nullptr, rows);
    } else if (FResult) {
        status = tr("%n row(s)", nullptr, rows);
        if (FRowLimit > 0 && rows >= FRowLimit)
            status += tr(" (the row limit)");
    }
    if (FRunTime >= 0 && !status.isEmpty())
        status += tr(", %1 ms").arg(FRunTime);
    lblResultStatus->setText(status);
    // An error shows the style's error icon beside its line.
    const bool failed = !FRunError.isEmpty() || !lblResultError->text().isEmpty();
    if (failed) {
        const int side = lblResultStatus->fontMetrics().height();
        lblResultIcon->setPixmap(style()
                                     ->standardIcon(QStyle::SP_MessageBoxCritical, nullptr, this)
                                     .pixmap(QSize(side, side), devicePixelRatioF()));
    }
    lblResultIcon->setVisible(failed);
}

QString TfrmZkSQLBuilder::SelectedCellsText() const
{
    const QItemSelectionModel *selection = DBGrid1->selectionModel();
    if (!selection || !FResult)
        return QString();
    const QModelIndexList cells = selection->selectedIndexes();
    if (cells.isEmpty())
        return QString();
    int top = INT_MAX, bottom = -1, left = INT_MAX, right = -1;
    QSet<QPair<int, int>> chosen;
    for (const QModelIndex &i : cells) {
        top = qMin(top, i.row());
        bottom = qMax(bottom, i.row());
        left = qMin(left, i.column());
        right = qMax(right, i.column());
        chosen.insert({ i.row(), i.column() });
    }
    QStringList lines;
    for (int r = top; r <= bottom; ++r) {
        QStringList values;
        for (int c = left; c <= right; ++c) {
            QString value;
            if (chosen.contains({ r, c }))
                value = FResult->data(FResult->index(r, c)).toString();
            value.replace(QLatin1Char('\t'), QLatin1Char(' '));
            value.replace(QLatin1Char('\n'), QLatin1Char(' '));
            value.replace(QLatin1Char('\r'), QLatin1Char(' '));
            values << value;
        }
        lines << values.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n'));
}

bool TfrmZkSQLBuilder::SaveResultsCsv(const QString &FileName, QString *Error)
{
    QAbstractItemModel *model = FResult;
    if (!model) {
        if (Error)
            *Error = tr("There are no results to save.");
        return false;
    }
    // Every row: those not fetched yet first come.
    while (model->canFetchMore(QModelIndex())) {
        if (auto *runModel = qobject_cast<TSchemaRunModel *>(model); runModel && runModel->Run()) {
            QEventLoop wait;
            connect(runModel->Run(), &TSchemaQueryRun::RowsArrived, &wait, &QEventLoop::quit);
            connect(runModel->Run(), &TSchemaQueryRun::Finished, &wait, &QEventLoop::quit);
            model->fetchMore(QModelIndex());
            if (runModel->Run() && runModel->Run()->IsFetching())
                wait.exec(QEventLoop::ExcludeUserInputEvents);
        } else {
            model->fetchMore(QModelIndex());
        }
    }
    auto field = [](const QVariant &value) {
        if (value.isNull())
            return QString();
        QString text = value.toString();
        if (text.contains(QLatin1Char('"')) || text.contains(QLatin1Char(','))
            || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))) {
            text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
            text = QLatin1Char('"') + text + QLatin1Char('"');
        }
        return text;
    };
    QString csv;
    QStringList header;
    for (int c = 0; c < model->columnCount(); ++c)
        header << field(model->headerData(c, Qt::Horizontal));
    csv += header.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList values;
        for (int c = 0; c < model->columnCount(); ++c)
            values << field(model->data(model->index(r, c)));
        csv += values.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    QSaveFile file(FileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv.toUtf8()) < 0 || !file.commit()) {
        if (Error)
            *Error
                = tr("The results could not be saved to %1: %2").arg(FileName, file.errorString());
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// The window as the user leaves it

namespace {
constexpr quint32 StateMagic = 0x44534231; // "DSB1"
} // namespace

QByteArray TfrmZkSQLBuilder::SaveState() const
{
    QByteArray state;
    QDataStream out(&state, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << StateMagic << quint16(1) << size() << SplitterGrid->saveState()
        << SplitterTables->saveState() << qint32(pcSQL->currentIndex());
    return state;
}

bool TfrmZkSQLBuilder::RestoreState(const QByteArray &State)
{
    QDataStream in(State);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    quint16 version = 0;
    QSize saved;
    QByteArray grid, tables;
    qint32 page = -1;
    in >> magic >> version >> saved >> grid >> tables >> page;
    if (in.status() != QDataStream::Ok || magic != StateMagic || version != 1 || !saved.isValid())
        return false;
    resize(saved);
    SplitterGrid->restoreState(grid);
    SplitterTables->restoreState(tables);
    if (page >= 0 && page < pcSQL->count() && pcSQL->widget(page) != tsResults)
        pcSQL->setCurrentIndex(page); // results are run by the user, not by opening
    fitScreen();
    return true;
}

void TfrmZkSQLBuilder::fitScreen()
{
    const QScreen *shown = screen();
    if (!shown)
        return;
    const QRect room = shown->availableGeometry();
    // The window frame around the client area, once the window is on screen.
    const QSize frame = isVisible() ? frameGeometry().size() - geometry().size() : QSize(0, 0);
    const QSize most = room.size() - frame;
    if (width() > most.width() || height() > most.height())
        resize(qMin(width(), most.width()), qMin(height(), most.height()));
    if (isVisible()) {
        QRect outer = frameGeometry();
        if (!room.contains(outer)) {
            outer.moveLeft(qBound(room.left(), outer.left(), room.right() - outer.width() + 1));
            outer.moveTop(qBound(room.top(), outer.top(), room.bottom() - outer.height() + 1));
            move(outer.topLeft());
        }
    }
}

void TfrmZkSQLBuilder::showEvent(QShowEvent *event)
{
    fitScreen();
    QDialog::showEvent(event);
}

// ---------------------------------------------------------------------------------------------
// The extended grid

void TfrmZkSQLBuilder::SetExtendedGrid(bool Value)
{
    if (FExtendedGrid == Value)
        return;
    hideEditors();
    FExtendedGrid = Value;
    const bool grouped = anyGrouped(sgColumnGrid);
    if (Value) {
        sgColumnGrid->SetRowCount(LastGridRow + 1);
        sgColumnGrid->SetCells(0, RowShow, tr("Show"));
        sgColumnGrid->SetCells(0, RowAlias, tr("Alias"));
        sgColumnGrid->SetCells(0, RowSortOrder, tr("Sort order"));
        for (int col = 1; col < sgColumnGrid->ColCount(); ++col) {
            if (!sgColumnGrid->Cells(col, RowField).isEmpty()
                && sgColumnGrid->Cells(col, RowShow).isEmpty())
                sgColumnGrid->SetCells(col, RowShow, QStringLiteral("1"));
        }
    }
    showHavingRow(this, grouped);
    sgColumnGrid->viewport()->setContextMenuPolicy(
        Value ? Qt::CustomContextMenu : Qt::DefaultContextMenu);
    sgColumnGrid->viewport()->update();
}

int TfrmZkSQLBuilder::appendColumn()
{
    int last = sgColumnGrid->ColCount() - 1;
    if (!sgColumnGrid->Cells(last, RowField).isEmpty()) {
        sgColumnGrid->SetColCount(sgColumnGrid->ColCount() + 1);
        last = sgColumnGrid->ColCount() - 1;
    }
    if (FExtendedGrid)
        sgColumnGrid->SetCells(last, RowShow, QStringLiteral("1"));
    return last;
}

int TfrmZkSQLBuilder::AddAllRowsColumn()
{
    const int col = appendColumn();
    sgColumnGrid->SetCells(col, RowField, AllRowsCell);
    sgColumnGrid->SetCells(col, RowCalculate, LoadResString(_strValueCOUNT));
    return col;
}

int TfrmZkSQLBuilder::DuplicateColumn(int ACol)
{
    TSchemaSubItem *row = ReferencedSubItem(sgColumnGrid->Cells(ACol, RowField));
    if (!row)
        return -1;
    const QString table = sgColumnGrid->Cells(ACol, RowTable);
    const int col = appendColumn();
    sgColumnGrid->SetCells(col, RowField, SubItemReference(row));
    sgColumnGrid->SetCells(col, RowTable, table);
    return col;
}

void TfrmZkSQLBuilder::gridContextMenu(const QPoint &Point)
{
    int col = -1;
    int row = -1;
    const QPoint at = sgColumnGrid->viewport()->mapTo(sgColumnGrid, Point);
    if (!sgColumnGrid->MouseToCell(at, col, row))
        col = -1;
    const QString field = col > 0 ? sgColumnGrid->Cells(col, RowField) : QString();
    TSchemaSubItem *subItem = ReferencedSubItem(field);
    int columnsOfRow = 0;
    for (int c = 1; subItem && c < sgColumnGrid->ColCount(); ++c)
        columnsOfRow += ReferencedSubItem(sgColumnGrid->Cells(c, RowField)) == subItem ? 1 : 0;

    QMenu menu(this);
    QAction *count = menu.addAction(tr("Add a column that counts the rows (COUNT(*))"));
    QAction *duplicate = menu.addAction(tr("Add this field again"));
    duplicate->setEnabled(subItem != nullptr);
    QAction *remove = menu.addAction(tr("Remove this column"));
    remove->setEnabled(field == AllRowsCell || columnsOfRow > 1);
    QAction *chosen = menu.exec(sgColumnGrid->viewport()->mapToGlobal(Point));
    if (!chosen)
        return;
    Guarded([&] {
        hideEditors();
        if (chosen == count)
            AddAllRowsColumn();
        else if (chosen == duplicate)
            DuplicateColumn(col);
        else if (chosen == remove)
            removeColumn(col);
    });
}

// ---------------------------------------------------------------------------------------------
// Importing a whole statement

namespace {

// Several conditions in one cell, AND-ed; one that holds OR gets parentheses of its own.
QString joinConditions(const QStringList &conditions)
{
    if (conditions.size() == 1)
        return conditions.first();
    static const QRegularExpression orWord(
        QStringLiteral("\\bOR\\b"), QRegularExpression::CaseInsensitiveOption);
    QStringList parts;
    for (const QString &c : conditions)
        parts << (c.contains(orWord) ? QLatin1Char('(') + c + QLatin1Char(')') : c);
    return parts.join(QStringLiteral(" AND "));
}

} // namespace

QString TfrmZkSQLBuilder::importCaption(const QString &Name, bool Quoted, QVariant *Object) const
{
    // The engine's own spelling: the same name, else (for a name written without quotes,
    // which the database reads without regard to case) the same name in other letter case.
    const QListWidgetItem *caseless = nullptr;
    for (int i = 0; i < lbTables->count(); ++i) {
        const QListWidgetItem *entry = lbTables->item(i);
        if (entry->text() == Name) {
            if (Object)
                *Object = entry->data(Qt::UserRole);
            return entry->text();
        }
        if (!caseless && !Quoted && SameText(entry->text(), Name))
            caseless = entry;
    }
    if (caseless) {
        if (Object)
            *Object = caseless->data(Qt::UserRole);
        return caseless->text();
    }
    return Name;
}

void TfrmZkSQLBuilder::ShowImportNotes(const QStringList &Notes)
{
    FImportNotes = Notes;
    lblSQLNotes->setText(Notes.join(QLatin1Char('\n')));
    lblSQLNotes->setVisible(!Notes.isEmpty());
    const QString line = Notes.join(QStringLiteral("; "));
    lblImportNotes->setText(Notes.isEmpty()
            ? QString()
            : QCoreApplication::translate("Diduza::TfrmZkSQLBuilder", "Not carried over: %1")
                  .arg(lblImportNotes->fontMetrics().elidedText(
                      VisibleText(line), Qt::ElideRight, qMax(200, width() - 120))));
    lblImportNotes->setToolTip(Notes.join(QLatin1Char('\n')));
    lblImportNotes->setVisible(!Notes.isEmpty());
}

QStringList TfrmZkSQLBuilder::ImportQuery(const ImportedQuery &Query)
{
    QStringList notes;
    auto show = [&] {
        notes.removeDuplicates();
        ShowImportNotes(notes);
        return notes;
    };
    if (!Query.Ok) {
        notes << QCoreApplication::translate(
            "Diduza::TfrmZkSQLBuilder", "The statement could not be read: %1")
                     .arg(Query.Error);
        return show();
    }
    TSchemaDesignArea *area = SchemaDesignArea;
    auto note = [&notes](const char *text, const QString &arg) {
        notes << QCoreApplication::translate("Diduza::TfrmZkSQLBuilder", text).arg(arg);
    };

    // The tables first, in FROM order: their rows are the catalogue the plan reads.
    const int tableCount = int(Query.Tables.size());
    QVector<QPointer<TSchemaItem>> items(tableCount);
    for (int t = 0; t < tableCount; ++t) {
        QVariant object;
        const QString caption
            = importCaption(Query.Tables.at(t).Name, Query.Tables.at(t).Quoted, &object);
        items[t] = area->AddItemObject(caption, scCheckListBox, object);
        if (!items[t])
            note(QT_TRANSLATE_NOOP("Diduza::TfrmZkSQLBuilder", "the table %1"), caption);
    }
    QueryImportOptions options;
    options.SubType = FDataEngine ? FDataEngine->SQLSubType() : stStandard;
    options.Extended = FExtendedGrid;
    options.Caption
        = [this](const QString &Name, bool Quoted) { return importCaption(Name, Quoted, nullptr); };
    QHash<QString, QStringList> fields;
    for (const QPointer<TSchemaItem> &item : items) {
        if (!item || fields.contains(item->Caption()))
            continue;
        QStringList names;
        for (int r = 0; r < item->GetSubItemCount(); ++r) {
            if (item->GetSubItem(r)->Caption() != AllFields)
                names << item->GetSubItem(r)->Caption();
        }
        fields.insert(item->Caption(), names);
    }
    options.Fields = [&fields](const QString &Caption) { return fields.value(Caption); };
    const QueryImportPlan plan = PlanImport(Query, options);
    notes << plan.LeftOut;

    // The items in the plan's order, in one row from (20, 20).
    QVector<TSchemaItem *> planned(plan.Tables.size(), nullptr);
    for (int k = 0; k < plan.Tables.size(); ++k)
        planned[k] = items.value(plan.Tables.at(k).Source);
    int base = area->ControlCount();
    for (const QPointer<TSchemaItem> &item : items) {
        if (item)
            base = std::min(base, area->IndexOfControl(item));
    }
    int place = 0;
    int left = 20;
    for (TSchemaItem *item : planned) {
        if (!item)
            continue;
        area->MoveControlTo(item, base + place++);
        item->SetLeft(left);
        item->SetTop(20);
        left += item->Width() + 20;
    }
    auto rowOf = [&](int table, const QString &field) -> TSchemaSubItem * {
        TSchemaItem *item = planned.value(table);
        return item ? item->GetSubItemByName(field) : nullptr;
    };
    auto columnText = [&](int table, const QString &field) {
        const QString caption = table >= 0 ? plan.Tables.at(table).Caption : QString();
        return caption.isEmpty() ? field : caption + QLatin1Char('.') + field;
    };

    // Relations, then their conditions (naming a table may depend on every relation placed).
    QVector<QPair<QPointer<TSchemaRelation>, const QueryImportPlan::Relation *>> made;
    for (const QueryImportPlan::Relation &r : plan.Relations) {
        TSchemaSubItem *parent = rowOf(r.ParentTable, r.ParentField);
        TSchemaSubItem *child = rowOf(r.ChildTable, r.ChildField);
        const QString text = columnText(r.ParentTable, r.ParentField) + QLatin1Char(' ')
            + JoinOperatorText(r.Operator) + QLatin1Char(' ')
            + columnText(r.ChildTable, r.ChildField);
        if (!parent || !child) {
            note(QT_TRANSLATE_NOOP(
                     "Diduza::TfrmZkSQLBuilder", "the join %1: a column the table does not have"),
                text);
            continue;
        }
        try {
            TSchemaRelation *relation
                = area->AddRelation(parent->ItemOwner(), child->ItemOwner(), parent, child);
            if (!relation)
                continue;
            relation->SetJoinOperator(r.Operator);
            relation->SetJoinType(r.Join);
            made.append({ relation, &r });
        } catch (const Exception &e) {
            note(QT_TRANSLATE_NOOP("Diduza::TfrmZkSQLBuilder", "the join %1: "), text);
            notes.last() += e.Message();
        }
    }
    // A condition's text names each table as the rebuilt statement does, and writes the names
    // the statement quotes (standard SQL's double quotes) in the database's quotes.
    std::function<QString(const QString &)> quote;
    if (FDataEngine) {
        const SqlNameQuoting quoting = FDataEngine->NameQuoting();
        const QChar open = quoting.OpenQuote, close = quoting.CloseQuote;
        if (open != QLatin1Char('"') || close != QLatin1Char('"'))
            quote = [open, close](const QString &Name) { return QuotedName(Name, open, close); };
    }
    const auto render = [&](const QVector<ImportText> &texts) {
        QStringList parts;
        for (const ImportText &text : texts) {
            parts << RenameTables(
                text,
                [&](const ImportColumn &column) -> QString {
                    const int table = plan.TableOfSource.value(column.Table, -1);
                    TSchemaItem *item = planned.value(table);
                    if (!item)
                        return QString();
                    QString name;
                    try {
                        name = GetTableName(item, true);
                    } catch (...) {
                        // The application's name hook is for statements; the cell gets the name
                        // the builder itself gives.
                        QueryInput input = queryInput(false);
                        input.TableNameHook = nullptr;
                        name = QueryTableName(input, tableOf(area, item), true);
                    }
                    return name;
                },
                quote);
        }
        return joinConditions(parts);
    };
    for (const auto &[relation, r] : made) {
        if (relation && !r->Conditions.isEmpty())
            relation->SetJoinCondition(render(r->Conditions));
    }

    // The columns, in the plan's order: a tick adds a field's first column.
    bool grouped = false;
    for (const QueryImportPlan::Column &c : plan.Columns) {
        int col = -1;
        if (c.AllRows) {
            col = AddAllRowsColumn();
        } else {
            TSchemaSubItem *row = rowOf(c.Table, c.Field);
            if (!row) {
                note(QT_TRANSLATE_NOOP(
                         "Diduza::TfrmZkSQLBuilder", "the field %1: the table has no such column"),
                    columnText(c.Table, c.Field));
                continue;
            }
            if (row->Checked()) {
                if (!FExtendedGrid || (col = DuplicateColumn(columnOf(row))) < 0) {
                    note(
                        QT_TRANSLATE_NOOP("Diduza::TfrmZkSQLBuilder", "the field %1 a second time"),
                        columnText(c.Table, c.Field));
                    continue;
                }
            } else {
                row->SetChecked(true);
                col = columnOf(row);
            }
        }
        if (col < 0)
            continue;
        static const QHash<QString, TResString> choices
            = { { "SUM", _strValueSUM }, { "COUNT", _strValueCOUNT }, { "MAX", _strValueMAX },
                  { "MIN", _strValueMIN }, { "AVG", _strValueAVG } };
        if (!c.Aggregate.isEmpty())
            sgColumnGrid->SetCells(col, RowCalculate, LoadResString(choices.value(c.Aggregate)));
        if (c.Sort > 0)
            sgColumnGrid->SetCells(
                col, RowSort, LoadResString(c.Sort == 2 ? _strSortDESC : _strSortASC));
        if (!c.Where.isEmpty())
            sgColumnGrid->SetCells(col, RowWhere, render(c.Where));
        if (c.Grouped) {
            sgColumnGrid->SetCells(col, RowGrouping, QStringLiteral("1"));
            grouped = true;
        }
        if (!c.Having.isEmpty())
            sgColumnGrid->SetCells(col, RowHaving, render(c.Having));
        if (FExtendedGrid) {
            sgColumnGrid->SetCells(
                col, RowShow, c.Show ? QStringLiteral("1") : QStringLiteral("0"));
            sgColumnGrid->SetCells(col, RowAlias, c.Alias);
            sgColumnGrid->SetCells(
                col, RowSortOrder, c.SortOrder > 0 ? QString::number(c.SortOrder) : QString());
        }
    }
    if (grouped)
        showHavingRow(this, true);
    cbDistinct->setChecked(plan.Distinct);
    return show();
}

} // namespace Diduza
