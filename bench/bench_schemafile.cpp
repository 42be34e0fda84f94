// Saving and loading schema files of growing diagrams, per item, next to the cost of creating
// the same bare widgets (a frame holding a 20-entry list) in the same run. Build Release with
// DIDUZA_BUILD_BENCH=ON and run bin/bench_schemafile (offscreen when there is no display).
//
// Each diagram has N list items of 20 rows and one relation per item (row i % 20 of item i to a
// row of item i + 1). Columns, in microseconds per item, best of three runs:
//   save   SaveToStream into memory
//   index  reading the text: decoding, lines and the section index (no widgets)
//   load   LoadFromStream into a fresh area, then one turn of the event loop
//   build  the same diagram made by AddItem, SetBounds, AddSubItem and AddRelation calls into a
//          fresh area, then one turn of the event loop (what a load costs beyond the file)
//   bare   creating N frames, each with a 20-entry QListWidget, then one turn of the event loop
// A per-item cost that stays flat as N grows means the operation is linear. Other sizes can be
// given as arguments.
//
// "bench_schemafile --caption MB" instead times a file of one list item whose caption is MB
// megabytes: loading it, showing and painting the area, and saving it.

#include "diagram/model/SchemaFile.h"
#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QListWidget>
#include <QLoggingCategory>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

using namespace Diduza;

namespace {

constexpr int Rows = 20;

void build(TSchemaDesignArea &area, int n)
{
    for (int i = 0; i < n; ++i) {
        TSchemaItem *item
            = area.AddItem(QStringLiteral("T%1").arg(i, 4, 10, QLatin1Char('0')), scListBox);
        item->SetBounds((i % 40) * 130, (i / 40) * 200, 120, 180);
        for (int j = 0; j < Rows; ++j)
            item->AddSubItem(QStringLiteral("field%1").arg(j), -1, false);
    }
    for (int i = 0; i < n; ++i) {
        TSchemaItem *a = area.GetItem(i);
        TSchemaItem *b = area.GetItem((i + 1) % n);
        area.AddRelation(a, b, a->GetSubItem(i % Rows), b->GetSubItem((i + 3) % Rows));
    }
}

// One item with a caption of megabytes: load, show and paint, save; milliseconds each.
int hugeCaption(int megabytes)
{
    const QByteArray caption(qsizetype(megabytes) << 20, 'W');
    const QByteArray file = "[General]\r\nItemCount=1\r\nRelCount=0\r\n\r\n[Item1]\r\n"
                            "ControlType=0\r\nCaption="
        + caption + "\r\nSubItems=0\r\n";
    TSchemaDesignArea area;
    area.resize(1200, 800);
    QElapsedTimer t;
    t.start();
    QBuffer in;
    in.setData(file);
    in.open(QIODevice::ReadOnly);
    area.LoadFromStream(in);
    const qint64 load = t.restart();
    area.show();
    QCoreApplication::processEvents();
    area.grab();
    const qint64 shown = t.restart();
    QByteArray saved;
    QBuffer out(&saved);
    out.open(QIODevice::WriteOnly);
    area.SaveToStream(out);
    const qint64 save = t.elapsed();
    std::printf("caption of %d MB: load %lld ms, show and paint %lld ms, save %lld ms\n", megabytes,
        load, shown, save);
    return saved.contains(caption) ? 0 : 1;
}

// Best time of three runs in microseconds; prepare runs untimed before each.
double best(const std::function<void()> &prepare, const std::function<void()> &run)
{
    double result = 1e300;
    for (int k = 0; k < 3; ++k) {
        prepare();
        QElapsedTimer t;
        t.start();
        run();
        result = std::min(result, t.nsecsElapsed() / 1000.0);
    }
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("qt.svg.warning=false"));
    if (argc == 3 && QByteArray(argv[1]) == "--caption")
        return hugeCaption(QByteArray(argv[2]).toInt());

    std::printf("%6s %10s %8s %8s %8s %8s %8s %10s %10s\n", "items", "bytes", "save", "index",
        "load", "build", "bare", "load/build", "load/bare");
    QList<int> sizes { 100, 400, 1600 };
    if (argc > 1) { // other sizes: bench_schemafile 200 3200
        sizes.clear();
        for (int i = 1; i < argc; ++i)
            sizes << QByteArray(argv[i]).toInt();
    }
    for (const int n : std::as_const(sizes)) {
        TSchemaDesignArea source;
        source.resize(1200, 800);
        source.show();
        build(source, n);
        QByteArray bytes;

        const double save = best([&] { bytes.clear(); },
            [&] {
                QBuffer buffer(&bytes);
                buffer.open(QIODevice::WriteOnly);
                source.SaveToStream(buffer);
            });
        const double index = best([] {}, [&] { SchemaFile::TSchemaFileReader reader(bytes); });

        std::unique_ptr<TSchemaDesignArea> target;
        auto freshArea = [&] {
            target.reset();
            QCoreApplication::processEvents();
            target = std::make_unique<TSchemaDesignArea>();
            target->resize(1200, 800);
            target->show();
            QCoreApplication::processEvents();
        };
        const double made = best(freshArea, [&] {
            build(*target, n);
            QCoreApplication::processEvents();
        });
        const double load = best(freshArea, [&] {
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::ReadOnly);
            target->LoadFromStream(buffer);
            QCoreApplication::processEvents();
        });
        if (target->GetItemCount() != n || target->GetRelationCount() != n) {
            std::fprintf(stderr, "the diagram did not load whole\n");
            return 1;
        }
        target.reset();

        std::unique_ptr<QWidget> host;
        const double bare = best(
            [&] {
                host.reset();
                QCoreApplication::processEvents();
                host = std::make_unique<QWidget>();
                host->resize(1200, 800);
                host->show();
                QCoreApplication::processEvents();
            },
            [&] {
                for (int i = 0; i < n; ++i) {
                    auto *frame = new QWidget(host.get());
                    frame->setGeometry((i % 40) * 130, (i / 40) * 200, 120, 180);
                    auto *list = new QListWidget(frame);
                    list->setGeometry(2, 20, 116, 158);
                    for (int j = 0; j < Rows; ++j)
                        list->addItem(QStringLiteral("field%1").arg(j));
                    frame->show();
                }
                QCoreApplication::processEvents();
            });
        host.reset();

        std::printf("%6d %10lld %8.1f %8.1f %8.1f %8.1f %8.1f %10.2f %10.2f\n", n,
            qint64(bytes.size()), save / n, index / n, load / n, made / n, bare / n, load / made,
            load / bare);
        std::fflush(stdout);
    }
    return 0;
}
