#include "platform/TStringList.h"

#include "platform/CompareText.h"
#include "platform/Exceptions.h"

#include <QCoreApplication>

#include <algorithm>

namespace Diduza {

TStringList::TStringList(const TStringList &other)
    : m_entries(other.m_entries)
    , m_sorted(other.m_sorted)
{
}

TStringList &TStringList::operator=(const TStringList &other)
{
    if (this != &other) {
        m_entries = other.m_entries;
        m_sorted = other.m_sorted;
        changed();
    }
    return *this;
}

void TStringList::checkIndex(int index) const
{
    if (index < 0 || index >= Count())
        throw Exception(
            QCoreApplication::translate("Diduza::TStringList", "List index out of bounds (%1)")
                .arg(index));
}

const QString &TStringList::Strings(int index) const
{
    checkIndex(index);
    return m_entries[index].text;
}

void TStringList::SetStrings(int index, const QString &Value)
{
    checkIndex(index);
    if (m_sorted) {
        const QVariant value = m_entries[index].value;
        m_entries.removeAt(index);
        m_entries.insert(findInsertPosition(Value), Entry { Value, value });
    } else {
        m_entries[index].text = Value;
    }
    changed();
}

const QVariant &TStringList::Objects(int index) const
{
    checkIndex(index);
    return m_entries[index].value;
}

void TStringList::SetObjects(int index, const QVariant &Value)
{
    checkIndex(index);
    m_entries[index].value = Value;
    changed();
}

QObject *TStringList::ObjectPtr(int index) const
{
    const QVariant &v = Objects(index);
    return v.canConvert<QObject *>() ? v.value<QObject *>() : nullptr;
}

int TStringList::Add(const QString &text)
{
    return AddObject(text, QVariant());
}

int TStringList::AddObject(const QString &text, const QVariant &value)
{
    const int index = m_sorted ? findInsertPosition(text) : Count();
    m_entries.insert(index, Entry { text, value });
    changed();
    return index;
}

void TStringList::Insert(int index, const QString &text, const QVariant &value)
{
    if (m_sorted)
        throw Exception(QCoreApplication::translate(
            "Diduza::TStringList", "Operation not allowed on sorted list"));
    if (index < 0 || index > Count())
        throw Exception(
            QCoreApplication::translate("Diduza::TStringList", "List index out of bounds (%1)")
                .arg(index));
    m_entries.insert(index, Entry { text, value });
    changed();
}

void TStringList::Delete(int index)
{
    checkIndex(index);
    m_entries.removeAt(index);
    changed();
}

void TStringList::Clear()
{
    if (m_entries.isEmpty())
        return;
    m_entries.clear();
    changed();
}

int TStringList::IndexOf(const QString &text) const
{
    for (int i = 0; i < Count(); ++i) {
        if (SameText(m_entries[i].text, text))
            return i;
    }
    return -1;
}

void TStringList::SetSorted(bool Value)
{
    if (m_sorted == Value)
        return;
    m_sorted = Value;
    if (m_sorted) {
        std::stable_sort(m_entries.begin(), m_entries.end(),
            [](const Entry &a, const Entry &b) { return CompareText(a.text, b.text) < 0; });
        changed();
    }
}

int TStringList::findInsertPosition(const QString &text) const
{
    // After the last entry that does not sort after text, so equal texts keep their order.
    auto it = std::upper_bound(m_entries.begin(), m_entries.end(), text,
        [](const QString &t, const Entry &e) { return CompareText(t, e.text) < 0; });
    return int(it - m_entries.begin());
}

void TStringList::BeginUpdate()
{
    ++m_updateCount;
}

void TStringList::EndUpdate()
{
    if (m_updateCount == 0)
        return;
    if (--m_updateCount == 0 && m_changedInUpdate) {
        m_changedInUpdate = false;
        changed();
    }
}

void TStringList::changed()
{
    if (m_updateCount > 0) {
        m_changedInUpdate = true;
        return;
    }
    if (m_onChange) {
        auto handler = m_onChange;
        handler();
    }
}

QString TStringList::Text() const
{
    QString result;
    for (const Entry &e : m_entries) {
        result += e.text;
        result += QLatin1String("\r\n");
    }
    return result;
}

void TStringList::SetText(const QString &Value)
{
    BeginUpdate();
    Clear();
    int start = 0;
    const int n = int(Value.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = Value[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            Add(Value.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && Value[i + 1] == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        Add(Value.mid(start));
    EndUpdate();
}

QStringList TStringList::ToStringList() const
{
    QStringList result;
    result.reserve(Count());
    for (const Entry &e : m_entries)
        result << e.text;
    return result;
}

} // namespace Diduza
