#include "relations/TfrmZkRelation.h"

#include "platform/ColorConvert.h"
#include "platform/RelationOperators.h"
#include "platform/TRadioGroup.h"

#include <QBoxLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

namespace Diduza {

namespace {
// The designed size of each control is the least it gets: a control grows to its text in the
// present font and style, and the dialog, fixed in size, to its controls. At a font whose
// texts fit, every control keeps its designed place.
QLabel *caption(QWidget *parent, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumSize(60, 13);
    return label;
}

// A value label: bold and navy as designed, the navy lightened where it would not read on the
// palette's background (a dark palette), also when the palette changes while it shows.
class ValueLabel : public QLabel {
public:
    explicit ValueLabel(QWidget *parent)
        : QLabel(parent)
    {
        QFont bold; // only the weight is its own: the rest follows the dialog's font
        bold.setBold(true);
        setFont(bold);
        setMinimumSize(205, 16);
        followPalette();
    }

protected:
    void changeEvent(QEvent *event) override
    {
        QLabel::changeEvent(event);
        if (event->type() == QEvent::PaletteChange)
            followPalette();
    }

private:
    void followPalette()
    {
        const QColor ink = ReadableOn(QColor(0, 0, 128), palette().color(QPalette::Window));
        if (palette().color(QPalette::WindowText) == ink)
            return; // also ends the change event that setting it raises
        QPalette pal = palette();
        pal.setColor(QPalette::WindowText, ink);
        setPalette(pal);
    }
};

QLabel *value(QWidget *parent)
{
    return new ValueLabel(parent);
}

// One end of the relation: its table and its column, each after a right-aligned caption.
void layOutEnd(
    QGroupBox *box, QLabel *tableCaption, QLabel *table, QLabel *columnCaption, QLabel *column)
{
    box->setMinimumSize(313, 57);
    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(0);
    grid->addWidget(tableCaption, 0, 0);
    grid->addWidget(table, 0, 1);
    grid->addWidget(columnCaption, 1, 0);
    grid->addWidget(column, 1, 1);
    grid->setColumnStretch(1, 1);
}

TRadioGroup *joinOperatorGroup(TfrmZkRelation *form)
{
    auto *group = new TRadioGroup(form);
    group->setObjectName(QStringLiteral("rgJoinOperator"));
    group->setTitle(TfrmZkRelation::tr(" Join Operator "));
    group->setMinimumSize(130, 60);
    group->SetColumns(3);
    QStringList operators;
    for (const RelationOperatorText &entry : RelationOperatorTexts)
        operators << QString::fromLatin1(entry.Text);
    group->SetItems(operators);
    group->SetItemIndex(0);
    return group;
}

TRadioGroup *joinTypeGroup(TfrmZkRelation *form)
{
    auto *group = new TRadioGroup(form);
    group->setObjectName(QStringLiteral("rgJoinType"));
    group->setTitle(TfrmZkRelation::tr(" Join Type "));
    group->setMinimumSize(178, 60);
    group->SetColumns(2);
    group->SetItems({ TfrmZkRelation::tr("Inner"), TfrmZkRelation::tr("Left Outer"),
        TfrmZkRelation::tr("Right Outer"), TfrmZkRelation::tr("Full Outer") });
    group->SetItemIndex(0);
    group->setWhatsThis(
        TfrmZkRelation::tr("Left Outer keeps every row of the relation's parent, Right Outer "
                           "every row of its child, Full Outer the rows of both. The local "
                           "dialect writes every kind as a plain condition, which keeps "
                           "only the matching rows."));
    return group;
}

// The property of a join kind's button that holds what the kind keeps (its tool tip while
// the kind is available).
const char keepsProperty[] = "diduzaKeeps";

// What each join kind keeps, in every dialect that writes outer joins, naming the tables.
QString joinKeeps(int join, const QString &parent, const QString &child)
{
    switch (join) {
    case 1:
        return TfrmZkRelation::tr("Every row of %1, with the matching rows of %2 or nothing.")
            .arg(parent, child);
    case 2:
        return TfrmZkRelation::tr("Every row of %1, with the matching rows of %2 or nothing.")
            .arg(child, parent);
    case 3:
        return TfrmZkRelation::tr("Every row of %1 and of %2, matched where they match.")
            .arg(parent, child);
    default:
        return TfrmZkRelation::tr("Only the rows of %1 and %2 that match.").arg(parent, child);
    }
}

// The line under the join kinds: what the selected kind keeps, in short.
QString joinKeepsLine(int join, const QString &parent, const QString &child)
{
    switch (join) {
    case 1:
        return TfrmZkRelation::tr("All rows of %1").arg(parent);
    case 2:
        return TfrmZkRelation::tr("All rows of %1").arg(child);
    case 3:
        return TfrmZkRelation::tr("All rows of %1 and %2").arg(parent, child);
    case 0:
        return TfrmZkRelation::tr("Matching rows only");
    default:
        return QString();
    }
}

QPushButton *button(QWidget *parent, const QString &text, const QString &name)
{
    auto *result = new QPushButton(text, parent);
    result->setObjectName(name);
    result->setMinimumSize(75, 25);
    return result;
}

// Top to bottom: the parent, the child, the operator beside the join type; then the bevel and,
// along the bottom edge, the buttons at the right.
void layOutForm(TfrmZkRelation *form)
{
    auto *ends = new QVBoxLayout;
    ends->setContentsMargins(5, 8, 4, 0);
    ends->setSpacing(0);
    ends->addWidget(form->gbParent);
    ends->addSpacing(7);
    ends->addWidget(form->gbChild);
    ends->addSpacing(11);
    auto *joins = new QHBoxLayout;
    joins->setSpacing(5);
    // The join kinds are taller by their line of what they keep; the operators keep their
    // height.
    joins->addWidget(form->rgJoinOperator, 0, Qt::AlignTop);
    joins->addWidget(form->rgJoinType, 1);
    ends->addLayout(joins);

    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 7, 4, 6);
    buttons->setSpacing(5);
    buttons->addStretch(1);
    buttons->addWidget(form->BtnOk);
    buttons->addWidget(form->BtnCancel);

    auto *layout = new QVBoxLayout(form);
    layout->setSizeConstraint(QLayout::SetFixedSize); // a fixed border that fits the controls
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(ends);
    layout->addSpacing(16);
    layout->addWidget(form->bvlButtons);
    layout->addLayout(buttons);
}
} // namespace

TfrmZkRelation::TfrmZkRelation(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmZkRelation"));
    setWindowTitle(tr("Relation properties"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint
        | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    QFont formFont(QStringLiteral("MS Sans Serif"));
    formFont.setStyleHint(QFont::SansSerif);
    formFont.setPixelSize(11);
    setFont(formFont);

    gbParent = new QGroupBox(tr(" Parent "), this);
    gbParent->setObjectName(QStringLiteral("gbParent"));
    Label1 = caption(gbParent, tr("Table 1:"));
    Label3 = caption(gbParent, tr("Column 1:"));
    txtTable1 = value(gbParent);
    txtCol1 = value(gbParent);
    layOutEnd(gbParent, Label1, txtTable1, Label3, txtCol1);

    gbChild = new QGroupBox(tr(" Child "), this);
    gbChild->setObjectName(QStringLiteral("gbChild"));
    Label2 = caption(gbChild, tr("Table 2:"));
    Label4 = caption(gbChild, tr("Column 2:"));
    txtTable2 = value(gbChild);
    txtCol2 = value(gbChild);
    layOutEnd(gbChild, Label2, txtTable2, Label4, txtCol2);

    rgJoinOperator = joinOperatorGroup(this);
    rgJoinType = joinTypeGroup(this);
    lblJoinKeeps = new QLabel(rgJoinType);
    lblJoinKeeps->setObjectName(QStringLiteral("lblJoinKeeps"));
    if (auto *kinds = qobject_cast<QGridLayout *>(rgJoinType->layout()))
        kinds->addWidget(lblJoinKeeps, kinds->rowCount(), 0, 1, kinds->columnCount());
    for (int join = 0; join < 4; ++join) {
        if (QAbstractButton *kind = rgJoinType->Button(join)) {
            connect(kind, &QAbstractButton::toggled, this, [this](bool on) {
                if (on)
                    SetJoinTables(property("diduzaParentTable").toString(),
                        property("diduzaChildTable").toString());
            });
        }
    }
    SetJoinTables(QString(), QString());

    bvlButtons = new QFrame(this);
    bvlButtons->setObjectName(QStringLiteral("bvlButtons"));
    bvlButtons->setFrameShape(QFrame::HLine);
    bvlButtons->setFrameShadow(QFrame::Sunken);
    bvlButtons->setFixedHeight(2);

    BtnOk = button(this, tr("&OK"), QStringLiteral("BtnOk"));
    BtnOk->setDefault(true);
    connect(BtnOk, &QPushButton::clicked, this, &QDialog::accept);
    BtnCancel = button(this, tr("&Cancel"), QStringLiteral("BtnCancel"));
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);

    layOutForm(this);
    setTabOrder(rgJoinOperator, rgJoinType);
    setTabOrder(rgJoinType, BtnOk);
    setTabOrder(BtnOk, BtnCancel);
    if (QAbstractButton *first = rgJoinOperator->Button(0))
        first->setFocus();
}

void TfrmZkRelation::showEvent(QShowEvent *event)
{
    // Centred once its size is known: the texts given after construction may widen it.
    if (!event->spontaneous()) {
        if (QScreen *screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    QDialog::showEvent(event);
}

TfrmZkRelation::~TfrmZkRelation() = default;

void TfrmZkRelation::SetJoinAvailable(int Join, bool Available)
{
    QAbstractButton *button = rgJoinType->Button(Join);
    if (!button)
        return;
    const QString keeps = button->property(keepsProperty).toString();
    button->setEnabled(Available);
    button->setToolTip(Available
            ? keeps
            : tr("Not available on this database: it cannot run this kind of join.")
                + QLatin1Char('\n') + keeps);
}

void TfrmZkRelation::SetJoinTables(const QString &ParentTable, const QString &ChildTable)
{
    setProperty("diduzaParentTable", ParentTable);
    setProperty("diduzaChildTable", ChildTable);
    const QString parent = ParentTable.isEmpty() ? tr("the parent table") : ParentTable;
    const QString child = ChildTable.isEmpty() ? tr("the child table") : ChildTable;
    for (int join = 0; join < 4; ++join) {
        QAbstractButton *kind = rgJoinType->Button(join);
        if (!kind)
            continue;
        kind->setProperty(keepsProperty, joinKeeps(join, parent, child));
        SetJoinAvailable(join, kind->isEnabled());
    }
    lblJoinKeeps->setText(joinKeepsLine(rgJoinType->ItemIndex(), parent, child));
}

} // namespace Diduza
