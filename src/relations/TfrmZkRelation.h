#pragma once

#include "diduzawidgets_export.h"

#include <QDialog>

class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;

namespace Diduza {

class TRadioGroup;

/// The relation properties dialog: shows the two ends of a relation and lets the user choose
/// the join operator and the join kind. Its layout gives every control at least its designed
/// size and more where its text needs it, in any font and language; the dialog's size is fixed
/// to what its controls take. TSchemaRelation::EditRelation fills it, runs it modally and
/// reads the two groups' ItemIndex back when it is accepted. Every control below is a child
/// of the dialog, made by the constructor and freed with the dialog.
class DIDUZAWIDGETS_EXPORT TfrmZkRelation : public QDialog {
    Q_OBJECT
public:
    /// The dialog with empty ends, the operator "=" and the inner join selected, every join
    /// kind available, and the focus on the first operator.
    explicit TfrmZkRelation(QWidget *parent = nullptr);
    /// Frees the dialog and its controls.
    ~TfrmZkRelation() override;

    /// Shows the join kind Join as not available on the database the relation's statements
    /// run on (its button disabled, with a tool tip that says so), or as available again. A
    /// relation of that kind keeps it until the user chooses another.
    void SetJoinAvailable(int Join, bool Available);
    /// Names the relation's two tables in the join kinds: each kind's tool tip says which
    /// table keeps all its rows, and so does the line under the kinds for the selected one
    /// (lblJoinKeeps). Without names they speak of the parent and the child table.
    void SetJoinTables(const QString &ParentTable, const QString &ChildTable);

    /// The " Parent " box, which holds Label1, txtTable1, Label3 and txtCol1.
    QGroupBox *gbParent;
    /// The caption "Table 1:" before txtTable1.
    QLabel *Label1;
    /// The caption "Column 1:" before txtCol1.
    QLabel *Label3;
    /// The parent item's caption (the table), in bold; empty until the caller sets it.
    QLabel *txtTable1;
    /// The parent row's caption (the column), in bold; empty until the caller sets it.
    QLabel *txtCol1;
    /// The " Child " box, which holds Label2, txtTable2, Label4 and txtCol2.
    QGroupBox *gbChild;
    /// The caption "Table 2:" before txtTable2.
    QLabel *Label2;
    /// The caption "Column 2:" before txtCol2.
    QLabel *Label4;
    /// The child item's caption (the table), in bold; empty until the caller sets it.
    QLabel *txtTable2;
    /// The child row's caption (the column), in bold; empty until the caller sets it.
    QLabel *txtCol2;
    /// The join operators "=", "<", ">", "<=", ">=", "<>" in three columns; ItemIndex is the
    /// TSDRelationOperator ordinal.
    TRadioGroup *rgJoinOperator;
    /// The join kinds Inner, Left Outer, Right Outer, Full Outer in two columns; ItemIndex is
    /// the TSDRelationJoin ordinal. Each button's tool tip says what its kind keeps.
    TRadioGroup *rgJoinType;
    /// Under the join kinds: what the selected kind keeps, naming the tables.
    QLabel *lblJoinKeeps;
    /// The sunken line above the buttons.
    QFrame *bvlButtons;
    /// Accepts the dialog; the default button.
    QPushButton *BtnOk;
    /// Rejects the dialog.
    QPushButton *BtnCancel;

protected:
    /// Centres the dialog on the primary screen's available area each time the program shows
    /// it, once its size is known (the texts given after construction may widen it).
    void showEvent(QShowEvent *event) override;
};

} // namespace Diduza
