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
    /// Names the relation's two tables in the join kinds: each kind's tool tip says which
    /// table keeps all its rows, and so does the line under the kinds for the selected one
    /// (lblJoinKeeps). Without names they speak of the parent and the child table.
    void SetJoinTables(const QString &ParentTable, const QString &ChildTable);

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
    /// Under the join kinds: what the selected kind keeps, naming the tables.
    QLabel *lblJoinKeeps;
    QFrame *bvlButtons;
    QPushButton *BtnOk;
    QPushButton *BtnCancel;

protected:
    void showEvent(QShowEvent *event) override;
};

} // namespace Diduza
