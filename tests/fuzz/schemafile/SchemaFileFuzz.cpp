#include "SchemaFileFuzz.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "platform/Application.h"
#include "platform/DrawingSuspension.h"
#include "platform/Exceptions.h"
#include "relations/TSchemaRelation.h"

#include <QApplication>
#include <QBuffer>
#include <QList>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cstdio>
#include <cstdlib>

namespace Diduza::Fuzz {

namespace {

LoadCounts counts;

[[noreturn]] void fail(const char *what, const QString &detail = QString())
{
    std::fprintf(stderr, "schema file fuzz: %s %s\n", what, qPrintable(detail));
    std::abort();
}

TSchemaDesignArea &area()
{
    static TSchemaDesignArea *instance = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz_schemafile";
        static char *argv[] = { name, nullptr };
        new QApplication(argc, argv); // lives as long as the process
        QLoggingCategory::setFilterRules(QStringLiteral("qt.svg.warning=false"));
        SetExceptionHandler(
            [](const Exception &e) { fail("exception left a handler:", e.Message()); });
        return new TSchemaDesignArea;
    }();
    return *instance;
}

// An exception's message, or nothing when the load went through.
std::optional<QString> load(TSchemaDesignArea &a, const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        a.LoadFromStream(buffer);
    } catch (const Exception &e) {
        if (e.Message().trimmed().isEmpty())
            fail("a failure without a message");
        return e.Message();
    }
    // Anything else (a std::exception of another kind) escapes and ends the run.
    return std::nullopt;
}

void checkConsistent(const TSchemaDesignArea &a, const char *when)
{
    if (a.IsLocked() || LockedWindow() || !a.updatesEnabled())
        fail("drawing still suspended", QString::fromLatin1(when));
    for (int i = 0; i < a.GetRelationCount(); ++i) {
        const TSchemaRelation *r = a.GetRelation(i);
        const TSchemaItem *ends[2] = { r->ParentItem(), r->ChildItem() };
        const TSchemaSubItem *rows[2] = { r->ParentSubItem(), r->ChildSubItem() };
        for (int e = 0; e < 2; ++e) {
            if (!ends[e] || a.GetItemIndex(ends[e]) < 0)
                fail("a relation ends at no item on the area", QString::fromLatin1(when));
            if (!rows[e] || ends[e]->GetIndexBySubItem(rows[e]) < 0)
                fail("a relation ends at no row of its item", QString::fromLatin1(when));
        }
    }
}

QByteArray save(const TSchemaDesignArea &a)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    a.SaveToStream(buffer);
    return buffer.data();
}

QString withoutSavedLine(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes).remove(QRegularExpression(QStringLiteral("Saved=[^\r]*\r\n")));
}

} // namespace

int LoadSchemaFile(const uint8_t *data, size_t size)
{
    TSchemaDesignArea &a = area();
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<QString> error = load(a, input);
    checkConsistent(a, "after the load");
    ++(error ? counts.failed : counts.loaded);
    if (error)
        return 0;
    // What loaded saves, loads back and saves to the same text.
    const QByteArray first = save(a);
    if (const std::optional<QString> again = load(a, first))
        fail("a saved diagram does not load:", *again);
    checkConsistent(a, "after loading the saved text");
    const QByteArray second = save(a);
    if (withoutSavedLine(first) != withoutSavedLine(second))
        fail("saving a reloaded diagram changes the text:", QString::fromUtf8(first));
    return 0;
}

const LoadCounts &Counts()
{
    return counts;
}

// ---------------------------------------------------------------------------------------------

namespace {

const char *const Numbers[] = { "", "0", "1", "-1", "2", "3", "4", "5", "6", "30", "31", "+1", " 1",
    "x", "2147483647", "-2147483648", "2147483648", "16777215", "-16777201", "1000000" };
const char *const Keys[] = { "ItemCount", "RelCount", "ControlType", "Caption", "ShowCaption",
    "Sizeable", "ToolWin", "Border", "Left", "Top", "Width", "Height", "IconType", "SubItems",
    "Font", "Checked", "Index", "ImageIndex", "SelectedIndex", "OverlayIndex", "StateIndex",
    "Linked", "ParentItem", "ChildItem", "ParentSubItem", "ChildSubItem", "JoinOperator",
    "JoinType", "RelationType", "ParentItemNo", "ChildItemNo" };

template <typename T, size_t N> const T &pick(QRandomGenerator &rng, const T (&array)[N])
{
    return array[rng.bounded(int(N))];
}

QByteArray number(QRandomGenerator &rng)
{
    return rng.bounded(4) ? QByteArray::number(rng.bounded(-2, 8)) : QByteArray(pick(rng, Numbers));
}

QByteArray header(QRandomGenerator &rng)
{
    switch (rng.bounded(4)) {
    case 0:
        return "[Item" + number(rng) + "]";
    case 1:
        return "[SubItem" + number(rng) + "of" + number(rng) + "]";
    case 2:
        return "[Relation" + number(rng) + "]";
    default:
        return "[General]";
    }
}

// The lines [begin, end) of the section that holds line i.
std::pair<int, int> sectionAround(const QList<QByteArray> &lines, int i)
{
    int begin = i;
    while (begin > 0 && !lines[begin].startsWith('['))
        --begin;
    int end = i + 1;
    while (end < lines.size() && !lines[end].startsWith('['))
        ++end;
    return { begin, end };
}

} // namespace

QByteArray MutateSchemaFile(const QByteArray &input, quint32 seed, size_t maxSize)
{
    QRandomGenerator rng(seed);
    QList<QByteArray> lines = input.split('\n');
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    const int steps = 1 + rng.bounded(4);
    for (int step = 0; step < steps; ++step) {
        const int n = int(lines.size());
        const int i = n ? rng.bounded(n) : 0;
        switch (rng.bounded(9)) {
        case 0: // drop a line
            if (n)
                lines.removeAt(i);
            break;
        case 1: // repeat a line somewhere
            if (n)
                lines.insert(rng.bounded(n + 1), lines[i]);
            break;
        case 2: // swap two lines
            if (n)
                lines.swapItemsAt(i, rng.bounded(n));
            break;
        case 3: { // a boundary number as a value
            if (!n)
                break;
            const int eq = int(lines[i].indexOf('='));
            if (eq >= 0)
                lines[i] = lines[i].left(eq + 1) + number(rng);
            break;
        }
        case 4: // renumber, or invent, a header
            if (n && lines[i].startsWith('['))
                lines[i] = header(rng);
            else
                lines.insert(n ? i : 0, header(rng));
            break;
        case 5: { // repeat or drop a whole section
            if (!n)
                break;
            const auto [begin, end] = sectionAround(lines, i);
            const QList<QByteArray> block = lines.mid(begin, end - begin);
            if (rng.bounded(2)) {
                lines.remove(begin, end - begin);
            } else {
                const int at = rng.bounded(int(lines.size()) + 1);
                for (int k = 0; k < block.size(); ++k)
                    lines.insert(at + k, block[k]);
            }
            break;
        }
        case 6: // change the case of a line
            if (n)
                lines[i] = rng.bounded(2) ? lines[i].toLower() : lines[i].toUpper();
            break;
        case 7: // an invented key line
            lines.insert(n ? i : 0, QByteArray(pick(rng, Keys)) + "=" + number(rng));
            break;
        default: // one byte changed
            if (n && !lines[i].isEmpty())
                lines[i][rng.bounded(int(lines[i].size()))] = char(rng.bounded(256));
            break;
        }
    }
    QByteArray out = lines.join("\r\n");
    if (size_t(out.size()) > maxSize)
        out.truncate(qsizetype(maxSize));
    return out;
}

} // namespace Diduza::Fuzz
