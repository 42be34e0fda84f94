// TSchemaDesignArea: the schema file and DrawCanvas. The format itself lives in SchemaFile.h;
// this file maps items, rows and relations to and from it.

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaDesignArea_p.h"

#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/items/TSchemaIcon.h"
#include "diagram/items/TSchemaText.h"
#include "diagram/model/SchemaFile.h"
#include "engines/TSchemaDataEngine.h"
#include "platform/CompareText.h"
#include "platform/Exceptions.h"
#include "relations/TSchemaRelation.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QFile>
#include <QLayout>
#include <QLocale>
#include <QPainter>
#include <QSaveFile>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QWidget>

#include <exception>
#include <functional>
#include <memory>

namespace Diduza {

using namespace SchemaFile;

namespace {

bool holdsOneRow(const TSchemaItem *item)
{
    return item->SchemaControlType() == scText || item->SchemaControlType() == scIcon;
}

// The number a relation section stores for a row: its position plus one. Text and icon items
// hold one row, which every number reaches; for them the row's Index plus one is kept (0, as
// the row's Index is -1), the number files have always carried. -1 when the row is not one of
// the item's.
int rowNumber(const TSchemaItem *item, const TSchemaSubItem *row)
{
    const int position = item->GetIndexBySubItem(row);
    if (position < 0)
        return -1;
    return holdsOneRow(item) ? row->Index() + 1 : position + 1;
}

TSchemaFileRow rowData(const TSchemaSubItem *row, int position)
{
    TSchemaFileRow r;
    if (!row) {
        r.Index = position;
        return r;
    }
    r.Caption = row->Caption();
    r.Checked = row->Checked();
    r.Index = row->Index();
    r.ImageIndex = row->ImageIndex();
    r.SelectedIndex = row->SelectedIndex();
    r.OverlayIndex = row->OverlayIndex();
    r.StateIndex = row->StateIndex();
    r.Linked = row->Linked();
    return r;
}

TSchemaFileItem itemData(const TSchemaItem *item)
{
    TSchemaFileItem d;
    d.ControlType = int(item->SchemaControlType());
    d.Caption = item->GetCaption();
    d.ShowCaption = item->ShowCaption();
    d.Sizeable = item->Sizeable();
    d.ToolWin = item->ToolWin();
    d.Border = item->Border();
    d.Left = item->Left();
    d.Top = item->Top();
    d.Width = item->Width();
    d.Height = item->Height();
    if (const TSchemaIcon *icon = item->IconControl())
        d.IconType = int(icon->IconType());
    d.Font = item->GetFont();
    d.Color = item->GetColor();
    const int count = item->GetSubItemCount();
    d.Rows.reserve(count);
    for (int j = 0; j < count; ++j)
        d.Rows.append(rowData(item->GetSubItem(j), j));
    return d;
}

} // namespace

TSchemaFileItem TSchemaDesignAreaPrivate::itemFileData(const TSchemaItem *item)
{
    return itemData(item);
}

namespace {

QString localeTimeSeparator()
{
    return TimeSeparatorOf(QLocale::system().timeFormat(QLocale::LongFormat));
}

QFileDevice::FileError fileErrorOf(const QIODevice &device)
{
    auto *file = qobject_cast<const QFileDevice *>(&device);
    return file ? file->error() : QFileDevice::NoError;
}

QByteArray readAllOf(QIODevice &stream)
{
    if (!stream.isOpen() || !stream.isReadable())
        throw EStreamError(QCoreApplication::translate(
            "Diduza::SchemaFile", "The stream is not open for reading."));
    auto *file = qobject_cast<QFileDevice *>(&stream);
    if (file)
        file->unsetError();
    QByteArray bytes = stream.readAll();
    if (file && file->error() != QFileDevice::NoError)
        throw EStreamError(
            QCoreApplication::translate("Diduza::SchemaFile", "Cannot read \"%1\": %2")
                .arg(file->fileName(), file->errorString()),
            file->error());
    return bytes;
}

// Ends the drawing suspension of a load on every path.
class SuspendedDrawing {
public:
    explicit SuspendedDrawing(TSchemaDesignArea *area)
        : FArea(area)
    {
        FArea->BeginUpdate();
    }
    ~SuspendedDrawing() { FArea->EndUpdate(); }
    SuspendedDrawing(const SuspendedDrawing &) = delete;
    SuspendedDrawing &operator=(const SuspendedDrawing &) = delete;

private:
    TSchemaDesignArea *FArea;
};

// Builds the diagram of a file on an area that has just been cleared.
class Loader {
public:
    // Adds an item as AddItem does, handing a failure back instead of to the application.
    using AddItemFunc = std::function<TSchemaItem *(
        const QString &caption, TSchemaControlType type, std::exception_ptr &failure)>;

    // Called after each item is complete, with the item and its number in the file.
    using ItemLoadedFunc = std::function<void(TSchemaItem *item, int number)>;

    Loader(TSchemaDesignArea *area, const TSchemaFileReader &file, AddItemFunc addItem,
        ItemLoadedFunc itemLoaded = {})
        : FArea(area)
        , FFile(file)
        , FAddItem(std::move(addItem))
        , FItemLoaded(std::move(itemLoaded))
    {
    }

    void run()
    {
        // The engine's dialect, when the file names one this version knows.
        int subType = 0;
        const std::optional<QString> dialect = FFile.FirstValue(QStringLiteral("SQLSubType"));
        if (TSchemaDataEngine *engine = FArea->DataEngine()) {
            if (dialect && TryStrToInt(*dialect, subType) && subType >= 0
                && subType < EnumCount<TSQLSubType>())
                engine->SetSQLSubType(TSQLSubType(subType));
        }
        const int itemCount = FFile.ItemCount();
        for (int i = 1; i <= itemCount; ++i) {
            loadItem(i);
            if (FItemLoaded)
                FItemLoaded(FItems.last(), i);
        }
        const int relCount = FFile.RelCount();
        for (int k = 1; k <= relCount; ++k)
            loadRelation(k);
    }

private:
    // The message of a failure; empty without one. EAbort is raised again.
    static QString failureMessage(const std::exception_ptr &failure)
    {
        if (!failure)
            return QString();
        try {
            std::rethrow_exception(failure);
        } catch (const EAbort &) {
            throw;
        } catch (const Exception &e) {
            return e.Message();
        } catch (const std::exception &e) {
            return QString::fromUtf8(e.what());
        } catch (...) {
            return QStringLiteral("Unknown error");
        }
    }

    [[noreturn]] static void gone(const TSchemaSection &section)
    {
        throw ESchemaFileError(QCoreApplication::translate(
            "Diduza::SchemaFile", "Section %1: the item was removed while it was loaded.")
                                   .arg(section.Header()));
    }

    void loadItem(int i)
    {
        const TSchemaSection s = FFile.Section(ItemHeader(i));
        QPointer<TSchemaItem> item = createItem(s);
        FItems.append(item);
        item->SetShowCaption(s.Bool(QStringLiteral("ShowCaption")));
        item->SetSizeable(s.Bool(QStringLiteral("Sizeable")));
        item->SetToolWin(s.Bool(QStringLiteral("ToolWin")));
        item->SetBorder(s.Bool(QStringLiteral("Border")));
        const auto [hasWidth, hasHeight] = loadBounds(item, s);
        if (const std::optional<QString> font = s.Value(QStringLiteral("Font"))) {
            TFontValue value = item->GetFont();
            TColor color = item->GetColor();
            ParseFontValue(*font, value, color);
            item->SetFont(value);
            item->SetColor(color); // also when the field is absent: the inner list takes it
        }
        if (TSchemaIcon *icon = item->IconControl()) {
            if (const std::optional<int> v
                = s.OptionalEnum(QStringLiteral("IconType"), EnumCount<TSCIconType>()))
                icon->SetIconType(TSCIconType(*v));
        }
        loadRows(item, i, s);
        // A size the file leaves out comes from the rows, as for a new item filled with them
        // (a window never shown would keep Qt's first size, 640 x 480). A text item's label
        // fills the item, so it is first given its text's height.
        if (item && !hasWidth)
            item->RecalculateWidth();
        if (item && !hasHeight) {
            if (TSchemaText *text = item->TextControl())
                text->resize(text->width(), text->MeasureText(item->ClientWidth()).height());
            item->RecalculateHeight();
        }
    }

    QPointer<TSchemaItem> createItem(const TSchemaSection &s)
    {
        const QString caption = s.Text(QStringLiteral("Caption"));
        const auto type = TSchemaControlType(
            s.RequiredEnum(QStringLiteral("ControlType"), EnumCount<TSchemaControlType>()));
        std::exception_ptr failure;
        QPointer<TSchemaItem> item = FAddItem(caption, type, failure);
        if (item)
            return item;
        // The load stops with the cause, the application's own message included; a silent
        // abort stays silent.
        const QString cause = failureMessage(failure);
        const QString message = QCoreApplication::translate(
            "Diduza::SchemaFile", "Section %1: the item \"%2\" could not be created")
                                    .arg(s.Header(), caption);
        throw ESchemaFileError(
            cause.isEmpty() ? message + QLatin1Char('.') : message + QLatin1String(": ") + cause);
    }

    // The saved bounds, in one step: each resize of a list restarts its timers, and Qt finds a
    // timer by walking all of them, one per list already loaded. Bounds stay within what a
    // widget can hold (Qt's geometry arithmetic overflows beyond); no saved diagram lies
    // outside. Tells whether the file gives the width and the height.
    static std::pair<bool, bool> loadBounds(TSchemaItem *item, const TSchemaSection &s)
    {
        auto bound = [&s](const char *key, int low) -> std::optional<int> {
            if (const std::optional<int> v = s.Int(QLatin1String(key)))
                return qBound(low, *v, QWIDGETSIZE_MAX);
            return std::nullopt;
        };
        const std::optional<int> left = bound("Left", -QWIDGETSIZE_MAX);
        const std::optional<int> top = bound("Top", -QWIDGETSIZE_MAX);
        const std::optional<int> width = bound("Width", 0);
        const std::optional<int> height = bound("Height", 0);
        if (left || top || width || height)
            item->SetBounds(left.value_or(item->Left()), top.value_or(item->Top()),
                width.value_or(item->Width()), height.value_or(item->Height()));
        return { width.has_value(), height.has_value() };
    }

    void loadRows(const QPointer<TSchemaItem> &item, int i, const TSchemaSection &s)
    {
        const int rows = s.Int(QStringLiteral("SubItems")).value_or(0);
        for (int j = 1; j <= rows; ++j) {
            const TSchemaSection r = FFile.Section(SubItemHeader(i, j));
            QPointer<TSchemaSubItem> row = item->AddSubItem(
                r.Text(QStringLiteral("Caption")), -1, r.Bool(QStringLiteral("Checked")));
            if (!item)
                gone(s);
            if (!row) {
                if (holdsOneRow(item))
                    break; // a text or icon item already holds its row: the rest are skipped
                gone(r);
            }
            row->SetIndex(r.RequiredInt(QStringLiteral("Index")));
            row->SetImageIndex(0, r.RequiredInt(QStringLiteral("ImageIndex")));
            row->SetImageIndex(1, r.RequiredInt(QStringLiteral("SelectedIndex")));
            row->SetImageIndex(2, r.RequiredInt(QStringLiteral("OverlayIndex")));
            row->SetImageIndex(3, r.RequiredInt(QStringLiteral("StateIndex")));
            row->SetLinked(r.Bool(QStringLiteral("Linked")));
        }
    }
    // The item a relation end names: the item of section "<end>ItemNo" when that key holds the
    // number of a loaded item whose caption is the named one, else the item FindItem gives
    // for the caption (the one placed last among equal captions).
    TSchemaItem *endItem(const TSchemaSection &s, const QString &nameKey, const QString &numberKey)
    {
        const QString caption = s.Text(nameKey);
        if (const std::optional<int> no = s.Int(numberKey)) {
            if (*no >= 1 && *no <= FItems.size()) {
                TSchemaItem *item = FItems[*no - 1];
                if (item && SameText(item->GetCaption(), caption))
                    return item;
            }
        }
        TSchemaItem *item = FArea->FindItem(caption);
        if (!item)
            throw ESchemaFileError(s.Describe(nameKey,
                QCoreApplication::translate("Diduza::SchemaFile", "no item is named \"%1\"")
                    .arg(caption)));
        return item;
    }

    // The row at 1-based number of the key; a text or icon item's single row for any number.
    static TSchemaSubItem *endRow(const TSchemaSection &s, const QString &key, TSchemaItem *item)
    {
        const int number = s.RequiredInt(key);
        const int count = item->GetSubItemCount();
        TSchemaSubItem *row = nullptr;
        if (holdsOneRow(item))
            row = item->GetSubItem(0);
        else if (number >= 1 && number <= count)
            row = item->GetSubItem(number - 1);
        if (!row)
            throw ESchemaFileError(s.Describe(key,
                QCoreApplication::translate(
                    "Diduza::SchemaFile", "the item \"%1\" has no row %2 (it has %3)")
                    .arg(item->GetCaption())
                    .arg(number)
                    .arg(count)));
        return row;
    }

    void loadRelation(int k)
    {
        const TSchemaSection s = FFile.Section(RelationHeader(k));
        TSchemaItem *parent
            = endItem(s, QStringLiteral("ParentItem"), QStringLiteral("ParentItemNo"));
        TSchemaItem *child = endItem(s, QStringLiteral("ChildItem"), QStringLiteral("ChildItemNo"));
        TSchemaSubItem *parentRow = endRow(s, QStringLiteral("ParentSubItem"), parent);
        TSchemaSubItem *childRow = endRow(s, QStringLiteral("ChildSubItem"), child);
        QPointer<TSchemaRelation> relation = FArea->AddRelation(parent, child, parentRow, childRow);
        // As in every version of the format, the join settings are read once the relation is
        // on the area: a section that fails here leaves the relation with its defaults.
        const auto op = TSDRelationOperator(
            s.RequiredEnum(QStringLiteral("JoinOperator"), EnumCount<TSDRelationOperator>()));
        if (relation)
            relation->SetJoinOperator(op);
        const auto join = TSDRelationJoin(
            s.RequiredEnum(QStringLiteral("JoinType"), EnumCount<TSDRelationJoin>()));
        if (relation)
            relation->SetJoinType(join);
        const auto type = TSDRelationType(
            s.RequiredEnum(QStringLiteral("RelationType"), EnumCount<TSDRelationType>()));
        if (relation)
            relation->SetRelationType(type);
        if (relation)
            relation->SetJoinCondition(s.Text(QStringLiteral("JoinCondition")));
    }

    TSchemaDesignArea *FArea;
    const TSchemaFileReader &FFile;
    AddItemFunc FAddItem;
    ItemLoadedFunc FItemLoaded;
    QVector<QPointer<TSchemaItem>> FItems; // by item section number - 1
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Saving

void TSchemaDesignArea::SaveToStream(QIODevice &Stream) const
{
    if (!Stream.isOpen() || !Stream.isWritable())
        throw EStreamError(QCoreApplication::translate(
            "Diduza::SchemaFile", "The stream is not open for writing."));
    TSchemaFileData data;
    data.App = QCoreApplication::applicationName();
    data.Saved = FormatSaved(QDateTime::currentDateTime(), localeTimeSeparator());
    if (const TSchemaDataEngine *engine = DataEngine())
        data.SQLSubType = int(engine->SQLSubType());

    // One walk of the control list gives the items in GetItem order and their numbers.
    QHash<const TSchemaItem *, int> numbers;
    for (int c = 0; c < ControlCount(); ++c) {
        if (auto *item = qobject_cast<TSchemaItem *>(Controls(c))) {
            data.Items.append(itemData(item));
            numbers.insert(item, int(data.Items.size()));
        }
    }
    for (int c = 0; c < ControlCount(); ++c) {
        auto *relation = qobject_cast<TSchemaRelation *>(Controls(c));
        if (!relation)
            continue;
        TSchemaItem *parent = relation->ParentItem();
        TSchemaItem *child = relation->ChildItem();
        // A relation whose item or row is gone, or is not on this area, cannot be stored.
        if (!numbers.contains(parent) || !numbers.contains(child))
            continue;
        TSchemaFileRelation r;
        r.ParentSubItem = rowNumber(parent, relation->ParentSubItem());
        r.ChildSubItem = rowNumber(child, relation->ChildSubItem());
        if (r.ParentSubItem < 0 || r.ChildSubItem < 0)
            continue;
        r.ParentItem = parent->GetCaption();
        r.ChildItem = child->GetCaption();
        r.JoinOperator = int(relation->JoinOperator());
        r.JoinType = int(relation->JoinType());
        r.RelationType = int(relation->RelationType());
        r.JoinCondition = relation->JoinCondition();
        r.ParentItemNo = numbers.value(parent);
        r.ChildItemNo = numbers.value(child);
        data.Relations.append(r);
    }

    // One piece, written on until the device takes no more: an unbuffered file may take part
    // of it and report the cause only on the next write.
    const QByteArray bytes = EncodeText(WriteText(data));
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 n = Stream.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            throw EStreamError(
                QCoreApplication::translate("Diduza::SchemaFile", "Cannot write the schema: %1")
                    .arg(Stream.errorString()),
                fileErrorOf(Stream));
        done += n;
    }
}

void TSchemaDesignArea::SaveToFile(const QString &FileName) const
{
    QSaveFile file(FileName);
    // Unbuffered: a buffered QSaveFile commits a file cut short when the system takes only part
    // of the text (a file size limit, a full disk) without reporting it.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw EStreamError(
            QCoreApplication::translate("Diduza::SchemaFile", "Cannot create file \"%1\": %2")
                .arg(FileName, file.errorString()),
            file.error());
    try {
        SaveToStream(file);
    } catch (const EStreamError &e) {
        // The destructor drops the new text; the old file stays as it was.
        throw EStreamError(
            QCoreApplication::translate("Diduza::SchemaFile", "Cannot write file \"%1\": %2")
                .arg(FileName, file.errorString()),
            e.FileError());
    }
    if (!file.commit())
        throw EStreamError(
            QCoreApplication::translate("Diduza::SchemaFile", "Cannot save file \"%1\": %2")
                .arg(FileName, file.errorString()),
            file.error());
}

// ---------------------------------------------------------------------------------------------
// Loading

void TSchemaDesignArea::LoadFromStream(QIODevice &Stream)
{
    // Read and index the whole text first: a stream that fails leaves the diagram alone.
    auto file = std::make_unique<const TSchemaFileReader>(readAllOf(Stream));
    SuspendedDrawing suspended(this);
    ClearAll();
    // Last, also when the load fails, and while drawing is still suspended.
    const auto settled = qScopeGuard([this] { d->dropPendingRepaints(); });
    // A loaded diagram starts a new history, also when the load fails half-way.
    d->undo.pause();
    const auto resume = qScopeGuard([this] {
        d->undo.resume();
        d->undo.clearHistory();
    });
    Loader(
        this, *file,
        [this](const QString &caption, TSchemaControlType type, std::exception_ptr &failure) {
            return d->createItem(caption, type, nullptr, &failure);
        },
        [this](TSchemaItem *item, int number) {
            d->settleLoadedItem(item);
            // In batches: each flush of the posted events walks all of them.
            if (number % 32 == 0)
                d->dropPendingRepaints();
        })
        .run();
    file.reset(); // before what the flush allocates
}

void TSchemaDesignAreaPrivate::settleLoadedItem(TSchemaItem *item)
{
    if (q->updatesEnabled())
        return;
    // A list lays itself out on a timer after its rows change, showing or hiding its scroll bar
    // then, and every widget shown posts a request to repaint itself. Left for later, thousands
    // of them pile up: Qt walks the pending events to merge each new one and the running timers
    // to stop each one, and each repaint request, handled after drawing resumes, repaints one
    // widget and makes Qt look at all its siblings. Handled now, while drawing is suspended,
    // the repaint requests are dropped and resuming repaints the area once. Only repaint
    // requests are handled for every widget: handling them runs no application code.
    item->ensurePolished();
    const QList<QLayout *> layouts = item->findChildren<QLayout *>();
    for (QLayout *layout : layouts)
        layout->activate();
    const QList<QAbstractItemView *> views = item->findChildren<QAbstractItemView *>();
    for (QAbstractItemView *view : views)
        view->doItemsLayout();
}

void TSchemaDesignAreaPrivate::dropPendingRepaints()
{
    if (!q->updatesEnabled())
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateLater);
}

void TSchemaDesignArea::LoadFromFile(const QString &FileName)
{
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EStreamError(
            QCoreApplication::translate("Diduza::SchemaFile", "Cannot open file \"%1\": %2")
                .arg(FileName, file.errorString()),
            file.error());
    LoadFromStream(file);
}

// ---------------------------------------------------------------------------------------------
// Drawing

void TSchemaDesignArea::DrawCanvas(QPainter &ACanvas)
{
    const QScopedValueRollback<bool> drawing(d->FDrawingCanvas, true);
    for (int c = 0; c < ControlCount(); ++c) {
        auto *relation = qobject_cast<TSchemaRelation *>(Controls(c));
        if (!relation || !relation->Visible())
            continue;
        ACanvas.save();
        ACanvas.translate(relation->Left(), relation->Top());
        ACanvas.setClipRect(QRect(0, 0, relation->Width(), relation->Height()), Qt::IntersectClip);
        relation->Paint(ACanvas);
        ACanvas.restore();
    }
    for (int c = 0; c < ControlCount(); ++c) {
        auto *item = qobject_cast<TSchemaItem *>(Controls(c));
        if (!item || item->isHidden())
            continue;
        item->render(&ACanvas, item->pos(), QRegion(),
            QWidget::DrawWindowBackground | QWidget::DrawChildren);
    }
}

} // namespace Diduza
