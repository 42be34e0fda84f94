// A real window for the drag check under Xvfb (run_drag_check.sh): a design area with a list
// item, a second list item, a text item and two relations; a row of one list is dragged onto a
// row of the other to link them. It prints where the script should
// press and where things stand, then waits for commands on its standard input:
//   report  prints where things stand now, then routes both relations afresh and prints those
//           bounds too (equal bounds mean the drag already re-routed them)
//   quit    ends the program
// Every line it prints is "KEY value ...", read by the script.

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/items/TSchemaListBox.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/items/TSchemaText.h"
#include "relations/TSchemaRelation.h"

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QSocketNotifier>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

using namespace Diduza;

namespace {

void print(const char *key, const QPoint &p)
{
    std::printf("%s %d %d\n", key, p.x(), p.y());
}

void print(const char *key, const QRect &r)
{
    std::printf("%s %d %d %d %d\n", key, r.left(), r.top(), r.width(), r.height());
}

TSchemaItem *table(TSchemaDesignArea *area, const QString &name, const QStringList &fields)
{
    TSchemaItem *item = area->AddItem(name, scListBox);
    for (const QString &field : fields)
        item->AddSubItem(field, -1, false);
    item->RecalculateHeight();
    item->RecalculateWidth();
    return item;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Diduza drag check"));
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *area = new TSchemaDesignArea(&window);
    layout->addWidget(area);

    TSchemaItem *source = table(area, QStringLiteral("orders"),
        { QStringLiteral("id"), QStringLiteral("customer_id"), QStringLiteral("amount") });
    source->move(30, 60);
    TSchemaItem *target = table(area, QStringLiteral("customer"),
        { QStringLiteral("id"), QStringLiteral("name"), QStringLiteral("city") });
    target->move(560, 80);
    TSchemaItem *note = area->AddItem(QStringLiteral("Billed monthly"), scText);
    note->AddSubItem(QStringLiteral("note"), -1, false);
    note->TextControl()->SetShapeKind(skRoundRect);
    note->SetBounds(40, 420, 140, 40);
    TSchemaRelation *relation
        = area->AddRelation(source, target, source->GetSubItem(1), target->GetSubItem(0));
    TSchemaRelation *noteRelation
        = area->AddRelation(note, target, note->GetSubItem(0), target->GetSubItem(2));

    window.setGeometry(40, 40, 900, 640);
    window.show();

    auto state = [&](const char *phase) {
        const QByteArray p(phase);
        print(p + "SOURCE", source->pos());
        print(p + "NOTE", note->pos());
        print(p + "REL", relation->BoundsRect());
        print(p + "NOTEREL", noteRelation->BoundsRect());
    };

    // Once the window is mapped: the points to press and the state before the drags.
    QTimer::singleShot(500, &window, [&] {
        const QRect bar = source->CaptionRect();
        print("BAR", source->mapToGlobal(QPoint(bar.left() + 15, bar.center().y())));
        print("BODY", note->mapToGlobal(note->ClientRect().center()));
        // A row to drag ("amount" of orders) and the row to drop it on ("name" of customer).
        auto rowPoint = [](TSchemaItem *item, int row) {
            QListWidget *list = item->ListBox();
            return list->viewport()->mapToGlobal(list->visualItemRect(list->item(row)).center());
        };
        print("ROW_SOURCE", rowPoint(source, 2));
        print("ROW_TARGET", rowPoint(target, 1));
        state("BEFORE_");
        std::printf("READY\n");
        std::fflush(stdout);
    });

    QFile input;
    input.open(stdin, QIODevice::ReadOnly | QIODevice::Unbuffered);
    QSocketNotifier notifier(fileno(stdin), QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &window, [&] {
        const QByteArray line = input.readLine().trimmed();
        if (line == "report") {
            state("AFTER_");
            std::printf("RELATIONS %d\n", area->GetRelationCount());
            if (TSchemaRelation *last = area->GetRelation(area->GetRelationCount() - 1))
                std::printf("LAST_REL %s.%s %s.%s\n", qPrintable(last->ParentItem()->GetCaption()),
                    qPrintable(last->ParentSubItem()->Caption()),
                    qPrintable(last->ChildItem()->GetCaption()),
                    qPrintable(last->ChildSubItem()->Caption()));
            area->ReboundRelation(relation, false);
            area->ReboundRelation(noteRelation, false);
            print("ROUTED_REL", relation->BoundsRect());
            print("ROUTED_NOTEREL", noteRelation->BoundsRect());
            std::printf("DONE\n");
            std::fflush(stdout);
        } else if (line == "quit" || line.isEmpty()) {
            QApplication::quit();
        }
    });
    // Never outlive a script that went away.
    QTimer::singleShot(120000, &app, [] { QApplication::exit(2); });
    return app.exec();
}
