#include "querybuilder/TfrmZkSQLBuilder.h"
#include "querybuilder/TfrmZkSQLBuilderParts_p.h"

#include <QApplication>

namespace Diduza {

namespace {
// Starts a timer whenever a watched object gains or loses a child.
class ChildrenWatch : public QObject {
public:
    explicit ChildrenWatch(QTimer *timer)
        : QObject(timer)
        , m_timer(timer)
    {
    }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildRemoved)
            m_timer->start();
        return false;
    }

private:
    QTimer *m_timer;
};
} // namespace

// Paints the entries of the table list through the form, at the list's fixed entry height and
// the width of the widest name (which sets the list's horizontal scroll extent).
class TableListDelegate : public QStyledItemDelegate {
public:
    TableListDelegate(TfrmZkSQLBuilder *form, QObject *parent)
        : QStyledItemDelegate(parent)
        , FForm(form)
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
            FForm->lbTablesDrawItem(FForm->lbTables, index.row(), option.rect, state, *painter);
        });
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        return QSize(FForm->TablesHorizontalExtent(), TableEntryHeight);
    }

private:
    TfrmZkSQLBuilder *FForm;
};

TfrmZkSQLBuilder::TfrmZkSQLBuilder(QWidget *AOwner)
    : QDialog(AOwner)
    , d(std::make_unique<TfrmZkSQLBuilderPrivate>(this))
{
    createControls();
    formCreate();
    d->FCleanState = workState();
}

TfrmZkSQLBuilder::~TfrmZkSQLBuilder()
{
    // The items go first, while the form's events still exist; each raises OnDeleteItem.
    d->FDestroying = true;
    edWhere->removeEventFilter(this);
    cbGroupBy->removeEventFilter(this);
    cbFields->removeEventFilter(this);
    cbFields->lineEdit()->removeEventFilter(this);
    Guarded([this] {
        for (const TfrmZkSQLBuilderPrivate::Block &block : std::as_const(d->FBlocks)) {
            if (block.Area != SchemaDesignArea)
                delete block.Area.data();
        }
        delete SchemaDesignArea;
    });
    SchemaDesignArea = nullptr;
}

QString TfrmZkSQLBuilder::SQLText() const
{
    return d->FSQLText;
}

QAbstractItemModel *TfrmZkSQLBuilder::ResultModel() const
{
    return d->FResult;
}

bool TfrmZkSQLBuilder::SQLEditable() const
{
    return d->FSQLEditable;
}

bool TfrmZkSQLBuilder::BackgroundExecution() const
{
    return d->FBackgroundExecution;
}

int TfrmZkSQLBuilder::RowLimit() const
{
    return d->FRowLimit;
}

QString TfrmZkSQLBuilder::SQLError() const
{
    return d->FSQLError;
}

qsizetype TfrmZkSQLBuilder::SQLErrorPosition() const
{
    return d->FSQLErrorPosition;
}

bool TfrmZkSQLBuilder::ExtendedGrid() const
{
    return d->FExtendedGrid;
}

bool TfrmZkSQLBuilder::JoinByKeys() const
{
    return d->FJoinByKeys;
}

void TfrmZkSQLBuilder::SetJoinByKeys(bool Value)
{
    d->FJoinByKeys = Value;
}

TDrawItemEvent TfrmZkSQLBuilder::OnDrawTableItem() const
{
    return d->FOnDrawTableItem;
}

void TfrmZkSQLBuilder::SetOnDrawTableItem(TDrawItemEvent h)
{
    d->FOnDrawTableItem = std::move(h);
}

TGetSchemaItemEvent TfrmZkSQLBuilder::OnGetTableName() const
{
    return d->FOnGetTableName;
}

void TfrmZkSQLBuilder::SetOnGetTableName(TGetSchemaItemEvent h)
{
    d->FOnGetTableName = std::move(h);
}

TGetSchemaSubItemEvent TfrmZkSQLBuilder::OnGetFieldName() const
{
    return d->FOnGetFieldName;
}

void TfrmZkSQLBuilder::SetOnGetFieldName(TGetSchemaSubItemEvent h)
{
    d->FOnGetFieldName = std::move(h);
}

TSchemaItemEvent TfrmZkSQLBuilder::OnAddItem() const
{
    return d->FOnAddItem;
}

void TfrmZkSQLBuilder::SetOnAddItem(TSchemaItemEvent h)
{
    d->FOnAddItem = std::move(h);
}

TSchemaItemEvent TfrmZkSQLBuilder::OnDeleteItem() const
{
    return d->FOnDeleteItem;
}

void TfrmZkSQLBuilder::SetOnDeleteItem(TSchemaItemEvent h)
{
    d->FOnDeleteItem = std::move(h);
}

int TfrmZkSQLBuilder::TablesHorizontalExtent() const
{
    return d->FTablesExtent;
}

QString TfrmZkSQLBuilder::FileFilter() const
{
    return d->FFileFilter;
}

QString TfrmZkSQLBuilder::DefaultExt() const
{
    return d->FDefaultExt;
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

    createDesignArea();

    pcSQL = new QTabWidget(SplitterGrid);
    pcSQL->setObjectName(QStringLiteral("pcSQL"));
    pcSQL->setTabPosition(QTabWidget::South);
    pcSQL->tabBar()->setAttribute(Qt::WA_Hover); // hot tracking
    SplitterGrid->addWidget(SplitterTables);
    SplitterGrid->addWidget(pcSQL);
    // Height the form gains or loses is shared between the canvas and the pages.
    SplitterGrid->setStretchFactor(0, 1);
    SplitterGrid->setStretchFactor(1, 1);
    SplitterGrid->setSizes(
        { FormHeight - ToolbarHeight - PagesHeight - SplitterWidth, PagesHeight });

    createColumnsPage();
    d->FBlocks.append({ SchemaDesignArea, sgColumnGrid, false, soUnion });
    createOptionsPage();

    createStatementPages();
    pcSQL->setCurrentWidget(tsColumns);
    connect(
        pcSQL, &QTabWidget::currentChanged, this, [this] { Guarded([&] { pcSQLChange(pcSQL); }); });
    // Ctrl+Tab and Ctrl+Shift+Tab change pages wherever the focus is in the form.
    for (const QKeySequence &keys :
        { QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_Backtab),
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab) }) {
        const bool forward = keys == QKeySequence(Qt::CTRL | Qt::Key_Tab);
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [this, forward] {
            const int count = pcSQL->count();
            if (count > 1)
                pcSQL->setCurrentIndex((pcSQL->currentIndex() + (forward ? 1 : count - 1)) % count);
        });
    }
}

void TfrmZkSQLBuilder::fitGridOnOpening()
{
    const bool chosen = d->FSizeChosen;
    d->FSizeChosen = true;
    if (chosen || size() != QSize(FormWidth, FormHeight))
        return; // shown before, restored, or sized by the application
    // Every row the grid has, the extended grid's having row too, which grouping shows (the
    // designed pages show the designed grid's rows).
    int rows = 0;
    for (int row = 0; row < sgColumnGrid->RowCount(); ++row) {
        if (!sgColumnGrid->isRowHidden(row) || (d->FExtendedGrid && row == RowHaving))
            rows += sgColumnGrid->rowHeight(row);
    }
    // The pages' tab bar and frames round the grid, as laid out at the designed size.
    pcSQL->ensurePolished();
    QResizeEvent laidOut(pcSQL->size(), pcSQL->size());
    QCoreApplication::sendEvent(pcSQL, &laidOut);
    const int chrome = pcSQL->height() - tsColumns->height() + 2 * sgColumnGrid->frameWidth();
    const int pages = std::max(PagesHeight, chrome + rows);
    // The block bar of the extended grid stands above the canvas, which keeps its height.
    // It is as high with the operator list (blocks after the first) as without it.
    const int bar = pnlBlocks && !pnlBlocks->isHidden() ? pnlBlocks->sizeHint().height() : 0;
    if (bar > 0)
        pnlBlocks->setFixedHeight(bar);
    const int canvas = FormHeight - ToolbarHeight - PagesHeight - SplitterWidth + bar;
    if (pages == PagesHeight && bar == 0)
        return;
    resize(width(), height() + pages - PagesHeight + bar);
    SplitterGrid->setSizes({ canvas, pages });
}

void TfrmZkSQLBuilder::showAliases()
{
    if (d->FDestroying)
        return;
    QVector<TSchemaDesignArea *> areas;
    for (const TfrmZkSQLBuilderPrivate::Block &block : std::as_const(d->FBlocks)) {
        if (block.Area)
            areas << block.Area;
    }
    if (SchemaDesignArea && !areas.contains(SchemaDesignArea))
        areas << SchemaDesignArea;
    // As the statement names them: a caption two items of a block share gets the caption and
    // the item's index as alias. An application that names the tables itself gives its own
    // names.
    const bool ownNames = bool(d->FOnGetTableName);
    for (TSchemaDesignArea *area : std::as_const(areas)) {
        QHash<QString, int> uses;
        for (int i = 0; i < area->GetItemCount(); ++i)
            ++uses[area->GetItem(i)->GetCaption()];
        for (int i = 0; i < area->GetItemCount(); ++i) {
            TSchemaItem *item = area->GetItem(i);
            const QString caption = item->GetCaption();
            item->SetAlias(!ownNames && uses.value(caption) > 1
                    ? caption + QString::number(area->GetItemIndex(item))
                    : QString());
        }
    }
}

void TfrmZkSQLBuilder::createDesignArea()
{
    // The block bar (extended grid) above the blocks' design areas, of which one shows.
    pnlDesign = new QWidget(SplitterTables);
    pnlDesign->setObjectName(QStringLiteral("pnlDesign"));
    auto *designLayout = new QVBoxLayout(pnlDesign);
    designLayout->setContentsMargins(0, 0, 0, 0);
    designLayout->setSpacing(0);
    createBlockBar();
    designLayout->addWidget(pnlBlocks);
    SchemaDesignArea = newBlockArea();
    createTablePanel();
    SplitterTables->addWidget(pnlDesign);
    SplitterTables->addWidget(pnlTables);
    SplitterTables->setStretchFactor(0, 1);
    SplitterTables->setStretchFactor(1, 0);
    SplitterTables->setSizes({ FormWidth - TablesWidth - SplitterWidth, TablesWidth });
}

TSchemaDesignArea *TfrmZkSQLBuilder::newBlockArea()
{
    auto *area = new TSchemaDesignArea(pnlDesign);
    pnlDesign->layout()->addWidget(area);
    area->SetColor(clWhite);
    area->SetImages(imgSQL);
    area->SetReadOnly(false);
    area->SetOnAddItem(
        [this](QObject *Sender, TSchemaItem *item) { SchemaDesignAreaAddItem(Sender, item); });
    area->SetOnAddSubItem([this](QObject *Sender, TSchemaSubItem *SubItem) {
        SchemaDesignAreaAddSubItem(Sender, SubItem);
    });
    area->SetOnDeleteItem(
        [this](QObject *Sender, TSchemaItem *item) { SchemaDesignAreaDeleteItem(Sender, item); });
    // The titles of tables the diagram holds twice show their aliases, which follow the
    // items' places in the area's list: once the additions and removals of items (children of
    // the viewport) and relations (of the area) are done, an import's reordering too.
    if (!d->FAliasTimer) {
        d->FAliasTimer = new QTimer(this);
        d->FAliasTimer->setSingleShot(true);
        d->FAliasTimer->setInterval(0);
        connect(
            d->FAliasTimer, &QTimer::timeout, this, [this] { Guarded([&] { showAliases(); }); });
    }
    auto *watch = new ChildrenWatch(d->FAliasTimer);
    area->installEventFilter(watch);
    area->viewport()->installEventFilter(watch);
    area->SetOnDragOver(
        [this](QObject *Sender, QObject *Source, int X, int Y, TDragState State, bool &Accept) {
            SchemaDesignAreaDragOver(Sender, Source, X, Y, State, Accept);
        });
    area->SetOnDragDrop([this](QObject *Sender, QObject *Source, int X, int Y) {
        SchemaDesignAreaDragDrop(Sender, Source, X, Y);
    });
    // Undo and redo (Ctrl+Z, Ctrl+Y or Ctrl+Shift+Z) and find (Ctrl+F) on the area.
    area->UndoAction();
    area->RedoAction();
    area->FindAction();
    // The whole diagram by keyboard: Tab through the items, the arrows through rows and
    // relations, Ctrl+L joins the focused row. The items' menus and the canvas's add the
    // related tables and all tables.
    area->SetKeyboardNavigation(true);
    area->LinkAction();
    area->RelatedTablesAction();
    auto *canvasMenu = new QMenu(area);
    canvasMenu->setObjectName(QStringLiteral("pmDesignArea"));
    canvasMenu->addAction(area->AllTablesAction(scCheckListBox));
    area->SetPopupMenu(canvasMenu);
    return area;
}

// The column grid and its in-place editors.
void TfrmZkSQLBuilder::createColumnsPage()
{
    tsColumns = new QWidget;
    tsColumns->setObjectName(QStringLiteral("tsColumns"));
    pcSQL->addTab(tsColumns, QString());
    auto *columnsLayout = new QVBoxLayout(tsColumns);
    columnsLayout->setContentsMargins(0, 0, 0, 0);
    sgColumnGrid = newBlockGrid();

    // The in-place editors, above the grid (the one of the block shown).
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

    // The extended grid's Field row: an expression typed in, or a field or "Expression..."
    // picked from the list.
    cbFields = new QComboBox(tsColumns);
    cbFields->setObjectName(QStringLiteral("cbFields"));
    cbFields->setEditable(true);
    cbFields->setInsertPolicy(QComboBox::NoInsert);
    cbFields->hide();
    cbFields->installEventFilter(this);
    cbFields->lineEdit()->installEventFilter(this);
    connect(cbFields, &QComboBox::activated, this,
        [this](int index) { Guarded([&] { fieldPicked(index); }); });
    // The typed text is checked as it is typed: marked red, with why as its tip.
    connect(cbFields->lineEdit(), &QLineEdit::textEdited, this, [this](const QString &text) {
        Guarded([&] {
            QString error;
            if (!text.trimmed().isEmpty() && cbFields->findText(text) < 0) {
                const ColumnExpressionReading reading
                    = ReadColumnExpression(text, d->expressionTables(), spelling());
                if (!reading.Ok)
                    error = reading.ErrorLine > 0 ? tr("%1 (line %2, column %3)")
                                                        .arg(reading.Error)
                                                        .arg(reading.ErrorLine)
                                                        .arg(reading.ErrorColumn)
                                                  : reading.Error;
            }
            QPalette palette = cbFields->lineEdit()->palette();
            palette.setColor(QPalette::Text,
                error.isEmpty() ? QApplication::palette(cbFields).color(QPalette::Text)
                                : QColor(0xd0, 0x20, 0x20));
            cbFields->lineEdit()->setPalette(palette);
            cbFields->setToolTip(error);
            if (!error.isEmpty() && cbFields->isVisible())
                QToolTip::showText(
                    cbFields->mapToGlobal(QPoint(0, cbFields->height())), error, cbFields);
            else
                QToolTip::hideText();
        });
    });
}

TStringGrid *TfrmZkSQLBuilder::newBlockGrid()
{
    auto *grid = new TStringGrid(tsColumns);
    grid->setObjectName(QStringLiteral("sgColumnGrid"));
    tsColumns->layout()->addWidget(grid);
    grid->SetColCount(2);
    grid->SetRowCount(6);
    grid->SetFixedCols(1);
    grid->SetFixedRows(1);
    grid->SetDefaultColWidth(100);
    grid->SetDefaultRowHeight(19);
    grid->SetColumnsMovable(true);
    grid->SetColumnsSizable(true);
    grid->SetOnSelectCell([this](QObject *Sender, int ACol, int ARow, bool &CanSelect) {
        sgColumnGridSelectCell(Sender, ACol, ARow, CanSelect);
    });
    grid->viewport()->installEventFilter(this); // tool tips of cut cells
    connect(grid->viewport(), &QWidget::customContextMenuRequested, this,
        [this](const QPoint &at) { Guarded([&] { gridContextMenu(at); }); });
    grid->SetOnColumnMoved([this](QObject *, int FromIndex, int ToIndex) {
        SchemaUndoGroup step(SchemaDesignArea, tr("Move column"));
        if (QUndoCommand *parent = step.Parent())
            new GridMoveCommand(this, parent, FromIndex, ToIndex);
    });
    grid->SetOnDrawCell(
        [this](QObject *Sender, int ACol, int ARow, const QRect &Rect, TGridDrawState State,
            QPainter &Canvas) { sgColumnGridDrawCell(Sender, ACol, ARow, Rect, State, Canvas); });
    grid->setAccessibleName(LoadResString(_strColumnPage));
    // A screen reader hears what the cells show: the field a column is of, ticks as words.
    grid->SetOnGetAccessibleText([this](QObject *, int ACol, int ARow, QString &Text) {
        if (ACol < 1 || !SchemaDesignArea)
            return;
        if (ARow == RowField) {
            if (TSchemaSubItem *row = ReferencedSubItem(Text))
                Text = row->ItemOwner()->Caption() + QLatin1Char('.') + row->Caption();
            else if (TfrmZkSQLBuilderPrivate::isCalculatedCell(Text))
                Text = d->renderExpression(Text);
        } else if (ARow == RowGrouping || (d->FExtendedGrid && ARow == RowShow)) {
            const bool ticked
                = ARow == RowShow ? Text != QLatin1String("0") : Text == QLatin1String("1");
            Text = ticked ? tr("ticked") : tr("not ticked");
        }
    });
    // The titles (the having row's while the row exists; it then stays hidden, with its
    // texts, until a grouping tick is committed).
    const TResString titles[] = { _strFieldName, _strTableName, _strValueName, _strSortName,
        _strWhereName, _strGroupName, _strHavingName };
    grid->SetRowCount(RowHaving + 1);
    for (int row = RowField; row <= RowHaving; ++row)
        grid->SetCells(0, row, LoadResString(titles[row]));
    grid->SetRowCount(RowHaving);
    return grid;
}

void TfrmZkSQLBuilder::createOptionsPage()
{
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
            if (TSchemaDataEngine *engine = d->FDataEngine)
                engine->SetSQLSubType(TSQLSubType(cbDialect->currentData().toInt()));
        });
    });

    // The row limit of the extended grid: at most so many rows, after skipping so many.
    lblLimit = new QLabel(tsOptions);
    lblLimit->setObjectName(QStringLiteral("lblLimit"));
    seLimit = new QSpinBox(tsOptions);
    seLimit->setObjectName(QStringLiteral("seLimit"));
    seLimit->setRange(-1, INT_MAX);
    seLimit->setValue(-1);
    seOffset = new QSpinBox(tsOptions);
    seOffset->setObjectName(QStringLiteral("seOffset"));
    seOffset->setRange(0, INT_MAX);
    lblLimit->setBuddy(seLimit);
    lblLimit->move(8, 64);
    for (QWidget *w : std::initializer_list<QWidget *> { lblLimit, seLimit, seOffset })
        w->hide();
    connect(
        seLimit, &QSpinBox::valueChanged, this, [this](int value) { d->FStatementLimit = value; });
    connect(seOffset, &QSpinBox::valueChanged, this,
        [this](int value) { d->FStatementOffset = value; });
}

qint64 TfrmZkSQLBuilder::StatementLimit() const
{
    return d->FStatementLimit;
}

void TfrmZkSQLBuilder::SetStatementLimit(qint64 Value)
{
    d->FStatementLimit = Value < 0 ? -1 : Value;
    const QSignalBlocker blocker(seLimit);
    seLimit->setValue(int(std::min<qint64>(d->FStatementLimit, INT_MAX)));
}

qint64 TfrmZkSQLBuilder::StatementOffset() const
{
    return d->FStatementOffset;
}

void TfrmZkSQLBuilder::SetStatementOffset(qint64 Value)
{
    d->FStatementOffset = std::max<qint64>(Value, 0);
    const QSignalBlocker blocker(seOffset);
    seOffset->setValue(int(std::min<qint64>(d->FStatementOffset, INT_MAX)));
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

    cbSchemas = new QComboBox(pnlTables);
    cbSchemas->setObjectName(QStringLiteral("cbSchemas"));
    cbSchemas->setToolTip(tr("The schemas whose tables the list shows"));
    cbSchemas->hide();
    connect(cbSchemas, &QComboBox::currentIndexChanged, this,
        [this] { Guarded([&] { filterTables(); }); });
    column->addWidget(cbSchemas);

    lbTables = CreateTableList(this, pnlTables);
    lbTables->setObjectName(QStringLiteral("lbTables"));
    lbTables->setAccessibleName(tr("Tables"));
    lbTables->setUniformItemSizes(true);
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
    SQLMemo->setAccessibleName(LoadResString(_strSQLPage));
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
    DBGrid1->setAccessibleName(LoadResString(_strResultPage));
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setTabKeyNavigation(false); // Tab leaves the grid, the arrows move in it
    DBGrid1->verticalHeader()->setDefaultSectionSize(19);
    auto *resultsLayout = new QVBoxLayout(tsResults);
    resultsLayout->setContentsMargins(0, 0, 0, 0);
    resultsLayout->setSpacing(0);
    resultsLayout->addWidget(lblResultError);
    resultsLayout->addWidget(DBGrid1, 1);
    createQueryTools();
}

void TfrmZkSQLBuilder::createSqlTools()
{
    // The SQL page's bar: the parse error, busy while a statement runs, Apply, Run.
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
    pbSQLRunning = new QProgressBar(pnlSQLTools);
    pbSQLRunning->setObjectName(QStringLiteral("pbSQLRunning"));
    pbSQLRunning->setRange(0, 0);
    pbSQLRunning->setMaximumWidth(80);
    pbSQLRunning->setTextVisible(false);
    pbSQLRunning->hide();
    sqlBar->addWidget(lblSQLError, 1);
    sqlBar->addWidget(pbSQLRunning);
    sqlBar->addWidget(btnApplySQL);
    sqlBar->addWidget(btnRunSQL);
    pnlSQLTools->hide();
    static_cast<QVBoxLayout *>(tsSQL->layout())->insertWidget(1, pnlSQLTools);
    connect(btnApplySQL, &QPushButton::clicked, this,
        [this] { Guarded([&] { ApplySQLToDiagram(); }); });
    connect(btnRunSQL, &QPushButton::clicked, this, [this] { Guarded([&] { RunSQLText(); }); });
    d->FCheckTimer = new QTimer(this);
    d->FCheckTimer->setSingleShot(true);
    d->FCheckTimer->setInterval(400);
    connect(d->FCheckTimer, &QTimer::timeout, this, [this] { Guarded([&] { CheckSQLText(); }); });
    connect(
        SQLMemo, &QPlainTextEdit::textChanged, this, [this] { Guarded([&] { sqlTextEdited(); }); });
}

void TfrmZkSQLBuilder::createResultTools()
{
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
    connect(seRowLimit, &QSpinBox::valueChanged, this, [this](int v) { d->FRowLimit = v; });
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
            if (!StartSavingResultsCsv(name, &error))
                DialogService()->ShowError(this, error);
        });
    });
}

void TfrmZkSQLBuilder::createQueryTools()
{
    createSqlTools();
    createResultTools();

    // Copying cells, and the run keys.
    createResultActions();
    for (const QKeySequence &keys : { QKeySequence(Qt::Key_F5),
             QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter) }) {
        auto *run = new QShortcut(keys, this);
        connect(run, &QShortcut::activated, this, [this] {
            if ((!d->FBackgroundExecution && !d->FSQLEditable) || IsRunning() || IsSavingResults())
                return;
            Guarded([&] {
                if (d->FSQLEditable && pcSQL->currentWidget() == tsSQL)
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
    // A screen reader names the glyph buttons by their hints.
    for (QToolButton *button :
        { btnNew, btnOpen, btnSave, btnShowGrid, btnShowTables, btnGenSQL, btnExecSQL })
        button->setAccessibleName(button->toolTip());
    pnlToolbarResize(pnlToolbar);

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

    lblLimit->setText(
        QCoreApplication::translate("Diduza::TfrmZkSQLBuilder", "Return at &most (rows):"));
    lblLimit->adjustSize();
    seLimit->setSpecialValueText(QCoreApplication::translate("Diduza::TfrmZkSQLBuilder", "all"));
    seOffset->setPrefix(QCoreApplication::translate("Diduza::TfrmZkSQLBuilder", "after skipping "));
    seLimit->adjustSize();
    seOffset->adjustSize();
    seLimit->move(lblLimit->x() + lblLimit->width() + 6, 60);
    seOffset->move(seLimit->x() + seLimit->width() + 6, 60);
    showDialect();

    d->FFileFilter = LoadResString(_sSchemaFiles) + QLatin1Char('|') + LoadResString(_sAllFiles);
    d->FDefaultExt = QStringLiteral("sch");
}

// ---------------------------------------------------------------------------------------------
// Properties

TSchemaDataEngine *TfrmZkSQLBuilder::DataEngine() const
{
    return d->FDataEngine;
}

void TfrmZkSQLBuilder::showDialect()
{
    TSchemaDataEngine *engine = d->FDataEngine;
    cbDialect->setEnabled(engine != nullptr);
    cbDialect->setCurrentIndex(engine ? cbDialect->findData(int(engine->SQLSubType())) : -1);
}

void TfrmZkSQLBuilder::SetDataEngine(TSchemaDataEngine *Value)
{
    if (d->FDataEngine == Value)
        return;
    d->FDataEngine = Value;
    SchemaDesignArea->SetDataEngine(Value);
    showDialect();
    if (d->FHighlighter)
        d->FHighlighter->SetSpelling(spelling());

    lbTables->clear();
    d->FTablesExtent = 0;
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
            d->FTablesExtent = widest + 19;
    }
    fillSchemaFilter();
    lbTables->doItemsLayout();
}

namespace {
// The role of a table-list entry's schema: empty for a table named by its own name alone.
constexpr int SchemaRole = Qt::UserRole + 1;
} // namespace

void TfrmZkSQLBuilder::fillSchemaFilter()
{
    const QSignalBlocker quiet(cbSchemas);
    cbSchemas->clear();
    TSchemaDataEngine *engine = d->FDataEngine;
    const SqlNameQuoting quoting
        = engine && lbTables->count() > 0 ? engine->NameQuoting() : SqlNameQuoting();
    QStringList schemas;
    for (int i = 0; i < lbTables->count(); ++i) {
        QListWidgetItem *entry = lbTables->item(i);
        const QStringList parts
            = quoting.TableParts ? quoting.TableParts(entry->text()) : QStringList();
        const QString schema = parts.size() > 1
            ? QStringList(parts.begin(), parts.end() - 1).join(QLatin1Char('.'))
            : QString();
        entry->setData(SchemaRole, schema);
        entry->setHidden(false);
        if (!schema.isEmpty() && !schemas.contains(schema))
            schemas << schema;
    }
    cbSchemas->setVisible(!schemas.isEmpty());
    if (schemas.isEmpty())
        return;
    std::sort(schemas.begin(), schemas.end(),
        [](const QString &a, const QString &b) { return CompareText(a, b) < 0; });
    cbSchemas->addItem(tr("All schemas"));
    cbSchemas->addItem(tr("Search path"), QString(""));
    for (const QString &schema : std::as_const(schemas))
        cbSchemas->addItem(schema, schema);
    cbSchemas->setCurrentIndex(0);
}

void TfrmZkSQLBuilder::filterTables()
{
    const QVariant chosen = cbSchemas->currentData();
    for (int i = 0; i < lbTables->count(); ++i) {
        QListWidgetItem *entry = lbTables->item(i);
        entry->setHidden(
            chosen.isValid() && entry->data(SchemaRole).toString() != chosen.toString());
    }
}

} // namespace Diduza
