#pragma once

#include "diduzacore_export.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>

namespace Diduza {

/// An ordered list of texts, each carrying one attached value (an object pointer, a number,
/// anything a QVariant holds). A sorted list keeps its texts in CompareText order. Changes made
/// between BeginUpdate and EndUpdate are reported once, by the last EndUpdate.
class DIDUZACORE_EXPORT TStringList {
public:
    TStringList() = default;
    TStringList(const TStringList &other);
    TStringList &operator=(const TStringList &other);

    int Count() const { return int(m_entries.size()); }
    const QString &Strings(int index) const;
    void SetStrings(int index, const QString &text);
    const QVariant &Objects(int index) const;
    void SetObjects(int index, const QVariant &value);
    /// The attached object as a QObject pointer, or nullptr when the value holds none.
    QObject *ObjectPtr(int index) const;

    int Add(const QString &text);
    int AddObject(const QString &text, const QVariant &value);
    void Insert(int index, const QString &text, const QVariant &value = QVariant());
    void Delete(int index);
    void Clear();

    /// First entry whose text equals text by CompareText; -1 when none does.
    int IndexOf(const QString &text) const;

    bool Sorted() const { return m_sorted; }
    void SetSorted(bool sorted);

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return m_updateCount; }

    /// All texts, each followed by CR LF.
    QString Text() const;
    /// Replaces the entries by the lines of text (split at CR LF, CR or LF).
    void SetText(const QString &text);
    QStringList ToStringList() const;

    /// Raised after a change while no update is pending, and by the EndUpdate that ends one.
    std::function<void()> OnChange() const { return m_onChange; }
    void SetOnChange(std::function<void()> handler) { m_onChange = std::move(handler); }

private:
    struct Entry {
        QString text;
        QVariant value;
    };
    void changed();
    int findInsertPosition(const QString &text) const;
    void checkIndex(int index) const;

    QVector<Entry> m_entries;
    bool m_sorted = false;
    int m_updateCount = 0;
    bool m_changedInUpdate = false;
    std::function<void()> m_onChange;
};

} // namespace Diduza
