#pragma once

#include "diduzawidgets_export.h"

#include <QGroupBox>
#include <QStringList>

#include <memory>

class QAbstractButton;

namespace Diduza {

class TRadioGroupPrivate;

/// A group box of radio buttons laid out in columns, with one selected index.
class DIDUZAWIDGETS_EXPORT TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(QWidget *parent = nullptr);
    ~TRadioGroup() override;

    void SetItems(const QStringList &items);
    QStringList Items() const;
    int Columns() const;
    void SetColumns(int columns);
    /// The selected entry, -1 when none.
    int ItemIndex() const;
    void SetItemIndex(int index);
    QAbstractButton *Button(int index) const;

private:
    void rebuild();

    std::unique_ptr<TRadioGroupPrivate> d;
};

} // namespace Diduza
