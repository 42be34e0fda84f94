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
    /// An empty, unsorted list with no change handler.
    TStringList() = default;
    /// Copies the entries and the sorted flag; the change handler and update state are not copied.
    TStringList(const TStringList &other);
    /// Takes other's entries and sorted flag, keeps this list's change handler and raises OnChange.
    TStringList &operator=(const TStringList &other);

    /// The number of entries.
    int Count() const { return int(m_entries.size()); }
    /// The text at index; raises Exception when index is out of bounds.
    const QString &Strings(int index) const;
    /// Replaces the text at index (a sorted list moves the entry, with its value, to its sorted
    /// place); raises Exception when index is out of bounds; raises OnChange.
    void SetStrings(int index, const QString &Value);
    /// The value attached at index; raises Exception when index is out of bounds.
    const QVariant &Objects(int index) const;
    /// Replaces the value attached at index; raises Exception when index is out of bounds;
    /// raises OnChange.
    void SetObjects(int index, const QVariant &Value);
    /// The attached object as a QObject pointer, or nullptr when the value holds none.
    QObject *ObjectPtr(int index) const;

    /// Adds text with no value; returns its index (at the end, or its sorted place).
    int Add(const QString &text);
    /// Adds text with value attached; returns its index (at the end, or its sorted place; equal
    /// texts keep the order they were added in). Raises OnChange.
    int AddObject(const QString &text, const QVariant &value);
    /// Inserts an entry before index (0..Count()); raises Exception on a sorted list or when index
    /// is out of bounds. Raises OnChange.
    void Insert(int index, const QString &text, const QVariant &value = QVariant());
    /// Removes the entry at index; raises Exception when index is out of bounds. Raises OnChange.
    void Delete(int index);
    /// Removes all entries; raises OnChange unless the list was already empty.
    void Clear();

    /// First entry whose text equals text by CompareText; -1 when none does.
    int IndexOf(const QString &text) const;

    /// Whether entries are kept in CompareText order (see SetSorted).
    bool Sorted() const { return m_sorted; }
    /// Turning sorting on sorts the entries at once (stably) and raises OnChange; turning it off
    /// leaves them where they are.
    void SetSorted(bool Value);

    /// Holds back OnChange until the matching EndUpdate; calls nest.
    void BeginUpdate();
    /// Ends one BeginUpdate; the outermost one raises OnChange if anything changed meanwhile.
    /// An unmatched call does nothing.
    void EndUpdate();
    /// How many BeginUpdate calls are still open.
    int UpdateCount() const { return m_updateCount; }

    /// All texts, each followed by CR LF.
    QString Text() const;
    /// Replaces the entries by the lines of Value (split at CR LF, CR or LF); raises OnChange once.
    void SetText(const QString &Value);
    /// The texts, in list order, without the values.
    QStringList ToStringList() const;

    /// Raised after a change while no update is pending, and by the EndUpdate that ends one.
    std::function<void()> OnChange() const { return m_onChange; }
    /// See OnChange.
    void SetOnChange(std::function<void()> Value) { m_onChange = std::move(Value); }

private:
    /// One text with its attached value.
    struct Entry {
        /// The entry's text.
        QString text;
        /// The value attached to the text.
        QVariant value;
    };
    /// Raises OnChange, or marks the pending update as changed.
    void changed();
    /// Where text goes in a sorted list: after every entry that does not sort after it.
    int findInsertPosition(const QString &text) const;
    /// Raises Exception unless 0 <= index < Count().
    void checkIndex(int index) const;

    /// The entries, in list order.
    QVector<Entry> m_entries;
    /// See Sorted.
    bool m_sorted = false;
    /// Open BeginUpdate calls.
    int m_updateCount = 0;
    /// Something changed since the outermost BeginUpdate.
    bool m_changedInUpdate = false;
    /// See OnChange.
    std::function<void()> m_onChange;
};

} // namespace Diduza
