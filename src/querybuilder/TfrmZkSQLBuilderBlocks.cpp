#include "querybuilder/TfrmZkSQLBuilder.h"
#include "querybuilder/TfrmZkSQLBuilder_p.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "platform/Application.h"
#include "platform/DialogService.h"
#include "querybuilder/QueryGenerator.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QTabBar>
#include <QToolButton>

namespace Diduza {

// ---------------------------------------------------------------------------------------------
// Query blocks: the SELECTs of a compound statement

TfrmZkSQLBuilderPrivate::BlockScope::BlockScope(TfrmZkSQLBuilderPrivate *d, int block)
    : m_d(d)
    , m_area(d->q->SchemaDesignArea)
    , m_grid(d->q->sgColumnGrid)
    , m_distinct(d->q->cbDistinct->isChecked())
{
    m_switched = block != d->FCurrentBlock && block >= 0 && block < d->FBlocks.size()
        && d->FBlocks.at(block).Area && d->FBlocks.at(block).Grid;
    if (!m_switched)
        return;
    TfrmZkSQLBuilder *form = d->q;
    const Block &b = d->FBlocks.at(block);
    form->SchemaDesignArea = b.Area;
    form->sgColumnGrid = b.Grid;
    const QSignalBlocker blocker(form->cbDistinct);
    form->cbDistinct->setChecked(b.Distinct);
    d->grid.FColumnOfRowVersion = ~quint64(0);
}

TfrmZkSQLBuilderPrivate::BlockScope::~BlockScope()
{
    if (!m_switched)
        return;
    TfrmZkSQLBuilder *form = m_d->q;
    form->SchemaDesignArea = m_area;
    form->sgColumnGrid = m_grid;
    const QSignalBlocker blocker(form->cbDistinct);
    form->cbDistinct->setChecked(m_distinct);
    m_d->grid.FColumnOfRowVersion = ~quint64(0);
}

QueryCompound TfrmZkSQLBuilderPrivate::compound(bool source)
{
    QueryCompound result;
    for (int k = 0; k < FBlocks.size(); ++k) {
        const BlockScope scope(this, k);
        QueryInput input = pages.queryInput(true);
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
        const QString name
            = QCoreApplication::translate("Diduza::TfrmZkSQLBuilder", "SELECT %1").arg(k + 1);
        q->tbBlocks->setTabText(
            k, k == 0 ? name : SetOperatorText(FBlocks.at(k).Operator) + QLatin1Char(' ') + name);
    }
    q->tbBlocks->setTabsClosable(FBlocks.size() > 1);
    q->tbBlocks->setCurrentIndex(FCurrentBlock);
    const QSignalBlocker operatorBlocker(q->cbSetOperator);
    q->cbSetOperator->setEnabled(FCurrentBlock > 0);
    q->cbSetOperator->setCurrentIndex(FCurrentBlock > 0
            ? q->cbSetOperator->findData(int(FBlocks.at(FCurrentBlock).Operator))
            : -1);
}

void TfrmZkSQLBuilderPrivate::createBlockBar()
{
    q->pnlBlocks = new QWidget(q->pnlDesign);
    q->pnlBlocks->setObjectName(QStringLiteral("pnlBlocks"));
    auto *layout = new QHBoxLayout(q->pnlBlocks);
    layout->setContentsMargins(2, 2, 2, 0);
    layout->setSpacing(4);
    q->tbBlocks = new QTabBar(q->pnlBlocks);
    q->tbBlocks->setObjectName(QStringLiteral("tbBlocks"));
    q->tbBlocks->setMovable(true);
    q->tbBlocks->setDocumentMode(true);
    q->tbBlocks->setExpanding(false);
    q->cbSetOperator = new QComboBox(q->pnlBlocks);
    q->cbSetOperator->setObjectName(QStringLiteral("cbSetOperator"));
    for (const TSQLSetOperator op :
        { soUnion, soUnionAll, soIntersect, soIntersectAll, soExcept, soExceptAll })
        q->cbSetOperator->addItem(SetOperatorText(op), int(op));
    q->cbSetOperator->setToolTip(
        TfrmZkSQLBuilder::tr("How this SELECT combines with the ones before it"));
    q->btnAddBlock = new QToolButton(q->pnlBlocks);
    q->btnAddBlock->setObjectName(QStringLiteral("btnAddBlock"));
    q->btnAddBlock->setText(TfrmZkSQLBuilder::tr("+ SELECT"));
    q->btnAddBlock->setToolTip(
        TfrmZkSQLBuilder::tr("Add a SELECT to combine with UNION, INTERSECT or EXCEPT"));
    layout->addWidget(q->tbBlocks, 1);
    layout->addWidget(q->cbSetOperator);
    layout->addWidget(q->btnAddBlock);
    q->pnlBlocks->hide();
    QObject::connect(q->tbBlocks, &QTabBar::currentChanged, q,
        [this](int index) { Guarded([&] { q->SetCurrentBlock(index); }); });
    QObject::connect(q->tbBlocks, &QTabBar::tabMoved, q, [this](int from, int to) {
        Guarded([&] {
            // The bar moved its tab already.
            FBlocks.move(from, to);
            if (FCurrentBlock == from)
                FCurrentBlock = to;
            else if (from < FCurrentBlock && to >= FCurrentBlock)
                --FCurrentBlock;
            else if (from > FCurrentBlock && to <= FCurrentBlock)
                ++FCurrentBlock;
            updateBlockBar();
        });
    });
    QObject::connect(q->tbBlocks, &QTabBar::tabCloseRequested, q,
        [this](int index) { Guarded([&] { q->RemoveBlock(index); }); });
    QObject::connect(q->cbSetOperator, &QComboBox::activated, q, [this] {
        Guarded([&] {
            q->SetBlockOperator(
                FCurrentBlock, TSQLSetOperator(q->cbSetOperator->currentData().toInt()));
        });
    });
    QObject::connect(
        q->btnAddBlock, &QToolButton::clicked, q, [this] { Guarded([&] { q->AddBlock(); }); });
}

int TfrmZkSQLBuilderPrivate::BlockCount() const
{
    return int(FBlocks.size());
}

int TfrmZkSQLBuilderPrivate::CurrentBlock() const
{
    return FCurrentBlock;
}

void TfrmZkSQLBuilderPrivate::SetCurrentBlock(int Value)
{
    if (Value == FCurrentBlock || Value < 0 || Value >= FBlocks.size()) {
        updateBlockBar();
        return;
    }
    q->CommitEditor();
    grid.hideEditors();
    TfrmZkSQLBuilderPrivate::Block &current = FBlocks[FCurrentBlock];
    current.Distinct = q->cbDistinct->isChecked();
    const TfrmZkSQLBuilderPrivate::Block &next = FBlocks.at(Value);
    q->SchemaDesignArea->hide();
    q->sgColumnGrid->hide();
    q->SchemaDesignArea = next.Area;
    q->sgColumnGrid = next.Grid;
    q->SchemaDesignArea->show();
    q->sgColumnGrid->show();
    {
        const QSignalBlocker blocker(q->cbDistinct);
        q->cbDistinct->setChecked(next.Distinct);
    }
    FCurrentBlock = Value;
    grid.FColumnOfRowVersion = ~quint64(0);
    // The table box lists the shown diagram's tables.
    q->cbTables->clear();
    for (int i = 0; i < q->SchemaDesignArea->GetItemCount(); ++i)
        q->cbTables->addItem(q->SchemaDesignArea->GetItem(i)->Caption());
    updateBlockBar();
}

int TfrmZkSQLBuilderPrivate::AddBlock(TSQLSetOperator Operator)
{
    TfrmZkSQLBuilderPrivate::Block block;
    block.Area = newBlockArea();
    block.Grid = grid.newBlockGrid();
    block.Operator = Operator;
    block.Area->SetDataEngine(q->SchemaDesignArea->DataEngine());
    block.Area->SetShowKeys(q->SchemaDesignArea->ShowKeys());
    block.Area->SetKeyboardNavigation(q->SchemaDesignArea->KeyboardNavigation());
    block.Area->hide();
    block.Grid->hide();
    FBlocks.append(block);
    const int index = int(FBlocks.size() - 1);
    {
        const TfrmZkSQLBuilderPrivate::BlockScope scope(this, index);
        grid.applyExtendedGrid();
    }
    q->SetCurrentBlock(index);
    return index;
}

void TfrmZkSQLBuilderPrivate::RemoveBlock(int Index)
{
    if (FBlocks.size() < 2 || Index < 0 || Index >= FBlocks.size())
        return;
    TfrmZkSQLBuilderPrivate::Block block = FBlocks.at(Index);
    if (block.Area && block.Area->GetItemCount() > 0
        && !DialogService()->Confirm(q,
            TfrmZkSQLBuilder::tr(
                "SELECT %1 has tables and columns that will be lost. Remove it anyway?")
                .arg(Index + 1)))
        return;
    if (Index == FCurrentBlock)
        q->SetCurrentBlock(Index > 0 ? Index - 1 : 1);
    FBlocks.removeAt(Index);
    if (FCurrentBlock > Index)
        --FCurrentBlock;
    // Its items raise OnDeleteItem as they go; the shown block is not touched.
    delete block.Area.data();
    delete block.Grid.data();
    updateBlockBar();
}

void TfrmZkSQLBuilderPrivate::MoveBlock(int From, int To)
{
    if (From < 0 || To < 0 || From >= FBlocks.size() || To >= FBlocks.size() || From == To)
        return;
    q->tbBlocks->moveTab(From, To); // tabMoved moves the block
}

TSQLSetOperator TfrmZkSQLBuilderPrivate::BlockOperator(int Index) const
{
    return Index >= 0 && Index < FBlocks.size() ? FBlocks.at(Index).Operator : soUnion;
}

void TfrmZkSQLBuilderPrivate::SetBlockOperator(int Index, TSQLSetOperator Value)
{
    if (Index < 0 || Index >= FBlocks.size())
        return;
    FBlocks[Index].Operator = Value;
    updateBlockBar();
}

} // namespace Diduza
