#include "engines/SchemaCatalog.h"

#include "platform/CompareText.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>
#include <QSharedData>

namespace Diduza {

namespace {

// The texts of the tool tips.
struct Text {
    Q_DECLARE_TR_FUNCTIONS(Diduza::TSchemaCatalog)
};

// The key under which a name is found ignoring the case of A to Z.
QString folded(const QString &name)
{
    QString key = name;
    for (QChar &c : key) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    }
    return key;
}

template <typename T, typename Name>
int findByName(const QVector<T> &list, const QString &wanted, Name name)
{
    for (int i = 0; i < list.size(); ++i) {
        if (name(list.at(i)) == wanted)
            return i;
    }
    for (int i = 0; i < list.size(); ++i) {
        if (SameText(name(list.at(i)), wanted))
            return i;
    }
    return -1;
}

} // namespace

bool TSchemaFieldInfo::operator==(const TSchemaFieldInfo &Other) const
{
    return Name == Other.Name && Type == Other.Type && Nullable == Other.Nullable;
}

bool TSchemaForeignKey::operator==(const TSchemaForeignKey &Other) const
{
    return Name == Other.Name && Fields == Other.Fields && ReferencedTable == Other.ReferencedTable
        && ReferencedFields == Other.ReferencedFields;
}

const TSchemaFieldInfo *TSchemaTableInfo::Field(const QString &FieldName) const
{
    const int i = findByName(Fields, FieldName, [](const TSchemaFieldInfo &f) { return f.Name; });
    return i >= 0 ? &Fields.at(i) : nullptr;
}

bool TSchemaTableInfo::operator==(const TSchemaTableInfo &Other) const
{
    return Name == Other.Name && Fields == Other.Fields && PrimaryKey == Other.PrimaryKey
        && ForeignKeys == Other.ForeignKeys;
}

bool TSchemaKeyLink::operator==(const TSchemaKeyLink &Other) const
{
    return ParentTable == Other.ParentTable && ParentField == Other.ParentField
        && ChildTable == Other.ChildTable && ChildField == Other.ChildField && Key == Other.Key
        && Position == Other.Position;
}

// The tables and their indexes: by exact name, by folded name (the first table of each), the
// table each foreign key references (-1 when unknown) and the tables referencing each table.
class TSchemaCatalog::Data : public QSharedData {
public:
    QVector<TSchemaTableInfo> Tables;
    QHash<QString, int> ByName;
    QHash<QString, int> ByFolded;
    QVector<QVector<int>> Parents; // per table, per foreign key
    QVector<QVector<int>> Referencing; // per table, ascending, each once

    int Find(const QString &name) const
    {
        const auto exact = ByName.constFind(name);
        if (exact != ByName.constEnd())
            return exact.value();
        return ByFolded.value(folded(name), -1);
    }

    void Index()
    {
        ByName.clear();
        ByFolded.clear();
        ByName.reserve(Tables.size());
        for (int i = 0; i < Tables.size(); ++i) {
            ByName.insert(Tables.at(i).Name, i);
            const QString key = folded(Tables.at(i).Name);
            if (!ByFolded.contains(key))
                ByFolded.insert(key, i);
        }
        Parents = QVector<QVector<int>>(Tables.size());
        Referencing = QVector<QVector<int>>(Tables.size());
        for (int i = 0; i < Tables.size(); ++i) {
            const QVector<TSchemaForeignKey> &keys = Tables.at(i).ForeignKeys;
            Parents[i].reserve(keys.size());
            for (const TSchemaForeignKey &key : keys) {
                const int parent = Find(key.ReferencedTable);
                Parents[i].append(parent);
                if (parent >= 0
                    && (Referencing[parent].isEmpty() || Referencing[parent].last() != i))
                    Referencing[parent].append(i);
            }
        }
    }
};

TSchemaCatalog::TSchemaCatalog()
    : d(new Data)
{
}

TSchemaCatalog::TSchemaCatalog(const QVector<TSchemaTableInfo> &Tables)
    : d(new Data)
{
    Merge(Tables);
}

TSchemaCatalog::TSchemaCatalog(const TSchemaCatalog &Other) = default;
TSchemaCatalog &TSchemaCatalog::operator=(const TSchemaCatalog &Other) = default;
TSchemaCatalog::~TSchemaCatalog() = default;

bool TSchemaCatalog::IsEmpty() const
{
    return d->Tables.isEmpty();
}

int TSchemaCatalog::Count() const
{
    return int(d->Tables.size());
}

const QVector<TSchemaTableInfo> &TSchemaCatalog::Tables() const
{
    return d->Tables;
}

void TSchemaCatalog::Merge(const QVector<TSchemaTableInfo> &Tables)
{
    if (Tables.isEmpty())
        return;
    Data &data = *d;
    for (const TSchemaTableInfo &table : Tables) {
        const auto known = data.ByName.constFind(table.Name);
        if (known != data.ByName.constEnd()) {
            data.Tables[known.value()] = table;
        } else {
            data.ByName.insert(table.Name, int(data.Tables.size()));
            data.Tables.append(table);
        }
    }
    data.Index();
}

void TSchemaCatalog::Clear()
{
    d = new Data;
}

const TSchemaTableInfo *TSchemaCatalog::Table(const QString &Name) const
{
    const int i = d.constData()->Find(Name);
    return i >= 0 ? &d->Tables.at(i) : nullptr;
}

const TSchemaFieldInfo *TSchemaCatalog::Field(const QString &Table, const QString &Field) const
{
    const TSchemaTableInfo *table = this->Table(Table);
    return table ? table->Field(Field) : nullptr;
}

bool TSchemaCatalog::IsPrimaryKey(const QString &Table, const QString &Field) const
{
    const TSchemaTableInfo *table = this->Table(Table);
    const TSchemaFieldInfo *field = table ? table->Field(Field) : nullptr;
    return field && table->PrimaryKey.contains(field->Name);
}

bool TSchemaCatalog::IsForeignKey(const QString &Table, const QString &Field) const
{
    const TSchemaTableInfo *table = this->Table(Table);
    const TSchemaFieldInfo *field = table ? table->Field(Field) : nullptr;
    if (!field)
        return false;
    for (const TSchemaForeignKey &key : table->ForeignKeys) {
        if (key.Fields.contains(field->Name))
            return true;
    }
    return false;
}

QVector<TSchemaKeyLink> TSchemaCatalog::Links(const QString &Parent, const QString &Child) const
{
    QVector<TSchemaKeyLink> links;
    const int parent = d.constData()->Find(Parent);
    const int child = d.constData()->Find(Child);
    if (parent < 0 || child < 0)
        return links;
    const TSchemaTableInfo &childTable = d->Tables.at(child);
    const QString &parentName = d->Tables.at(parent).Name;
    for (int k = 0; k < childTable.ForeignKeys.size(); ++k) {
        if (d->Parents.at(child).at(k) != parent)
            continue;
        const TSchemaForeignKey &key = childTable.ForeignKeys.at(k);
        const int pairs = int(qMin(key.Fields.size(), key.ReferencedFields.size()));
        for (int i = 0; i < pairs; ++i)
            links.append(TSchemaKeyLink { parentName, key.ReferencedFields.at(i), childTable.Name,
                key.Fields.at(i), key.Name, i });
    }
    return links;
}

QVector<TSchemaKeyLink> TSchemaCatalog::LinksFrom(const QString &Table) const
{
    QVector<TSchemaKeyLink> links;
    const int child = d.constData()->Find(Table);
    if (child < 0)
        return links;
    QSet<int> parents;
    for (const int parent : d->Parents.at(child)) {
        if (parent >= 0 && !parents.contains(parent)) {
            parents.insert(parent);
            links += Links(d->Tables.at(parent).Name, d->Tables.at(child).Name);
        }
    }
    return links;
}

QStringList TSchemaCatalog::ReferencingTables(const QString &Table) const
{
    QStringList names;
    const int parent = d.constData()->Find(Table);
    if (parent < 0)
        return names;
    for (const int child : d->Referencing.at(parent))
        names.append(d->Tables.at(child).Name);
    return names;
}

QStringList TSchemaCatalog::Reachable(const QString &Table) const
{
    QStringList names;
    const int start = d.constData()->Find(Table);
    if (start < 0)
        return names;
    QVector<bool> seen(d->Tables.size(), false);
    QVector<int> queue { start };
    seen[start] = true;
    for (int q = 0; q < queue.size(); ++q) {
        const int table = queue.at(q);
        names.append(d->Tables.at(table).Name);
        for (const QVector<int> *next : { &d->Parents.at(table), &d->Referencing.at(table) }) {
            for (const int other : *next) {
                if (other >= 0 && !seen.at(other)) {
                    seen[other] = true;
                    queue.append(other);
                }
            }
        }
    }
    return names;
}

QString TSchemaCatalog::FieldDescription(const QString &Table, const QString &Field) const
{
    const TSchemaTableInfo *table = this->Table(Table);
    const TSchemaFieldInfo *field = table ? table->Field(Field) : nullptr;
    if (!field)
        return QString();
    QStringList lines;
    QString type = field->Type.isEmpty() ? Text::tr("type unknown") : field->Type;
    lines << (field->Nullable ? Text::tr("%1, may be null") : Text::tr("%1, not null")).arg(type);
    const int keyPosition = int(table->PrimaryKey.indexOf(field->Name));
    if (keyPosition >= 0) {
        if (table->PrimaryKey.size() == 1)
            lines << Text::tr("Primary key");
        else
            lines << Text::tr("Primary key, field %1 of %2")
                         .arg(keyPosition + 1)
                         .arg(table->PrimaryKey.size());
    }
    for (const TSchemaForeignKey &key : table->ForeignKeys) {
        const int at = int(key.Fields.indexOf(field->Name));
        if (at < 0 || at >= key.ReferencedFields.size())
            continue;
        QString line
            = Text::tr("References %1.%2").arg(key.ReferencedTable, key.ReferencedFields.at(at));
        if (key.Fields.size() > 1)
            line += QLatin1Char(' ')
                + Text::tr("(key %1 of %2 fields: %3)")
                      .arg(key.Name.isEmpty() ? QStringLiteral("-") : key.Name)
                      .arg(key.Fields.size())
                      .arg(key.Fields.join(QStringLiteral(", ")));
        else if (!key.Name.isEmpty())
            line += QLatin1Char(' ') + Text::tr("(key %1)").arg(key.Name);
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace Diduza
