#pragma once

// What a database's catalogue tells of its tables: each table's fields with their types and
// nullability, its primary key and its foreign keys. Plain data and lookups, free of widgets and
// of databases: data engines fill it (TSchemaDataEngine::FillTableInfo), the design area shows
// it on the rows and draws relations from it, the query builder joins dropped tables by it.
//
// Table names are the names the engine's table list gives; a name is looked up exactly first,
// then ignoring the case of the letters A to Z (as captions are compared). Field names are
// matched the same way.

#include "diduzacore_export.h"

#include <QSharedDataPointer>
#include <QString>
#include <QStringList>
#include <QVector>

namespace Diduza {

/// One field of a table as the catalogue describes it.
struct DIDUZACORE_EXPORT TSchemaFieldInfo {
    /// The field's name.
    QString Name;
    /// The type as the database writes it ("integer", "character varying(40)"); empty when the
    /// database tells none.
    QString Type;
    /// False when the field is declared NOT NULL.
    bool Nullable = true;

    /// Equal in every member.
    bool operator==(const TSchemaFieldInfo &Other) const;
    /// Different in some member.
    bool operator!=(const TSchemaFieldInfo &Other) const { return !(*this == Other); }
};

/// One foreign key: fields of its table that reference fields of another table (or of the same
/// one). A composite key lists its fields in key order, each with the referenced field at the
/// same position.
struct DIDUZACORE_EXPORT TSchemaForeignKey {
    /// The constraint's name; empty where the catalogue keeps none (SQLite's does not).
    QString Name;
    /// The referencing fields of the table, in key order.
    QStringList Fields;
    /// The referenced table, as the engine's table list names it (a table that list does not
    /// reach is named with its schema: "schema.table").
    QString ReferencedTable;
    /// The referenced fields, in the order of Fields.
    QStringList ReferencedFields;

    /// Equal in every member.
    bool operator==(const TSchemaForeignKey &Other) const;
    /// Different in some member.
    bool operator!=(const TSchemaForeignKey &Other) const { return !(*this == Other); }
};

/// One table: its fields in column order, its primary key and its foreign keys.
struct DIDUZACORE_EXPORT TSchemaTableInfo {
    /// The table's name, as the engine's table list gives it.
    QString Name;
    /// The fields, in column order.
    QVector<TSchemaFieldInfo> Fields;
    /// The primary key's fields in key order; empty when the table has none.
    QStringList PrimaryKey;
    /// The foreign keys, in the catalogue's order.
    QVector<TSchemaForeignKey> ForeignKeys;

    /// The field named Name (exactly, else ignoring the case of A to Z), or nullptr.
    const TSchemaFieldInfo *Field(const QString &Name) const;
    /// Equal in every member.
    bool operator==(const TSchemaTableInfo &Other) const;
    /// Different in some member.
    bool operator!=(const TSchemaTableInfo &Other) const { return !(*this == Other); }
};

/// One field pair of a foreign key: the referenced (parent) table's field and the referencing
/// (child) table's field. A relation drawn from the key joins these two rows.
struct DIDUZACORE_EXPORT TSchemaKeyLink {
    /// The referenced table, as the catalogue names it.
    QString ParentTable;
    /// The referenced field.
    QString ParentField;
    /// The referencing table.
    QString ChildTable;
    /// The referencing field.
    QString ChildField;
    /// The foreign key's name (may be empty).
    QString Key;
    /// The pair's position in its key, from 0.
    int Position = 0;

    /// Equal in every member.
    bool operator==(const TSchemaKeyLink &Other) const;
    /// Different in some member.
    bool operator!=(const TSchemaKeyLink &Other) const { return !(*this == Other); }
};

/// The tables a catalogue read gave, with lookups by name and the links of their foreign keys in
/// both directions. Copies share their data until one of them changes.
class DIDUZACORE_EXPORT TSchemaCatalog {
public:
    /// An empty catalogue.
    TSchemaCatalog();
    /// A catalogue of Tables (see Merge for tables of the same name).
    explicit TSchemaCatalog(const QVector<TSchemaTableInfo> &Tables);
    /// A copy, sharing the data.
    TSchemaCatalog(const TSchemaCatalog &Other);
    /// Shares Other's data.
    TSchemaCatalog &operator=(const TSchemaCatalog &Other);
    ~TSchemaCatalog(); ///< Frees the data when no other copy shares it.

    /// True when the catalogue knows no table.
    bool IsEmpty() const;
    /// The number of tables.
    int Count() const;
    /// The tables, in the order they were added.
    const QVector<TSchemaTableInfo> &Tables() const;
    /// Adds Tables; one whose name equals (exactly) a known table's replaces that table.
    void Merge(const QVector<TSchemaTableInfo> &Tables);
    /// Forgets every table.
    void Clear();

    /// The table named Name (exactly, else ignoring the case of A to Z), or nullptr.
    const TSchemaTableInfo *Table(const QString &Name) const;
    /// The field Field of table Table, or nullptr.
    const TSchemaFieldInfo *Field(const QString &Table, const QString &Field) const;
    /// True when Field is part of Table's primary key.
    bool IsPrimaryKey(const QString &Table, const QString &Field) const;
    /// True when Field is a referencing field of one of Table's foreign keys.
    bool IsForeignKey(const QString &Table, const QString &Field) const;

    /// The field pairs of Child's foreign keys that reference Parent, key by key, in key order.
    QVector<TSchemaKeyLink> Links(const QString &Parent, const QString &Child) const;
    /// The field pairs of all of Table's foreign keys whose referenced table the catalogue knows.
    QVector<TSchemaKeyLink> LinksFrom(const QString &Table) const;
    /// The known tables whose foreign keys reference Table (Table itself too when it references
    /// itself), in catalogue order, each once.
    QStringList ReferencingTables(const QString &Table) const;
    /// The tables reachable from Table along foreign keys in either direction, Table first, then
    /// breadth first; empty when Table is unknown.
    QStringList Reachable(const QString &Table) const;

    /// What a row shows as its tool tip: the field's type and nullability, whether it belongs
    /// to the primary key, and what each foreign key through it references. Empty when the
    /// field is unknown.
    QString FieldDescription(const QString &Table, const QString &Field) const;

private:
    /// The tables and the lookups built from them.
    class Data;
    /// The shared data.
    QSharedDataPointer<Data> d;
};

} // namespace Diduza
