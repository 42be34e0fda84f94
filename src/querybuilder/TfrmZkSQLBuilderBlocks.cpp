#include "querybuilder/TfrmZkSQLBuilder.h"
#include "querybuilder/TfrmZkSQLBuilderParts_p.h"

namespace Diduza {

// ---------------------------------------------------------------------------------------------
// Query blocks: the SELECTs of a compound statement

TfrmZkSQLBuilderPrivate::BlockScope::BlockScope(TfrmZkSQLBuilder *form, int block)
    : m_form(form)
    , m_area(form->SchemaDesignArea)
    , m_grid(form->sgColumnGrid)
    , m_distinct(form->cbDistinct->isChecked())
{
    TfrmZkSQLBuilderPrivate *d = TfrmZkSQLBuilderPrivate::get(form);
    m_switched = block != d->FCurrentBlock && block >= 0 && block < d->FBlocks.size()
        && d->FBlocks.at(block).Area && d->FBlocks.at(block).Grid;
    if (!m_switched)
        return;
    const Block &b = d->FBlocks.at(block);
    form->SchemaDesignArea = b.Area;
    form->sgColumnGrid = b.Grid;
    const QSignalBlocker blocker(form->cbDistinct);
    form->cbDistinct->setChecked(b.Distinct);
    d->FColumnOfRowVersion = ~quint64(0);
}

TfrmZkSQLBuilderPrivate::BlockScope::~BlockScope()
{
    if (!m_switched)
        return;
    m_form->SchemaDesignArea = m_area;
    m_form->sgColumnGrid = m_grid;
    const QSignalBlocker blocker(m_form->cbDistinct);
    m_form->cbDistinct->setChecked(m_distinct);
    TfrmZkSQLBuilderPrivate::get(m_form)->FColumnOfRowVersion = ~quint64(0);
}

QueryCompound TfrmZkSQLBuilderPrivate::compound(bool source)
{
    QueryCompound result;
    for (int k = 0; k < FBlocks.size(); ++k) {
        const BlockScope scope(q, k);
        QueryInput input = q->queryInput(true);
        if (source) {
            input.TableNameHook = nullptr;
            input.FieldNameHook = nullptr;
            input.JoinAvailable = nullptr;
            input.RefuseInvalid = false;
        }
        result.Blocks << input;
        if (k > 0)
            result.Operators << FBlocks.at(k).Operator;
    }
    return result;
}

void TfrmZkSQLBuilderPrivate::updateBlockBar()
{
    const bool shown = FExtendedGrid || FBlocks.size() > 1;
    q->pnlBlocks->setVisible(shown);
    const QSignalBlocker blocker(q->tbBlocks);
    while (q->tbBlocks->count() > FBlocks.size())
        q->tbBlocks->removeTab(q->tbBlocks->count() - 1);
    while (q->tbBlocks->count() < FBlocks.size())
        q->tbBlocks->addTab(QString());
    for (int k = 0; k < FBlocks.size(); ++k) {
        const QString name = QCoreApplication::translate("Diduza::TfrmZkSQLBuilder", "SELECT %1")
                                 .arg(k + 1);
        q->tbBlocks->setTabText(
            k, k == 0 ? name : SetOperatorText(FBlocks.at(k).Operator) + QLatin1Char(' ') + name);
    }
    q->tbBlocks->setTabsClosable(FBlocks.size() > 1);
    q->tbBlocks->setCurrentIndex(FCurrentBlock);
    const QSignalBlocker operatorBlocker(q->cbSetOperator);
    q->cbSetOperator->setEnabled(FCurrentBlock > 0);
    q->cbSetOperator->setCurrentIndex(
        FCurrentBlock > 0 ? q->cbSetOperator->findData(int(FBlocks.at(FCurrentBlock).Operator)) : -1);
}

void TfrmZkSQLBuilder::createBlockBar()
{
    pnlBlocks = new QWidget(pnlDesign);
    pnlBlocks->setObjectName(QStringLiteral("pnlBlocks"));
    auto *layout = new QHBoxLayout(pnlBlocks);
    layout->setContentsMargins(2, 2, 2, 0);
    layout->setSpacing(4);
    tbBlocks = new QTabBar(pnlBlocks);
    tbBlocks->setObjectName(QStringLiteral("tbBlocks"));
    tbBlocks->setMovable(true);
    tbBlocks->setDocumentMode(true);
    tbBlocks->setExpanding(false);
    cbSetOperator = new QComboBox(pnlBlocks);
    cbSetOperator->setObjectName(QStringLiteral("cbSetOperator"));
    for (const TSQLSetOperator op :
        { soUnion, soUnionAll, soIntersect, soIntersectAll, soExcept, soExceptAll })
        cbSetOperator->addItem(SetOperatorText(op), int(op));
    cbSetOperator->setToolTip(tr("How this SELECT combines with the ones before it"));
    btnAddBlock = new QToolButton(pnlBlocks);
    btnAddBlock->setObjectName(QStringLiteral("btnAddBlock"));
    btnAddBlock->setText(tr("+ SELECT"));
    btnAddBlock->setToolTip(tr("Add a SELECT to combine with UNION, INTERSECT or EXCEPT"));
    layout->addWidget(tbBlocks, 1);
    layout->addWidget(cbSetOperator);
    layout->addWidget(btnAddBlock);
    pnlBlocks->hide();
    connect(tbBlocks, &QTabBar::currentChanged, this,
        [this](int index) { Guarded([&] { SetCurrentBlock(index); }); });
    connect(tbBlocks, &QTabBar::tabMoved, this, [this](int from, int to) {
        Guarded([&] {
            // The bar moved its tab already.
            d->FBlocks.move(from, to);
            if (d->FCurrentBlock == from)
                d->FCurrentBlock = to;
            else if (from < d->FCurrentBlock && to >= d->FCurrentBlock)
                --d->FCurrentBlock;
            else if (from > d->FCurrentBlock && to <= d->FCurrentBlock)
                ++d->FCurrentBlock;
            d->updateBlockBar();
        });
    });
    connect(tbBlocks, &QTabBar::tabCloseRequested, this,
        [this](int index) { Guarded([&] { RemoveBlock(index); }); });
    connect(cbSetOperator, &QComboBox::activated, this, [this] {
        Guarded([&] {
            SetBlockOperator(d->FCurrentBlock, TSQLSetOperator(cbSetOperator->currentData().toInt()));
        });
    });
    connect(btnAddBlock, &QToolButton::clicked, this, [this] { Guarded([&] { AddBlock(); }); });
}

int TfrmZkSQLBuilder::BlockCount() const
{
    return int(d->FBlocks.size());
}

int TfrmZkSQLBuilder::CurrentBlock() const
{
    return d->FCurrentBlock;
}

void TfrmZkSQLBuilder::SetCurrentBlock(int Index)
{
    if (Index == d->FCurrentBlock || Index < 0 || Index >= d->FBlocks.size()) {
        d->updateBlockBar();
        return;
    }
    CommitEditor();
    hideEditors();
    TfrmZkSQLBuilderPrivate::Block &current = d->FBlocks[d->FCurrentBlock];
    current.Distinct = cbDistinct->isChecked();
    const TfrmZkSQLBuilderPrivate::Block &next = d->FBlocks.at(Index);
    SchemaDesignArea->hide();
    sgColumnGrid->hide();
    SchemaDesignArea = next.Area;
    sgColumnGrid = next.Grid;
    SchemaDesignArea->show();
    sgColumnGrid->show();
    {
        const QSignalBlocker blocker(cbDistinct);
        cbDistinct->setChecked(next.Distinct);
    }
    d->FCurrentBlock = Index;
    d->FColumnOfRowVersion = ~quint64(0);
    // The table box lists the shown diagram's tables.
    cbTables->clear();
    for (int i = 0; i < SchemaDesignArea->GetItemCount(); ++i)
        cbTables->addItem(SchemaDesignArea->GetItem(i)->Caption());
    d->updateBlockBar();
}

int TfrmZkSQLBuilder::AddBlock(TSQLSetOperator Operator)
{
    TfrmZkSQLBuilderPrivate::Block block;
    block.Area = newBlockArea();
    block.Grid = newBlockGrid();
    block.Operator = Operator;
    block.Area->SetDataEngine(SchemaDesignArea->DataEngine());
    block.Area->SetShowKeys(SchemaDesignArea->ShowKeys());
    block.Area->SetKeyboardNavigation(SchemaDesignArea->KeyboardNavigation());
    block.Area->hide();
    block.Grid->hide();
    d->FBlocks.append(block);
    const int index = int(d->FBlocks.size() - 1);
    {
        const TfrmZkSQLBuilderPrivate::BlockScope scope(this, index);
        applyExtendedGrid();
    }
    SetCurrentBlock(index);
    return index;
}

void TfrmZkSQLBuilder::RemoveBlock(int Index)
{
    if (d->FBlocks.size() < 2 || Index < 0 || Index >= d->FBlocks.size())
        return;
    TfrmZkSQLBuilderPrivate::Block block = d->FBlocks.at(Index);
    if (block.Area && block.Area->GetItemCount() > 0
        && !DialogService()->Confirm(this,
            tr("SELECT %1 has tables and columns that will be lost. Remove it anyway?")
                .arg(Index + 1)))
        return;
    if (Index == d->FCurrentBlock)
        SetCurrentBlock(Index > 0 ? Index - 1 : 1);
    d->FBlocks.removeAt(Index);
    if (d->FCurrentBlock > Index)
        --d->FCurrentBlock;
    // Its items raise OnDeleteItem as they go; the shown block is not touched.
    delete block.Area.data();
    delete block.Grid.data();
    d->updateBlockBar();
}

void TfrmZkSQLBuilder::MoveBlock(int From, int To)
{
    if (From < 0 || To < 0 || From >= d->FBlocks.size() || To >= d->FBlocks.size() || From == To)
        return;
    tbBlocks->moveTab(From, To); // tabMoved moves the block
}

TSQLSetOperator TfrmZkSQLBuilder::BlockOperator(int Index) const
{
    return Index >= 0 && Index < d->FBlocks.size() ? d->FBlocks.at(Index).Operator : soUnion;
}

void TfrmZkSQLBuilder::SetBlockOperator(int Index, TSQLSetOperator Value)
{
    if (Index < 0 || Index >= d->FBlocks.size())
        return;
    d->FBlocks[Index].Operator = Value;
    d->updateBlockBar();
}

} // namespace Diduza
