#include "querybuilder/TfrmZkSQLBuilder.h"
#include "querybuilder/TfrmZkSQLBuilder_p.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/TSchemaUndoGroup.h"
#include "platform/DialogService.h"
#include "platform/ResourceStrings.h"
#include "platform/TImageList.h"
#include "platform/TStringList.h"
#include "querybuilder/QueryGenerator.h"
#include "querybuilder/SqlHighlighter_p.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QUndoCommand>
#include <QVBoxLayout>

namespace Diduza {

// ---------------------------------------------------------------------------------------------
// Calculated columns: the expression in the row-0 cell

namespace {

const QChar ReferenceStart(0x01);
const QChar ReferenceName(0x1f);
const QChar ReferenceEnd(0x02);

// The parts of a cell's text: plain text, and references to items by serial and name.
template <typename Text, typename Reference>
void walkCell(const QString &cell, Text text, Reference reference)
{
    qsizetype i = 1; // after "="
    while (i < cell.size()) {
        const qsizetype open = cell.indexOf(ReferenceStart, i);
        if (open < 0) {
            text(QStringView(cell).mid(i));
            return;
        }
        const qsizetype name = cell.indexOf(ReferenceName, open);
        const qsizetype close = cell.indexOf(ReferenceEnd, open);
        if (name < 0 || close < 0 || name > close) {
            text(QStringView(cell).mid(i));
            return;
        }
        text(QStringView(cell).mid(i, open - i));
        reference(
            cell.mid(open + 1, name - open - 1).toInt(), cell.mid(name + 1, close - name - 1));
        i = close + 1;
    }
}

} // namespace

QString TfrmZkSQLBuilderGrid::prefixOf(TSchemaItem *item) const
{
    if (FNamesOfPass) {
        auto known = FPrefixesOfPass.constFind(item);
        if (known == FPrefixesOfPass.constEnd())
            known = FPrefixesOfPass.insert(
                item, QueryTableName(*FNamesOfPass, tableOf(q->SchemaDesignArea, item), true));
        return *known;
    }
    QueryInput input = d->pages.queryInput(false);
    input.TableNameHook = nullptr;
    return QueryTableName(input, tableOf(q->SchemaDesignArea, item), true);
}

QVector<ColumnExpressionTable> TfrmZkSQLBuilderGrid::expressionTables() const
{
    QVector<ColumnExpressionTable> tables;
    TSchemaDesignArea *area = q->SchemaDesignArea;
    if (!area)
        return tables;
    QueryInput input = d->pages.queryInput(false);
    input.TableNameHook = nullptr;
    for (int i = 0; i < area->GetItemCount(); ++i) {
        TSchemaItem *item = area->GetItem(i);
        ColumnExpressionTable table;
        table.Entry = QueryTableName(input, tableOf(area, item), false);
        for (int r = 0; r < item->GetSubItemCount(); ++r) {
            TSchemaSubItem *row = item->GetSubItem(r);
            if (!isAllFieldsRow(row))
                table.Fields << row->Caption();
        }
        tables << table;
    }
    return tables;
}

QString TfrmZkSQLBuilderGrid::itemReference(TSchemaItem *item)
{
    const auto known = FRefOfItem.constFind(item);
    if (known != FRefOfItem.constEnd() && FItemRefs.value(known.value()) == item)
        return QString::number(known.value());
    const int serial = ++FLastItemRef;
    FItemRefs.insert(serial, item);
    FRefOfItem.insert(item, serial);
    return QString::number(serial);
}

QString TfrmZkSQLBuilderGrid::referenceText(TSchemaItem *item)
{
    return ReferenceStart + itemReference(item) + ReferenceName + prefixOf(item) + ReferenceEnd;
}

TSchemaItem *TfrmZkSQLBuilderGrid::referencedItem(int serial, const QString &name) const
{
    TSchemaDesignArea *area = q->SchemaDesignArea;
    if (!area)
        return nullptr;
    TSchemaItem *item = FItemRefs.value(serial);
    if (item && item->Designer() == area)
        return item;
    // Undo gives a removed item back as a new one: the one that bears the name stands for it.
    for (int i = 0; i < area->GetItemCount(); ++i) {
        if (prefixOf(area->GetItem(i)) == name)
            return area->GetItem(i);
    }
    return nullptr;
}

std::shared_ptr<QHash<QString, ColumnExpressionReading>> TfrmZkSQLBuilderGrid::readingsOf(
    const QString &Key) const
{
    if (FReadings.size() >= 8 && !FReadings.contains(Key))
        FReadings.clear();
    std::shared_ptr<QHash<QString, ColumnExpressionReading>> &readings = FReadings[Key];
    if (!readings)
        readings = std::make_shared<QHash<QString, ColumnExpressionReading>>();
    return readings;
}

QString TfrmZkSQLBuilderGrid::tablesKey(const QVector<ColumnExpressionTable> &tables)
{
    QString key;
    for (const ColumnExpressionTable &table : tables)
        key += QChar(0x1e) + table.Entry + QChar(0x1d) + table.Fields.join(QChar(0x1d));
    return key;
}

QString TfrmZkSQLBuilderGrid::encodeExpression(
    const QString &text, ColumnExpressionReading *reading)
{
    const QVector<ColumnExpressionTable> tables = expressionTables();
    const ColumnExpressionReading read = ReadColumnExpression(text, tables, d->pages.spelling());
    if (reading)
        *reading = read;
    if (!read.Ok)
        return QLatin1Char('=') + text;
    QString encoded = read.Text;
    TSchemaDesignArea *area = q->SchemaDesignArea;
    for (qsizetype k = read.References.size() - 1; k >= 0; --k) {
        const ColumnExpressionReading::Reference &r = read.References.at(k);
        TSchemaItem *item = area->GetItem(r.Table);
        if (!item)
            continue;
        encoded.replace(r.Start, r.Length, referenceText(item));
    }
    encoded.prepend(QLatin1Char('='));
    // The cell reads so (without the name, which the Alias row holds) until the diagram's
    // tables change: readCell finds it under the same key.
    ColumnExpressionReading cached = read;
    cached.Alias.clear();
    cached.AliasQuoted = false;
    QHash<QString, ColumnExpressionReading> &readings = *readingsOf(tablesKey(tables));
    if (readings.size() > 512)
        readings.clear();
    readings.insert(renderExpression(encoded), cached);
    return encoded;
}

QString TfrmZkSQLBuilderGrid::renderExpression(const QString &cell) const
{
    QString text;
    walkCell(
        cell, [&](QStringView part) { text += part; },
        [&](int serial, const QString &name) {
            TSchemaItem *item = referencedItem(serial, name);
            text += item ? prefixOf(item) : name;
        });
    return text;
}

ColumnExpressionReading TfrmZkSQLBuilderGrid::readCell(const QString &cell) const
{
    QPair<QVector<ColumnExpressionTable>, QString> own;
    if (!FTablesOfPass) {
        own.first = expressionTables();
        own.second = tablesKey(own.first);
    }
    const QVector<ColumnExpressionTable> &tables = FTablesOfPass ? FTablesOfPass->first : own.first;
    const QString text = renderExpression(cell);
    const std::shared_ptr<QHash<QString, ColumnExpressionReading>> held
        = FTablesOfPass && FReadingsOfPass
        ? FReadingsOfPass
        : readingsOf(FTablesOfPass ? FTablesOfPass->second : own.second);
    QHash<QString, ColumnExpressionReading> &readings = *held;
    const auto found = readings.constFind(text);
    if (found != readings.constEnd())
        return *found;
    if (readings.size() > 512)
        readings.clear();
    ColumnExpressionReading reading = ReadColumnExpression(text, tables, d->pages.spelling());
    // A table referred to that has left the diagram is no table of it.
    walkCell(
        cell, [](QStringView) {},
        [&](int serial, const QString &name) {
            if (reading.Ok && !referencedItem(serial, name)) {
                reading.Ok = false;
                reading.Error = QCoreApplication::translate("Diduza::TfrmZkSQLBuilder",
                    "The expression names %1, which is not a table of the diagram.")
                                    .arg(name);
            }
        });
    readings.insert(text, reading);
    return reading;
}

QueryExpression TfrmZkSQLBuilderGrid::queryExpression(const QString &cell,
    const std::function<std::optional<QueryTable>(TSchemaItem *)> &tableOf) const
{
    QueryExpression expression;
    bool afterReference = false;
    walkCell(
        cell,
        [&](QStringView part) {
            // The full stop after a reference comes with the table's name.
            if (afterReference && part.startsWith(QLatin1Char('.')))
                part = part.mid(1);
            afterReference = false;
            expression.Text += part;
        },
        [&](int serial, const QString &name) {
            QueryExpression::Reference reference;
            reference.Position = expression.Text.size();
            if (TSchemaItem *item = referencedItem(serial, name))
                reference.Table = tableOf(item);
            expression.References << reference;
            afterReference = true;
        });
    const ColumnExpressionReading reading = readCell(cell);
    if (!reading.Ok) {
        expression.Error = reading.Error;
        if (reading.ErrorLine > 0)
            expression.Error
                += QCoreApplication::translate("Diduza::TfrmZkSQLBuilder", " (line %1, column %2)")
                       .arg(reading.ErrorLine)
                       .arg(reading.ErrorColumn);
        // An expression that does not read is written as it stands where it is written at all.
        expression.Text = renderExpression(cell);
        expression.References.clear();
    }
    expression.Aggregate = reading.Aggregate;
    return expression;
}

QVector<TSchemaItem *> TfrmZkSQLBuilderGrid::expressionItems(const QString &cell) const
{
    QVector<TSchemaItem *> items;
    walkCell(
        cell, [](QStringView) {},
        [&](int serial, const QString &name) {
            if (TSchemaItem *item = referencedItem(serial, name); item && !items.contains(item))
                items << item;
        });
    const ColumnExpressionReading reading = readCell(cell);
    TSchemaDesignArea *area = q->SchemaDesignArea;
    for (const int t : reading.Tables) {
        TSchemaItem *item = area ? area->GetItem(t) : nullptr;
        if (item && !items.contains(item))
            items << item;
    }
    return items;
}

// ---------------------------------------------------------------------------------------------
// The form's operations

bool TfrmZkSQLBuilderGrid::IsCalculatedColumn(int ACol) const
{
    return ACol > 0 && ACol < q->sgColumnGrid->ColCount()
        && TfrmZkSQLBuilderGrid::isCalculatedCell(q->sgColumnGrid->Cells(ACol, RowField));
}

QString TfrmZkSQLBuilderGrid::ColumnExpression(int ACol) const
{
    return q->IsCalculatedColumn(ACol) ? renderExpression(q->sgColumnGrid->Cells(ACol, RowField))
                                       : QString();
}

QString TfrmZkSQLBuilderGrid::ColumnExpressionError(int ACol) const
{
    if (!q->IsCalculatedColumn(ACol))
        return QString();
    const ColumnExpressionReading reading = readCell(q->sgColumnGrid->Cells(ACol, RowField));
    if (reading.Ok)
        return QString();
    if (reading.ErrorLine <= 0)
        return reading.Error;
    return TfrmZkSQLBuilder::tr("%1 (line %2, column %3)")
        .arg(reading.Error)
        .arg(reading.ErrorLine)
        .arg(reading.ErrorColumn);
}

int TfrmZkSQLBuilderGrid::AddCalculatedColumn(const QString &Expression)
{
    if (!d->FExtendedGrid)
        return -1;
    TSchemaUndoGroup step(q->SchemaDesignArea, TfrmZkSQLBuilder::tr("Add calculated column"));
    const int col = appendColumn();
    q->SetColumnExpression(col, Expression);
    return col;
}

void TfrmZkSQLBuilderGrid::SetColumnExpression(int ACol, const QString &Expression)
{
    if (!d->FExtendedGrid || ACol <= 0 || ACol >= q->sgColumnGrid->ColCount())
        return;
    TSchemaUndoGroup step(q->SchemaDesignArea,
        TfrmZkSQLBuilder::tr("Edit %1").arg(
            TSchemaUndoGroup::StepName(q->sgColumnGrid->Cells(0, RowField))));
    auto set = [&](int row, const QString &value) {
        const QString before = q->sgColumnGrid->Cells(ACol, row);
        if (before == value)
            return;
        q->sgColumnGrid->SetCells(ACol, row, value);
        if (QUndoCommand *parent = step.Command())
            RecordGridCell(q, parent, ACol, row, before, value);
    };
    const QString before = q->sgColumnGrid->Cells(ACol, RowField);
    TSchemaSubItem *row = q->ReferencedSubItem(before);
    ColumnExpressionReading reading;
    const QString cell = encodeExpression(Expression, &reading);
    set(RowField, cell);
    set(RowTable, QString());
    if (q->sgColumnGrid->Cells(ACol, RowShow).isEmpty())
        set(RowShow, QStringLiteral("1"));
    if (reading.Ok && !reading.Alias.isEmpty()) {
        const bool plain = !reading.AliasQuoted || reading.Alias == reading.Alias.toLower();
        set(RowAlias,
            plain ? reading.Alias
                  : QLatin1Char('"') + QString(reading.Alias).replace('"', QLatin1String("\"\""))
                    + QLatin1Char('"'));
    }
    // A field's column that now computes something else leaves its row unticked, unless
    // another column still shows the field.
    if (row && columnOf(row) < 0)
        row->SetChecked(false);
    q->sgColumnGrid->viewport()->update();
}

} // namespace Diduza

namespace Diduza {

// ---------------------------------------------------------------------------------------------
// The Field row's editor

namespace {

// What the Field cell of column col shows in its editor.
QString fieldText(TfrmZkSQLBuilder *form, TfrmZkSQLBuilderPrivate *d, int col)
{
    if (form->IsCalculatedColumn(col))
        return form->ColumnExpression(col);
    if (TSchemaSubItem *row = form->ReferencedSubItem(form->sgColumnGrid->Cells(col, RowField)))
        return d->grid.prefixOf(row->ItemOwner()) + QLatin1Char('.') + row->Caption();
    return QString();
}

} // namespace

void TfrmZkSQLBuilderGrid::openFieldEditor(int ACol)
{
    QRect cell = q->sgColumnGrid->CellRect(ACol, RowField);
    if (cell.isNull())
        return;
    cell.translate(q->sgColumnGrid->pos());
    {
        const QSignalBlocker blocker(q->cbFields);
        q->cbFields->clear();
        q->cbFields->addItem(TfrmZkSQLBuilder::tr("Expression..."));
        for (int i = 0; i < q->SchemaDesignArea->GetItemCount(); ++i) {
            TSchemaItem *item = q->SchemaDesignArea->GetItem(i);
            const QString prefix = prefixOf(item);
            for (int r = 0; r < item->GetSubItemCount(); ++r) {
                TSchemaSubItem *row = item->GetSubItem(r);
                if (!isAllFieldsRow(row))
                    q->cbFields->addItem(
                        prefix + QLatin1Char('.') + row->Caption(), q->SubItemReference(row));
            }
        }
        q->cbFields->setCurrentIndex(-1);
        q->cbFields->setEditText(fieldText(q, d, ACol));
    }
    q->cbFields->setGeometry(cell);
    FEditCol = ACol;
    FEditRow = RowField;
    q->cbFields->show();
    q->cbFields->raise();
    q->cbFields->setFocus();
    q->cbFields->lineEdit()->selectAll();
}

void TfrmZkSQLBuilderGrid::fieldPicked(int Index)
{
    const int col = FEditCol;
    if (col <= 0 || FEditRow != RowField || Index < 0)
        return;
    if (Index == 0) {
        hideEditors();
        editExpression(col);
        return;
    }
    commitFieldText(col, q->cbFields->itemText(Index));
}

void TfrmZkSQLBuilderGrid::commitFieldText(int ACol, const QString &Text)
{
    hideEditors();
    if (ACol <= 0 || ACol >= q->sgColumnGrid->ColCount())
        return;
    const QString text = Text.trimmed();
    if (text == fieldText(q, d, ACol).trimmed())
        return;
    TSchemaUndoGroup step(q->SchemaDesignArea,
        TfrmZkSQLBuilder::tr("Edit %1").arg(
            TSchemaUndoGroup::StepName(q->sgColumnGrid->Cells(0, RowField))));
    TSchemaSubItem *old = q->ReferencedSubItem(q->sgColumnGrid->Cells(ACol, RowField));
    // A field of the list: its row is ticked (or its column added again) and this column goes.
    TSchemaSubItem *picked = nullptr;
    for (int i = 1; i < q->cbFields->count() && !picked; ++i) {
        if (q->cbFields->itemText(i) == text)
            picked = q->ReferencedSubItem(q->cbFields->itemData(i).toString());
    }
    if (picked || text.isEmpty()) {
        if (q->IsCalculatedColumn(ACol))
            removeColumn(ACol);
        else if (old)
            old->SetChecked(false);
        if (picked && !picked->Checked())
            picked->SetChecked(true);
        else if (picked)
            q->DuplicateColumn(columnOf(picked));
    } else {
        q->SetColumnExpression(ACol, text);
    }
    if (q->pcSQL->currentWidget() == q->tsColumns)
        q->sgColumnGrid->setFocus();
}

void TfrmZkSQLBuilderGrid::editExpression(int ACol)
{
    if (ACol <= 0 || ACol >= q->sgColumnGrid->ColCount())
        return;
    QDialog dialog(q);
    dialog.setObjectName(QStringLiteral("dlgExpression"));
    dialog.setWindowTitle(TfrmZkSQLBuilder::tr("Calculated column"));
    auto *layout = new QVBoxLayout(&dialog);
    auto *hint = new QLabel(
        TfrmZkSQLBuilder::tr("An SQL value over the diagram's tables, such as "
                             "\"total: orders.amount * 1.2\" (\"total\" names the column):"),
        &dialog);
    hint->setWordWrap(true);
    auto *edit = new QPlainTextEdit(&dialog);
    edit->setObjectName(QStringLiteral("edExpression"));
    edit->setTabChangesFocus(true);
    new SqlHighlighter(edit->document());
    edit->setPlainText(fieldText(q, d, ACol));
    auto *error = new QLabel(&dialog);
    error->setObjectName(QStringLiteral("lblExpressionError"));
    error->setWordWrap(true);
    QPalette errorPalette = error->palette();
    errorPalette.setColor(QPalette::WindowText, Qt::red);
    error->setPalette(errorPalette);
    auto *buttons = new QHBoxLayout;
    auto *ok = new QPushButton(LoadResString(_sOK), &dialog);
    auto *cancel = new QPushButton(LoadResString(_sCancel), &dialog);
    ok->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addWidget(hint);
    layout->addWidget(edit);
    layout->addWidget(error);
    layout->addLayout(buttons);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    // Checked as it is typed, by the reading of the SQL page.
    auto check = [this, edit, error] {
        const QString text = edit->toPlainText();
        const ColumnExpressionReading reading
            = ReadColumnExpression(text, expressionTables(), d->pages.spelling());
        QString message;
        if (!text.trimmed().isEmpty() && !reading.Ok)
            message = reading.ErrorLine > 0 ? TfrmZkSQLBuilder::tr("%1 (line %2, column %3)")
                                                  .arg(reading.Error)
                                                  .arg(reading.ErrorLine)
                                                  .arg(reading.ErrorColumn)
                                            : reading.Error;
        error->setText(message);
        error->setVisible(!message.isEmpty());
        QList<QTextEdit::ExtraSelection> marks;
        if (!reading.Ok && reading.ErrorPosition >= 0) {
            QTextEdit::ExtraSelection mark;
            mark.cursor = QTextCursor(edit->document());
            mark.cursor.setPosition(int(std::min<qsizetype>(reading.ErrorPosition, text.size())));
            mark.cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
            mark.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
            mark.format.setUnderlineColor(Qt::red);
            marks << mark;
        }
        edit->setExtraSelections(marks);
    };
    QObject::connect(edit, &QPlainTextEdit::textChanged, &dialog, check);
    check();
    dialog.resize(480, 220);
    if (DialogService()->ExecuteModal(dialog) == QDialog::Accepted)
        commitFieldText(ACol, edit->toPlainText());
}

} // namespace Diduza
