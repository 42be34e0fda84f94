#include "querybuilder/TfrmZkSQLBuilder.h"
#include "querybuilder/TfrmZkSQLBuilder_p.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "engines/TSchemaDataEngine.h"
#include "engines/TSchemaRunModel.h"
#include "platform/Application.h"
#include "platform/ResourceStrings.h"
#include "platform/TImageList.h"
#include "querybuilder/SqlTemplate.h"
#include "relations/TSchemaRelation.h"
#include "resources/Glyphs.h"
#include "sqlparser/SelectImport.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

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

TfrmZkSQLBuilder::TfrmZkSQLBuilder(QWidget *AOwner)
    : QDialog(AOwner)
    , d(std::make_unique<TfrmZkSQLBuilderPrivate>(this))
{
    d->createControls();
    d->formCreate();
    d->FCleanState = d->pages.workState();
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
    return d->pages.FSQLText;
}

QAbstractItemModel *TfrmZkSQLBuilder::ResultModel() const
{
    return d->pages.FResult;
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
    return d->pages.FSQLError;
}

qsizetype TfrmZkSQLBuilder::SQLErrorPosition() const
{
    return d->pages.FSQLErrorPosition;
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

void TfrmZkSQLBuilder::SetOnDrawTableItem(TDrawItemEvent Value)
{
    d->FOnDrawTableItem = std::move(Value);
}

TGetSchemaItemEvent TfrmZkSQLBuilder::OnGetTableName() const
{
    return d->FOnGetTableName;
}

void TfrmZkSQLBuilder::SetOnGetTableName(TGetSchemaItemEvent Value)
{
    d->FOnGetTableName = std::move(Value);
}

TGetSchemaSubItemEvent TfrmZkSQLBuilder::OnGetFieldName() const
{
    return d->FOnGetFieldName;
}

void TfrmZkSQLBuilder::SetOnGetFieldName(TGetSchemaSubItemEvent Value)
{
    d->FOnGetFieldName = std::move(Value);
}

TSchemaItemEvent TfrmZkSQLBuilder::OnAddItem() const
{
    return d->FOnAddItem;
}

void TfrmZkSQLBuilder::SetOnAddItem(TSchemaItemEvent Value)
{
    d->FOnAddItem = std::move(Value);
}

TSchemaItemEvent TfrmZkSQLBuilder::OnDeleteItem() const
{
    return d->FOnDeleteItem;
}

void TfrmZkSQLBuilder::SetOnDeleteItem(TSchemaItemEvent Value)
{
    d->FOnDeleteItem = std::move(Value);
}

int TfrmZkSQLBuilder::TablesHorizontalExtent() const
{
    return d->tables.FTablesExtent;
}

QString TfrmZkSQLBuilder::FileFilter() const
{
    return d->FFileFilter;
}

QString TfrmZkSQLBuilder::DefaultExt() const
{
    return d->FDefaultExt;
}

void TfrmZkSQLBuilderPrivate::createControls()
{
    q->setObjectName(QStringLiteral("frmZkSQLBuilder"));
    q->setWindowTitle(QCoreApplication::translate(
        "Diduza::TfrmZkSQLBuilder", "Tarvelon Software: Diduza REVIzirovi"));
    QFont formFont(QStringLiteral("MS Sans Serif"));
    formFont.setPixelSize(11);
    q->setFont(formFont);
    q->resize(FormWidth, FormHeight);
    q->setWindowIcon(QIcon(QPixmap::fromImage(
        RenderGlyph(QStringLiteral(":/diduza/builder/FORM_ICON.svg"), QSize(32, 32)))));

    q->imgSQL = new TImageList(16, 16, q);
    q->imgSQL->setObjectName(QStringLiteral("imgSQL"));
    for (const char *glyph : { ":/diduza/builder/TABLE.svg", ":/diduza/builder/FIELD.svg" })
        q->imgSQL->Add(QPixmap::fromImage(RenderGlyph(QLatin1String(glyph), QSize(16, 16))));

    // Tool bar on top; below it the pages span the whole width, and between them stand the
    // design area and, on the right, the table panel.
    auto *layout = new QVBoxLayout(q);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    createToolbar();
    layout->addWidget(q->pnlToolbar);

    q->SplitterGrid = new QSplitter(Qt::Vertical, q);
    q->SplitterGrid->setObjectName(QStringLiteral("SplitterGrid"));
    q->SplitterGrid->setHandleWidth(SplitterWidth);
    q->SplitterGrid->setChildrenCollapsible(false);
    layout->addWidget(q->SplitterGrid, 1);
    // What an import could not carry, on one line below the rest (the whole text as tip).
    q->lblImportNotes = new QLabel(q);
    q->lblImportNotes->setObjectName(QStringLiteral("lblImportNotes"));
    q->lblImportNotes->setContentsMargins(6, 2, 6, 2);
    q->lblImportNotes->setTextFormat(Qt::PlainText);
    q->lblImportNotes->hide();
    layout->addWidget(q->lblImportNotes);

    q->SplitterTables = new QSplitter(Qt::Horizontal, q->SplitterGrid);
    q->SplitterTables->setObjectName(QStringLiteral("SplitterTables"));
    q->SplitterTables->setHandleWidth(SplitterWidth);
    q->SplitterTables->setChildrenCollapsible(false);

    createDesignArea();

    q->pcSQL = new QTabWidget(q->SplitterGrid);
    q->pcSQL->setObjectName(QStringLiteral("pcSQL"));
    q->pcSQL->setTabPosition(QTabWidget::South);
    q->pcSQL->tabBar()->setAttribute(Qt::WA_Hover); // hot tracking
    q->SplitterGrid->addWidget(q->SplitterTables);
    q->SplitterGrid->addWidget(q->pcSQL);
    // Height the form gains or loses is shared between the canvas and the pages.
    q->SplitterGrid->setStretchFactor(0, 1);
    q->SplitterGrid->setStretchFactor(1, 1);
    q->SplitterGrid->setSizes(
        { FormHeight - ToolbarHeight - PagesHeight - SplitterWidth, PagesHeight });

    grid.createColumnsPage();
    FBlocks.append({ q->SchemaDesignArea, q->sgColumnGrid, false, soUnion });
    createOptionsPage();

    pages.createStatementPages();
    q->pcSQL->setCurrentWidget(q->tsColumns);
    QObject::connect(q->pcSQL, &QTabWidget::currentChanged, q,
        [this] { Guarded([&] { q->pcSQLChange(q->pcSQL); }); });
    // Ctrl+Tab and Ctrl+Shift+Tab change pages wherever the focus is in the form.
    for (const QKeySequence &keys :
        { QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_Backtab),
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab) }) {
        const bool forward = keys == QKeySequence(Qt::CTRL | Qt::Key_Tab);
        QObject::connect(new QShortcut(keys, q), &QShortcut::activated, q, [this, forward] {
            const int count = q->pcSQL->count();
            if (count > 1)
                q->pcSQL->setCurrentIndex(
                    (q->pcSQL->currentIndex() + (forward ? 1 : count - 1)) % count);
        });
    }
}

void TfrmZkSQLBuilderPrivate::fitGridOnOpening()
{
    const bool chosen = FSizeChosen;
    FSizeChosen = true;
    if (chosen || q->size() != QSize(FormWidth, FormHeight))
        return; // shown before, restored, or sized by the application
    // Every row the grid has, the extended grid's having row too, which grouping shows (the
    // designed pages show the designed grid's rows).
    int rows = 0;
    for (int row = 0; row < q->sgColumnGrid->RowCount(); ++row) {
        if (!q->sgColumnGrid->isRowHidden(row) || (FExtendedGrid && row == RowHaving))
            rows += q->sgColumnGrid->rowHeight(row);
    }
    // The pages' tab bar and frames round the grid, as laid out at the designed size.
    q->pcSQL->ensurePolished();
    QResizeEvent laidOut(q->pcSQL->size(), q->pcSQL->size());
    QCoreApplication::sendEvent(q->pcSQL, &laidOut);
    const int chrome
        = q->pcSQL->height() - q->tsColumns->height() + 2 * q->sgColumnGrid->frameWidth();
    const int pages = std::max(PagesHeight, chrome + rows);
    // The block bar of the extended grid stands above the canvas, which keeps its height.
    // It is as high with the operator list (blocks after the first) as without it.
    const int bar
        = q->pnlBlocks && !q->pnlBlocks->isHidden() ? q->pnlBlocks->sizeHint().height() : 0;
    if (bar > 0)
        q->pnlBlocks->setFixedHeight(bar);
    const int canvas = FormHeight - ToolbarHeight - PagesHeight - SplitterWidth + bar;
    if (pages == PagesHeight && bar == 0)
        return;
    q->resize(q->width(), q->height() + pages - PagesHeight + bar);
    q->SplitterGrid->setSizes({ canvas, pages });
}

void TfrmZkSQLBuilderPrivate::showAliases()
{
    if (FDestroying)
        return;
    QVector<TSchemaDesignArea *> areas;
    for (const TfrmZkSQLBuilderPrivate::Block &block : std::as_const(FBlocks)) {
        if (block.Area)
            areas << block.Area;
    }
    if (q->SchemaDesignArea && !areas.contains(q->SchemaDesignArea))
        areas << q->SchemaDesignArea;
    // As the statement names them: a caption two items of a block share gets the caption and
    // the item's index as alias. An application that names the tables itself gives its own
    // names.
    const bool ownNames = bool(FOnGetTableName);
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

void TfrmZkSQLBuilderPrivate::createDesignArea()
{
    // The block bar (extended grid) above the blocks' design areas, of which one shows.
    q->pnlDesign = new QWidget(q->SplitterTables);
    q->pnlDesign->setObjectName(QStringLiteral("pnlDesign"));
    auto *designLayout = new QVBoxLayout(q->pnlDesign);
    designLayout->setContentsMargins(0, 0, 0, 0);
    designLayout->setSpacing(0);
    createBlockBar();
    designLayout->addWidget(q->pnlBlocks);
    q->SchemaDesignArea = newBlockArea();
    tables.createTablePanel();
    q->SplitterTables->addWidget(q->pnlDesign);
    q->SplitterTables->addWidget(q->pnlTables);
    q->SplitterTables->setStretchFactor(0, 1);
    q->SplitterTables->setStretchFactor(1, 0);
    q->SplitterTables->setSizes({ FormWidth - TablesWidth - SplitterWidth, TablesWidth });
}

TSchemaDesignArea *TfrmZkSQLBuilderPrivate::newBlockArea()
{
    auto *area = new TSchemaDesignArea(q->pnlDesign);
    q->pnlDesign->layout()->addWidget(area);
    area->SetColor(clWhite);
    area->SetImages(q->imgSQL);
    area->SetReadOnly(false);
    area->SetOnAddItem(
        [this](QObject *Sender, TSchemaItem *item) { q->SchemaDesignAreaAddItem(Sender, item); });
    area->SetOnAddSubItem([this](QObject *Sender, TSchemaSubItem *SubItem) {
        q->SchemaDesignAreaAddSubItem(Sender, SubItem);
    });
    area->SetOnDeleteItem([this](QObject *Sender, TSchemaItem *item) {
        q->SchemaDesignAreaDeleteItem(Sender, item);
    });
    // The titles of tables the diagram holds twice show their aliases, which follow the
    // items' places in the area's list: once the additions and removals of items (children of
    // the viewport) and relations (of the area) are done, an import's reordering too.
    if (!FAliasTimer) {
        FAliasTimer = new QTimer(q);
        FAliasTimer->setSingleShot(true);
        FAliasTimer->setInterval(0);
        QObject::connect(
            FAliasTimer, &QTimer::timeout, q, [this] { Guarded([&] { showAliases(); }); });
    }
    auto *watch = new ChildrenWatch(FAliasTimer);
    area->installEventFilter(watch);
    area->viewport()->installEventFilter(watch);
    area->SetOnDragOver(
        [this](QObject *Sender, QObject *Source, int X, int Y, TDragState State, bool &Accept) {
            q->SchemaDesignAreaDragOver(Sender, Source, X, Y, State, Accept);
        });
    area->SetOnDragDrop([this](QObject *Sender, QObject *Source, int X, int Y) {
        q->SchemaDesignAreaDragDrop(Sender, Source, X, Y);
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
void TfrmZkSQLBuilderPrivate::createOptionsPage()
{
    q->tsOptions = new QWidget;
    q->tsOptions->setObjectName(QStringLiteral("tsOptions"));
    q->pcSQL->addTab(q->tsOptions, QString());
    q->cbDistinct = new QCheckBox(q->tsOptions);
    q->cbDistinct->setObjectName(QStringLiteral("cbDistinct"));
    q->cbDistinct->setGeometry(8, 8, 329, 17);
    q->cbDistinct->setChecked(false);
    q->lblDialect = new QLabel(q->tsOptions);
    q->lblDialect->setObjectName(QStringLiteral("lblDialect"));
    q->cbDialect = new QComboBox(q->tsOptions);
    q->cbDialect->setObjectName(QStringLiteral("cbDialect"));
    q->lblDialect->setBuddy(q->cbDialect);
    q->lblDialect->move(8, 36);
    QObject::connect(q->cbDialect, &QComboBox::activated, q, [this] {
        Guarded([&] {
            if (TSchemaDataEngine *engine = FDataEngine)
                engine->SetSQLSubType(TSQLSubType(q->cbDialect->currentData().toInt()));
        });
    });

    // The row limit of the extended grid: at most so many rows, after skipping so many.
    q->lblLimit = new QLabel(q->tsOptions);
    q->lblLimit->setObjectName(QStringLiteral("lblLimit"));
    q->seLimit = new QSpinBox(q->tsOptions);
    q->seLimit->setObjectName(QStringLiteral("seLimit"));
    q->seLimit->setRange(-1, INT_MAX);
    q->seLimit->setValue(-1);
    q->seOffset = new QSpinBox(q->tsOptions);
    q->seOffset->setObjectName(QStringLiteral("seOffset"));
    q->seOffset->setRange(0, INT_MAX);
    q->lblLimit->setBuddy(q->seLimit);
    q->lblLimit->move(8, 64);
    for (QWidget *w : std::initializer_list<QWidget *> { q->lblLimit, q->seLimit, q->seOffset })
        w->hide();
    QObject::connect(
        q->seLimit, &QSpinBox::valueChanged, q, [this](int value) { FStatementLimit = value; });
    QObject::connect(
        q->seOffset, &QSpinBox::valueChanged, q, [this](int value) { FStatementOffset = value; });
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

void TfrmZkSQLBuilderPrivate::createToolbar()
{
    q->pnlToolbar = new QWidget(q);
    q->pnlToolbar->setObjectName(QStringLiteral("pnlToolbar"));
    q->pnlToolbar->setFixedHeight(ToolbarHeight);
    q->pnlToolbar->installEventFilter(q);

    auto glyph = [](const char *name) {
        return QPixmap::fromImage(RenderGlyph(
            QStringLiteral(":/diduza/builder/%1.svg").arg(QLatin1String(name)), QSize(16, 16)));
    };
    auto makeButton = [&](const char *name, const char *glyphName, int left, bool toggle,
                          void (TfrmZkSQLBuilder::*handler)(QObject *)) {
        auto *button = new QToolButton(q->pnlToolbar);
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
        QObject::connect(button, &QToolButton::clicked, q,
            [this, button, handler] { Guarded([&] { (q->*handler)(button); }); });
        return button;
    };
    q->btnNew = makeButton("btnNew", "NEW", 8, false, &TfrmZkSQLBuilder::btnNewClick);
    q->btnOpen = makeButton("btnOpen", "OPEN", 33, false, &TfrmZkSQLBuilder::btnOpenClick);
    q->btnSave = makeButton("btnSave", "SAVE", 58, false, &TfrmZkSQLBuilder::btnSaveClick);
    // The second glyph is the one shown while the button is disabled.
    QIcon saveIcon(glyph("SAVE"));
    saveIcon.addPixmap(glyph("SAVE_DISABLED"), QIcon::Disabled);
    q->btnSave->setIcon(saveIcon);
    q->btnShowGrid
        = makeButton("btnShowGrid", "SHOWGRID", 96, true, &TfrmZkSQLBuilder::btnShowGridClick);
    q->btnShowTables = makeButton(
        "btnShowTables", "SHOWTABLES", 121, true, &TfrmZkSQLBuilder::btnShowTablesClick);
    q->btnGenSQL = makeButton("btnGenSQL", "GENSQL", 158, false, &TfrmZkSQLBuilder::btnGenSQLClick);
    q->btnExecSQL
        = makeButton("btnExecSQL", "EXECSQL", 183, false, &TfrmZkSQLBuilder::btnExecSQLClick);

    auto makePush = [&](const char *name, void (TfrmZkSQLBuilder::*handler)(QObject *)) {
        auto *button = new QPushButton(q->pnlToolbar);
        button->setObjectName(QLatin1String(name));
        button->setAutoDefault(false);
        button->resize(PushButtonWidth, SpeedButtonSize);
        button->move(0, ButtonTop);
        QObject::connect(button, &QPushButton::clicked, q,
            [this, button, handler] { Guarded([&] { (q->*handler)(button); }); });
        return button;
    };
    q->btnOK = makePush("btnOK", &TfrmZkSQLBuilder::btnOKClick);
    q->btnCancel = makePush("btnCancel", &TfrmZkSQLBuilder::btnCancelClick);
}

void TfrmZkSQLBuilderPrivate::formCreate()
{
    q->GetCheckBoxSize();
    q->pcSQL->setTabText(q->pcSQL->indexOf(q->tsColumns), LoadResString(_strColumnPage));
    q->pcSQL->setTabText(q->pcSQL->indexOf(q->tsOptions), LoadResString(_strOptionsPage));
    q->pcSQL->setTabText(q->pcSQL->indexOf(q->tsSQL), LoadResString(_strSQLPage));
    q->pcSQL->setTabText(q->pcSQL->indexOf(q->tsResults), LoadResString(_strResultPage));
    q->cbDistinct->setText(LoadResString(_smsUniqueOnly));
    q->btnOK->setText(LoadResString(_sOK));
    q->btnCancel->setText(LoadResString(_sCancel));
    q->btnNew->setToolTip(LoadResString(_sNewSQL));
    q->btnOpen->setToolTip(LoadResString(_sOpenSQL));
    q->btnSave->setToolTip(LoadResString(_sSaveSQL));
    q->btnShowGrid->setToolTip(LoadResString(_sShowGrid));
    q->btnShowTables->setToolTip(LoadResString(_sShowTables));
    q->btnGenSQL->setToolTip(LoadResString(_sGenSQL));
    q->btnExecSQL->setToolTip(LoadResString(_sExecSQl));
    // A screen reader names the glyph buttons by their hints.
    for (QToolButton *button : { q->btnNew, q->btnOpen, q->btnSave, q->btnShowGrid,
             q->btnShowTables, q->btnGenSQL, q->btnExecSQL })
        button->setAccessibleName(button->toolTip());
    q->pnlToolbarResize(q->pnlToolbar);

    q->cbSorting->addItems({ QString(), LoadResString(_strSortASC), LoadResString(_strSortDESC) });
    q->cbValues->addItems({ QString(), LoadResString(_strValueCOUNT), LoadResString(_strValueSUM),
        LoadResString(_strValueMAX), LoadResString(_strValueMIN), LoadResString(_strValueAVG) });

    q->lblDialect->setText(
        QCoreApplication::translate("Diduza::TfrmZkSQLBuilder", "SQL &dialect:"));
    q->lblDialect->adjustSize();
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
        q->cbDialect->addItem(QCoreApplication::translate("Diduza::TfrmZkSQLBuilder", dialect.text),
            int(dialect.subType));
    q->cbDialect->adjustSize();
    q->cbDialect->move(q->lblDialect->x() + q->lblDialect->width() + 6, 32);

    q->lblLimit->setText(
        QCoreApplication::translate("Diduza::TfrmZkSQLBuilder", "Return at &most (rows):"));
    q->lblLimit->adjustSize();
    q->seLimit->setSpecialValueText(QCoreApplication::translate("Diduza::TfrmZkSQLBuilder", "all"));
    q->seOffset->setPrefix(
        QCoreApplication::translate("Diduza::TfrmZkSQLBuilder", "after skipping "));
    q->seLimit->adjustSize();
    q->seOffset->adjustSize();
    q->seLimit->move(q->lblLimit->x() + q->lblLimit->width() + 6, 60);
    q->seOffset->move(q->seLimit->x() + q->seLimit->width() + 6, 60);
    showDialect();

    FFileFilter = LoadResString(_sSchemaFiles) + QLatin1Char('|') + LoadResString(_sAllFiles);
    FDefaultExt = QStringLiteral("sch");
}

// ---------------------------------------------------------------------------------------------
// Properties

TSchemaDataEngine *TfrmZkSQLBuilder::DataEngine() const
{
    return d->FDataEngine;
}

void TfrmZkSQLBuilderPrivate::showDialect()
{
    TSchemaDataEngine *engine = FDataEngine;
    q->cbDialect->setEnabled(engine != nullptr);
    q->cbDialect->setCurrentIndex(engine ? q->cbDialect->findData(int(engine->SQLSubType())) : -1);
}

void TfrmZkSQLBuilder::SetDataEngine(TSchemaDataEngine *Value)
{
    if (d->FDataEngine == Value)
        return;
    d->FDataEngine = Value;
    SchemaDesignArea->SetDataEngine(Value);
    d->showDialect();
    d->pages.respell();
    d->tables.fillTableList();
}

void TfrmZkSQLBuilderPrivate::fitScreen()
{
    const QScreen *shown = q->screen();
    if (!shown)
        return;
    const QRect room = shown->availableGeometry();
    // The window frame around the client area, once the window is on screen.
    const QSize frame
        = q->isVisible() ? q->frameGeometry().size() - q->geometry().size() : QSize(0, 0);
    const QSize most = room.size() - frame;
    if (q->width() > most.width() || q->height() > most.height())
        q->resize(qMin(q->width(), most.width()), qMin(q->height(), most.height()));
    if (q->isVisible()) {
        QRect outer = q->frameGeometry();
        if (!room.contains(outer)) {
            outer.moveLeft(qBound(room.left(), outer.left(), room.right() - outer.width() + 1));
            outer.moveTop(qBound(room.top(), outer.top(), room.bottom() - outer.height() + 1));
            q->move(outer.topLeft());
        }
    }
}

// ---------------------------------------------------------------------------------------------
// TfrmZkSQLBuilderGrid

bool TfrmZkSQLBuilder::IsCalculatedColumn(int ACol) const
{
    return d->grid.IsCalculatedColumn(ACol);
}

QString TfrmZkSQLBuilder::ColumnExpression(int ACol) const
{
    return d->grid.ColumnExpression(ACol);
}

QString TfrmZkSQLBuilder::ColumnExpressionError(int ACol) const
{
    return d->grid.ColumnExpressionError(ACol);
}

int TfrmZkSQLBuilder::AddCalculatedColumn(const QString &Expression)
{
    return d->grid.AddCalculatedColumn(Expression);
}

void TfrmZkSQLBuilder::SetColumnExpression(int ACol, const QString &Expression)
{
    d->grid.SetColumnExpression(ACol, Expression);
}

void TfrmZkSQLBuilder::ItemCheckClick(QObject *Sender)
{
    d->grid.ItemCheckClick(Sender);
}

void TfrmZkSQLBuilder::sgColumnGridSelectCell(QObject *Sender, int ACol, int ARow, bool &CanSelect)
{
    d->grid.sgColumnGridSelectCell(Sender, ACol, ARow, CanSelect);
}

void TfrmZkSQLBuilder::cbInplaceChange(QObject *Sender)
{
    d->grid.cbInplaceChange(Sender);
}

bool TfrmZkSQLBuilder::eventFilter(QObject *watched, QEvent *event)
{
    return d->grid.eventFilter(watched, event) || QDialog::eventFilter(watched, event);
}

void TfrmZkSQLBuilder::sgColumnGridDrawCell(
    QObject *Sender, int ACol, int ARow, const QRect &Rect, TGridDrawState a4, QPainter &Canvas)
{
    d->grid.sgColumnGridDrawCell(Sender, ACol, ARow, Rect, a4, Canvas);
}

QString TfrmZkSQLBuilder::CellToolTip(const QPoint &Point) const
{
    return d->grid.CellToolTip(Point);
}

void TfrmZkSQLBuilder::SetExtendedGrid(bool Value)
{
    d->grid.SetExtendedGrid(Value);
}

int TfrmZkSQLBuilder::AddAllRowsColumn()
{
    return d->grid.AddAllRowsColumn();
}

int TfrmZkSQLBuilder::DuplicateColumn(int ACol)
{
    return d->grid.DuplicateColumn(ACol);
}

void TfrmZkSQLBuilder::CommitEditor()
{
    d->grid.CommitEditor();
}

QString TfrmZkSQLBuilder::SubItemReference(TSchemaSubItem *SubItem)
{
    return d->grid.SubItemReference(SubItem);
}

TSchemaSubItem *TfrmZkSQLBuilder::ReferencedSubItem(const QString &Text) const
{
    return d->grid.ReferencedSubItem(Text);
}

// ---------------------------------------------------------------------------------------------
// TfrmZkSQLBuilderPages

void TfrmZkSQLBuilder::SetSQLText(const QString &Value)
{
    d->pages.SetSQLText(Value);
}

bool TfrmZkSQLBuilder::IsStatementStale()
{
    return d->pages.IsStatementStale();
}

void TfrmZkSQLBuilder::pcSQLChange(QObject *Sender)
{
    d->pages.pcSQLChange(Sender);
}

void TfrmZkSQLBuilder::btnNewClick(QObject *Sender)
{
    d->pages.btnNewClick(Sender);
}

void TfrmZkSQLBuilder::btnOpenClick(QObject *Sender)
{
    d->pages.btnOpenClick(Sender);
}

void TfrmZkSQLBuilder::btnSaveClick(QObject *Sender)
{
    d->pages.btnSaveClick(Sender);
}

void TfrmZkSQLBuilder::btnShowGridClick(QObject *Sender)
{
    d->pages.btnShowGridClick(Sender);
}

void TfrmZkSQLBuilder::btnGenSQLClick(QObject *Sender)
{
    d->pages.btnGenSQLClick(Sender);
}

void TfrmZkSQLBuilder::btnExecSQLClick(QObject *Sender)
{
    d->pages.btnExecSQLClick(Sender);
}

void TfrmZkSQLBuilder::btnOKClick(QObject *Sender)
{
    d->pages.btnOKClick(Sender);
}

void TfrmZkSQLBuilder::btnCancelClick(QObject *Sender)
{
    d->pages.btnCancelClick(Sender);
}

bool TfrmZkSQLBuilder::HasUnsavedChanges() const
{
    return d->pages.HasUnsavedChanges();
}

void TfrmZkSQLBuilder::reject()
{
    d->pages.reject();
}

void TfrmZkSQLBuilder::ExpandSQL(QString &SQL, const QString &Macro, const QString &Value)
{
    d->pages.ExpandSQL(SQL, Macro, Value);
}

void TfrmZkSQLBuilder::RemoveBlankLines(QString &SQL)
{
    d->pages.RemoveBlankLines(SQL);
}

QString TfrmZkSQLBuilder::GenerateSQL()
{
    return d->pages.GenerateSQL();
}

QString TfrmZkSQLBuilder::GetTableName(TSchemaItem *Item, bool IsAlias)
{
    return d->pages.GetTableName(Item, IsAlias);
}

QString TfrmZkSQLBuilder::GetFieldName(TSchemaSubItem *SubItem)
{
    return d->pages.GetFieldName(SubItem);
}

void TfrmZkSQLBuilder::SetSQLEditable(bool Value)
{
    d->pages.SetSQLEditable(Value);
}

void TfrmZkSQLBuilder::SetBackgroundExecution(bool Value)
{
    d->pages.SetBackgroundExecution(Value);
}

void TfrmZkSQLBuilder::SetRowLimit(int Value)
{
    d->pages.SetRowLimit(Value);
}

void TfrmZkSQLBuilder::CheckSQLText()
{
    d->pages.CheckSQLText();
}

QStringList TfrmZkSQLBuilder::ApplySQLToDiagram()
{
    return d->pages.ApplySQLToDiagram();
}

void TfrmZkSQLBuilder::RunSQLText()
{
    d->pages.RunSQLText();
}

void TfrmZkSQLBuilder::CancelRun()
{
    d->pages.CancelRun();
}

QString TfrmZkSQLBuilder::SelectedCellsText() const
{
    return d->pages.SelectedCellsText();
}

QString TfrmZkSQLBuilder::SelectedCellsText(bool WithHeaders) const
{
    return d->pages.SelectedCellsText(WithHeaders);
}

bool TfrmZkSQLBuilder::SaveResultsCsv(const QString &FileName, QString *Error)
{
    return d->pages.SaveResultsCsv(FileName, Error);
}

bool TfrmZkSQLBuilder::StartSavingResultsCsv(const QString &FileName, QString *Error)
{
    return d->pages.StartSavingResultsCsv(FileName, Error);
}

// ---------------------------------------------------------------------------------------------
// TfrmZkSQLBuilderTables

void TfrmZkSQLBuilder::btnShowTablesClick(QObject *Sender)
{
    d->tables.btnShowTablesClick(Sender);
}

void TfrmZkSQLBuilder::pbTableGrabberPaint(QObject *Sender, QPainter &Canvas)
{
    d->tables.pbTableGrabberPaint(Sender, Canvas);
}

void TfrmZkSQLBuilder::pbTableGrabberMouseUp(
    QObject *Sender, Qt::MouseButton a1, Qt::KeyboardModifiers a2, int X, int a4)
{
    d->tables.pbTableGrabberMouseUp(Sender, a1, a2, X, a4);
}

void TfrmZkSQLBuilder::lbTablesDrawItem(
    QObject *Control, int Index, const QRect &Rect, TOwnerDrawState State, QPainter &Canvas)
{
    d->tables.lbTablesDrawItem(Control, Index, Rect, State, Canvas);
}

void TfrmZkSQLBuilder::lbTablesDblClick(QObject *Sender)
{
    d->tables.lbTablesDblClick(Sender);
}

void TfrmZkSQLBuilder::SchemaDesignAreaDragOver(
    QObject *Sender, QObject *Source, int a2, int a3, TDragState a4, bool &Accept)
{
    d->tables.SchemaDesignAreaDragOver(Sender, Source, a2, a3, a4, Accept);
}

void TfrmZkSQLBuilder::SchemaDesignAreaDragDrop(QObject *Sender, QObject *Source, int X, int Y)
{
    d->tables.SchemaDesignAreaDragDrop(Sender, Source, X, Y);
}

void TfrmZkSQLBuilder::SchemaDesignAreaAddItem(QObject *Sender, TSchemaItem *item)
{
    d->tables.SchemaDesignAreaAddItem(Sender, item);
}

void TfrmZkSQLBuilder::SchemaDesignAreaAddSubItem(QObject *Sender, TSchemaSubItem *SubItem)
{
    d->tables.SchemaDesignAreaAddSubItem(Sender, SubItem);
}

void TfrmZkSQLBuilder::SchemaDesignAreaDeleteItem(QObject *Sender, TSchemaItem *item)
{
    d->tables.SchemaDesignAreaDeleteItem(Sender, item);
}

// ---------------------------------------------------------------------------------------------
// TfrmZkSQLBuilderImport

void TfrmZkSQLBuilder::ShowImportNotes(const QStringList &Notes)
{
    d->importer.ShowImportNotes(Notes);
}

QStringList TfrmZkSQLBuilder::ImportQuery(const ImportedQuery &Query)
{
    return d->importer.ImportQuery(Query);
}

// ---------------------------------------------------------------------------------------------
// TfrmZkSQLBuilderPrivate

int TfrmZkSQLBuilder::BlockCount() const
{
    return d->BlockCount();
}

int TfrmZkSQLBuilder::CurrentBlock() const
{
    return d->CurrentBlock();
}

void TfrmZkSQLBuilder::SetCurrentBlock(int Value)
{
    d->SetCurrentBlock(Value);
}

int TfrmZkSQLBuilder::AddBlock(TSQLSetOperator Operator)
{
    return d->AddBlock(Operator);
}

void TfrmZkSQLBuilder::RemoveBlock(int Index)
{
    d->RemoveBlock(Index);
}

void TfrmZkSQLBuilder::MoveBlock(int From, int To)
{
    d->MoveBlock(From, To);
}

TSQLSetOperator TfrmZkSQLBuilder::BlockOperator(int Index) const
{
    return d->BlockOperator(Index);
}

void TfrmZkSQLBuilder::SetBlockOperator(int Index, TSQLSetOperator Value)
{
    d->SetBlockOperator(Index, Value);
}

} // namespace Diduza
