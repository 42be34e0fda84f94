#pragma once

// The schema file (".sch"): an INI-like text of sections and name=value lines that records a
// diagram. This module holds everything about the file that needs no widget: decoding and line
// splitting, the section index, typed key lookup, the font value, and the writer of the text
// from plain data. TSchemaDesignArea (TSchemaDesignAreaFile.cpp) maps its items, rows and
// relations to and from it.
//
// Layout of a file, in the order the writer emits it (every line ends with CR LF, every section
// is followed by one empty line):
//
//   [General]          WEB, EMail, App, Saved, ItemCount, RelCount, SQLSubType (optional)
//   [Item<i>]          ControlType, Caption, ShowCaption, Sizeable, ToolWin, Border, Left, Top,
//                      Width, Height, IconType (icon items only), SubItems, Font
//   [SubItem<i>of<j>]  Caption, Checked, Index, ImageIndex, SelectedIndex, OverlayIndex,
//                      StateIndex, Linked                   (rows of item i, right after it)
//   [Relation<k>]      ParentItem, ChildItem, ParentSubItem, ChildSubItem, JoinOperator,
//                      JoinType, RelationType, ParentItemNo, ChildItemNo
//
// Values: integers in decimal; Booleans "1"/"0" (only "1" reads as true); enumerations by
// 0-based ordinal; colours as signed 32-bit integers in the TColor layout; the font as six
// comma-separated fields (see FormatFontValue). Headers are compared whole and case-sensitively,
// key names ignoring the case of A-Z only. Nothing is trimmed and nothing is escaped.

#include "diduzacore_export.h"
#include "platform/Exceptions.h"
#include "platform/TColor.h"
#include "platform/TFontValue.h"

#include <QByteArray>
#include <QDateTime>
#include <QFileDevice>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>
#include <optional>

namespace Diduza {

/// A schema file whose content cannot make a diagram: a value outside its enumeration, a
/// relation naming no item or a row the item lacks, an item that could not be created. Numbers
/// that are required but missing or not integers raise EConvertError instead.
class DIDUZACORE_EXPORT ESchemaFileError : public Exception {
public:
    using Exception::Exception;
};

/// A stream or file that could not be read or written. FileError() is the error the file
/// device reported (QFileDevice::NoError for other devices).
class DIDUZACORE_EXPORT EStreamError : public Exception {
public:
    explicit EStreamError(
        const QString &message, QFileDevice::FileError error = QFileDevice::NoError);
    QFileDevice::FileError FileError() const { return m_error; }

private:
    QFileDevice::FileError m_error;
};

namespace SchemaFile {

/// The constant lines of [General].
DIDUZACORE_EXPORT QString WebAddress();
DIDUZACORE_EXPORT QString EMailAddress();

/// Section headers: "[Item3]", "[SubItem3of2]" (row 2 of item 3), "[Relation1]".
DIDUZACORE_EXPORT QString ItemHeader(int i);
DIDUZACORE_EXPORT QString SubItemHeader(int i, int j);
DIDUZACORE_EXPORT QString RelationHeader(int k);

// --- text ---

/// Decodes a file: with a byte-order mark as UTF-8, UTF-16 LE or UTF-16 BE (the mark dropped);
/// without one as UTF-8 when the bytes are valid UTF-8, else as Windows-1252.
DIDUZACORE_EXPORT QString DecodeText(const QByteArray &bytes);
/// UTF-8 without a byte-order mark.
DIDUZACORE_EXPORT QByteArray EncodeText(const QString &text);
/// Splits at CR LF, CR or LF. A break at the very end ends the last line and adds no empty one.
DIDUZACORE_EXPORT QStringList SplitLines(const QString &text);
/// The text with every line break (CR LF, CR or LF) replaced by one blank, so that a value
/// always stays on its key line.
DIDUZACORE_EXPORT QString OneLine(const QString &text);
/// "Saved=" stamp: yyyyMMdd hh<sep>mm<sep>ss.
DIDUZACORE_EXPORT QString FormatSaved(const QDateTime &time, const QString &timeSeparator);
/// The separator between hours and minutes in a QLocale time format ("HH:mm:ss" gives ":",
/// "H.mm" gives "."); ":" when the format has none of one character.
DIDUZACORE_EXPORT QString TimeSeparatorOf(const QString &timeFormat);

// --- values ---

/// Font value: name, character set, font colour, size in points, style bits (1 bold, 2 italic,
/// 4 underline, 8 strike-out), item colour — "MS Sans Serif,1,-16777208,8,1,16777215".
DIDUZACORE_EXPORT QString FormatFontValue(const TFontValue &font, TColor itemColor);
/// Reads a font value leniently, from the left: each of the first five fields is taken only
/// when a "," follows it; the sixth is the rest of the value. Fields are trimmed of blanks and
/// control characters at both ends; an empty field, a number that is not an integer, a
/// character set outside 0-255 leave the current value. Style bits above 8 are dropped. Never
/// fails.
DIDUZACORE_EXPORT void ParseFontValue(const QString &value, TFontValue &font, TColor &itemColor);

// --- reading ---

/// The lines of a file, kept in the file's own text: the bytes of a file that is valid UTF-8
/// (each line decoded when it is read), else the decoded text, with where each line begins and
/// ends; or the strings of a list. A large file is held once, not once more line by line. Shared
/// by a reader and its sections.
class DIDUZACORE_EXPORT TSchemaFileLines {
public:
    /// The lines of a file's bytes, decoded as DecodeText decodes them and split as SplitLines
    /// splits.
    static std::shared_ptr<TSchemaFileLines> FromBytes(const QByteArray &bytes);
    static std::shared_ptr<TSchemaFileLines> FromList(const QStringList &lines);

    int Count() const { return int(m_begin.size()); }
    QString Line(int i) const;
    /// True when line i starts with "[".
    bool StartsWithBracket(int i) const;
    /// The value of line i when its name (the text before its first "=") equals key, ignoring
    /// the case of A-Z only.
    std::optional<QString> Value(int i, const QString &key) const;

private:
    void split(qsizetype from, qsizetype size, const char16_t *text, const char *bytes);
    /// Where line i ends: where the next line begins (or the text ends), less the CR LF, CR or
    /// LF that ends it. A line holds neither, so what precedes the next line tells.
    qsizetype endOf(int i) const;

    QByteArray m_utf8; ///< the file, when it is valid UTF-8
    QString m_text; ///< the decoded file otherwise
    QStringList m_list; ///< the lines, when made from a list
    QVector<qsizetype> m_begin; ///< where each line begins
    qsizetype m_size = 0; ///< of the text the lines are in
};

/// One section as found in a file: its header line and the lines up to the next header.
/// Lookups take the first line whose name (the text before its first "=") equals the key,
/// ignoring the case of A-Z only; a line without "=" has no name.
class DIDUZACORE_EXPORT TSchemaSection {
public:
    TSchemaSection() = default;
    TSchemaSection(const QString &header, const QStringList &lines, int begin, int end);
    TSchemaSection(
        const QString &header, std::shared_ptr<const TSchemaFileLines> lines, int begin, int end);

    const QString &Header() const { return m_header; }
    bool Exists() const { return m_end > m_begin; }
    /// Lines of the section, the header line included.
    QStringList Lines() const;

    /// The value of the key, or nothing when no line names it.
    std::optional<QString> Value(const QString &key) const;
    /// The value, empty when missing.
    QString Text(const QString &key) const;
    /// True exactly when the value is "1".
    bool Bool(const QString &key) const;
    /// The value as an integer; nothing when missing or not an integer.
    std::optional<int> Int(const QString &key) const;
    /// The value as an integer; EConvertError naming section and key when missing or not one.
    int RequiredInt(const QString &key) const;
    /// RequiredInt, and ESchemaFileError unless 0 <= value < count.
    int RequiredEnum(const QString &key, int count) const;
    /// Int, and ESchemaFileError when an integer lies outside 0 .. count-1.
    std::optional<int> OptionalEnum(const QString &key, int count) const;

    /// "Section [Item1], key "Caption": " + detail.
    QString Describe(const QString &key, const QString &detail) const;

private:
    QString m_header;
    std::shared_ptr<const TSchemaFileLines> m_lines;
    int m_begin = 0;
    int m_end = 0;
};

/// The lines of a file with an index of its sections, built in one pass. A section starts at
/// the first line equal to its header (compared whole and case-sensitively) and ends before the
/// next line that is not empty, starts with "[" and is not that header again: a repeated header
/// inside its own block continues the block, while a later occurrence after another section is
/// never reached.
class DIDUZACORE_EXPORT TSchemaFileReader {
public:
    TSchemaFileReader();
    explicit TSchemaFileReader(const QByteArray &bytes);
    explicit TSchemaFileReader(const QStringList &lines);

    /// The lines as strings (made when first asked for).
    const QStringList &Lines() const;
    /// The section with that header; an empty one (every key missing) when there is none.
    TSchemaSection Section(const QString &header) const;
    /// The value of the first line of the whole file whose name is the key.
    std::optional<QString> FirstValue(const QString &key) const;
    /// "ItemCount" and "RelCount" from the first line of the file naming them; 0 when missing
    /// or not an integer.
    int ItemCount() const;
    int RelCount() const;

private:
    void buildIndex();

    std::shared_ptr<TSchemaFileLines> m_lines;
    mutable QStringList m_lineList;
    mutable bool m_lineListMade = false;
    struct Range {
        int begin;
        int end;
    };
    QHash<QString, Range> m_index;
};

// --- writing ---

struct TSchemaFileRow {
    QString Caption;
    bool Checked = false;
    int Index = 0;
    int ImageIndex = -1;
    int SelectedIndex = -1;
    int OverlayIndex = -1;
    int StateIndex = -1;
    bool Linked = false;
};

struct TSchemaFileItem {
    int ControlType = 0;
    QString Caption;
    bool ShowCaption = true;
    bool Sizeable = true;
    bool ToolWin = true;
    bool Border = true;
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    std::optional<int> IconType; ///< written only for icon items
    TFontValue Font;
    TColor Color = clBtnFace;
    QVector<TSchemaFileRow> Rows;
};

struct TSchemaFileRelation {
    QString ParentItem; ///< captions
    QString ChildItem;
    int ParentSubItem = 0; ///< 1-based row numbers
    int ChildSubItem = 0;
    int JoinOperator = 0;
    int JoinType = 0;
    int RelationType = 0;
    int ParentItemNo = 0; ///< 1-based item section numbers; 0 writes no key
    int ChildItemNo = 0;
    /// Further conditions of the join, written as "JoinCondition" only when there are any
    /// (readers that do not know the key skip it).
    QString JoinCondition;
};

struct TSchemaFileData {
    QString App;
    QString Saved;
    /// The SQL dialect of the area's data engine, written as "SQLSubType" after RelCount when
    /// the area has an engine; files without it load as before.
    std::optional<int> SQLSubType;
    QVector<TSchemaFileItem> Items;
    QVector<TSchemaFileRelation> Relations;
};

/// The text of a file, every line ended by CR LF. Text values pass through OneLine.
DIDUZACORE_EXPORT QString WriteText(const TSchemaFileData &data);

} // namespace SchemaFile
} // namespace Diduza
