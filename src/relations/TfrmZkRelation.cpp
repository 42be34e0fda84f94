#include "relations/TfrmZkRelation.h"

#include "platform/TRadioGroup.h"

#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace Diduza {

namespace {
QLabel *caption(QWidget *parent, const QString &text, const QRect &geometry)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setGeometry(geometry);
    return label;
}

QLabel *value(QWidget *parent, const QRect &geometry)
{
    auto *label = new QLabel(parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, QColor(0, 0, 128)); // navy
    label->setPalette(pal);
    label->setGeometry(geometry);
    return label;
}
} // namespace

TfrmZkRelation::TfrmZkRelation(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmZkRelation"));
    setWindowTitle(tr("Relation properties"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint
        | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(322, 256);
    QFont formFont(QStringLiteral("MS Sans Serif"));
    formFont.setStyleHint(QFont::SansSerif);
    formFont.setPixelSize(11);
    setFont(formFont);

    gbParent = new QGroupBox(tr(" Parent "), this);
    gbParent->setObjectName(QStringLiteral("gbParent"));
    gbParent->setGeometry(5, 8, 313, 57);
    Label1 = caption(gbParent, tr("Table 1:"), QRect(4, 15, 60, 13));
    Label3 = caption(gbParent, tr("Column 1:"), QRect(4, 32, 60, 13));
    txtTable1 = value(gbParent, QRect(70, 15, 205, 16));
    txtCol1 = value(gbParent, QRect(70, 31, 205, 16));

    gbChild = new QGroupBox(tr(" Child "), this);
    gbChild->setObjectName(QStringLiteral("gbChild"));
    gbChild->setGeometry(5, 72, 313, 57);
    Label2 = caption(gbChild, tr("Table 2:"), QRect(4, 15, 60, 13));
    Label4 = caption(gbChild, tr("Column 2:"), QRect(4, 31, 60, 13));
    txtTable2 = value(gbChild, QRect(70, 15, 205, 16));
    txtCol2 = value(gbChild, QRect(70, 31, 205, 16));

    rgJoinOperator = new TRadioGroup(this);
    rgJoinOperator->setObjectName(QStringLiteral("rgJoinOperator"));
    rgJoinOperator->setTitle(tr(" Join Operator "));
    rgJoinOperator->setGeometry(5, 140, 130, 60);
    rgJoinOperator->SetColumns(3);
    rgJoinOperator->SetItems({ QStringLiteral("="), QStringLiteral("<"), QStringLiteral(">"),
        QStringLiteral("<="), QStringLiteral(">="), QStringLiteral("<>") });
    rgJoinOperator->SetItemIndex(0);

    rgJoinType = new TRadioGroup(this);
    rgJoinType->setObjectName(QStringLiteral("rgJoinType"));
    rgJoinType->setTitle(tr(" Join Type "));
    rgJoinType->setGeometry(140, 140, 178, 60);
    rgJoinType->SetColumns(2);
    rgJoinType->SetItems({ tr("Inner"), tr("Left Outer"), tr("Right Outer"), tr("Full Outer") });
    rgJoinType->SetItemIndex(0);

    bvlButtons = new QFrame(this);
    bvlButtons->setObjectName(QStringLiteral("bvlButtons"));
    bvlButtons->setFrameShape(QFrame::HLine);
    bvlButtons->setFrameShadow(QFrame::Sunken);
    bvlButtons->setGeometry(0, 256 - 40, 322, 2);

    BtnOk = new QPushButton(tr("&OK"), this);
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    BtnOk->setGeometry(163, 225, 75, 25);
    BtnOk->setDefault(true);
    connect(BtnOk, &QPushButton::clicked, this, &QDialog::accept);

    BtnCancel = new QPushButton(tr("&Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnCancel->setGeometry(243, 225, 75, 25);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(rgJoinOperator, rgJoinType);
    setTabOrder(rgJoinType, BtnOk);
    setTabOrder(BtnOk, BtnCancel);
    if (QAbstractButton *first = rgJoinOperator->Button(0))
        first->setFocus();

    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TfrmZkRelation::~TfrmZkRelation() = default;

} // namespace Diduza
