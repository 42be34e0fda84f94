#pragma once

#include "diduzawidgets_export.h"

#include <QDialog>

class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;

namespace Diduza {

class TRadioGroup;

// The relation properties dialog: shows the two ends of a relation and lets the user choose
// the join operator and the join kind. Its layout gives every control at least its designed
// size and more where its text needs it, in any font and language; the dialog's size is fixed
// to what its controls take.
class DIDUZAWIDGETS_EXPORT TfrmZkRelation : public QDialog {
    Q_OBJECT
public:
    explicit TfrmZkRelation(QWidget *parent = nullptr);
    ~TfrmZkRelation() override;

    /// Shows the join kind Join as not available on the database the relation's statements
    /// run on (its button disabled, with a tool tip that says so), or as available again. A
    /// relation of that kind keeps it until the user chooses another.
    void SetJoinAvailable(int Join, bool Available);

    QGroupBox *gbParent;
    QLabel *Label1;
    QLabel *Label3;
    QLabel *txtTable1;
    QLabel *txtCol1;
    QGroupBox *gbChild;
    QLabel *Label2;
    QLabel *Label4;
    QLabel *txtTable2;
    QLabel *txtCol2;
    TRadioGroup *rgJoinOperator;
    TRadioGroup *rgJoinType;
    QFrame *bvlButtons;
    QPushButton *BtnOk;
    QPushButton *BtnCancel;

protected:
    void showEvent(QShowEvent *event) override;
};

} // namespace Diduza
