#pragma once

#include "diduzawidgets_export.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

namespace Diduza {

// A group box of radio buttons laid out in columns, with one selected index.
class DIDUZAWIDGETS_EXPORT TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(QWidget *parent = nullptr);
    ~TRadioGroup() override;

    void SetItems(const QStringList &items);
    QStringList Items() const;
    int Columns() const { return FColumns; }
    void SetColumns(int columns);
    // The selected entry, -1 when none.
    int ItemIndex() const;
    void SetItemIndex(int index);
    QAbstractButton *Button(int index) const;

private:
    void rebuild();

    QStringList FItems;
    int FColumns = 1;
    QButtonGroup *FGroup;
};

} // namespace Diduza
