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
    /// An error whose message names the section and key at fault (TSchemaSection::Describe).
    using Exception::Exception;
};

/// A stream or file that could not be read or written. FileError() is the error the file
/// device reported (QFileDevice::NoError for other devices).
class DIDUZACORE_EXPORT EStreamError : public Exception {
public:
    /// An error with the message (its callers name the file and give the device's own error
    /// text in it) and the file device's error code.
    explicit EStreamError(
        const QString &message, QFileDevice::FileError error = QFileDevice::NoError);
    /// The file device's error code at the failure; QFileDevice::NoError when the stream was
    /// not a file device or was not open for the operation.
    QFileDevice::FileError FileError() const { return m_error; }

private:
    QFileDevice::FileError m_error; ///< as given to the constructor
};

namespace SchemaFile {

/// The value of "WEB=" in [General], the same in every file; no reader looks at it.
DIDUZACORE_EXPORT QString WebAddress();
/// The value of "EMail=" in [General], the same in every file; no reader looks at it.
DIDUZACORE_EXPORT QString EMailAddress();

/// The header of item i's section, i counting from 1: "[Item3]".
DIDUZACORE_EXPORT QString ItemHeader(int i);
/// The header of row j of item i, both counting from 1: "[SubItem3of2]" is row 2 of item 3.
DIDUZACORE_EXPORT QString SubItemHeader(int i, int j);
/// The header of relation k's section, k counting from 1: "[Relation1]".
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
/// The "Saved=" stamp of a time: yyyyMMdd hh<sep>mm<sep>ss, hours 00-23, fields padded
/// with zeros ("20240131 09:05:00").
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
    /// The strings of lines, one line each, taken as they are (a line break inside a string is
    /// not split at).
    static std::shared_ptr<TSchemaFileLines> FromList(const QStringList &lines);

    /// The number of lines; a break at the very end of a file adds none.
    int Count() const { return int(m_begin.size()); }
    /// Line i without its line break; empty when i is not in 0 .. Count()-1.
    QString Line(int i) const;
    /// True when line i starts with "["; i must be in 0 .. Count()-1.
    bool StartsWithBracket(int i) const;
    /// The value of line i (the text after its first "=") when its name (the text before that
    /// "=") equals key, ignoring the case of A-Z only; nothing otherwise. i must be in 0 ..
    /// Count()-1.
    std::optional<QString> Value(int i, const QString &key) const;

private:
    /// Records where each line of text[from, size) (or of bytes[from, size), whichever is not
    /// null) begins; size is the end of the text.
    void split(qsizetype from, qsizetype size, const char16_t *text, const char *bytes);
    /// Where line i ends: where the next line begins (or the text ends), less the CR LF, CR or
    /// LF that ends it. A line holds neither, so what precedes the next line tells.
    qsizetype endOf(int i) const;

    QByteArray m_utf8; ///< the file, when it is valid UTF-8
    QString m_text; ///< the decoded file otherwise
    QStringList m_list; ///< the lines, when made from a list
    QVector<qsizetype> m_begin; ///< where each line begins
    qsizetype m_size = 0; ///< the length of the text the lines are in (in bytes for m_utf8)
};

/// One section as found in a file: its header line and the lines up to the next header.
/// Lookups take the first line whose name (the text before its first "=") equals the key,
/// ignoring the case of A-Z only; a line without "=" has no name.
class DIDUZACORE_EXPORT TSchemaSection {
public:
    /// A section that is not in the file: no header, every key missing.
    TSchemaSection() = default;
    /// The section named header, made of lines[begin] (its header line) up to, not including,
    /// lines[end]; the list is copied.
    TSchemaSection(const QString &header, const QStringList &lines, int begin, int end);
    /// The section named header, made of line begin (its header line) up to, not including,
    /// line end of a file's lines, which it shares; with null lines a section not in the file.
    TSchemaSection(
        const QString &header, std::shared_ptr<const TSchemaFileLines> lines, int begin, int end);

    /// The header the section was asked for, brackets included ("[Item1]"), also when the file
    /// lacks the section.
    const QString &Header() const { return m_header; }
    /// True when the file has the section (it holds at least its header line).
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

    /// The text of an error about the key: "Section [Item1], key "Caption": " + detail,
    /// translated.
    QString Describe(const QString &key, const QString &detail) const;

private:
    QString m_header; ///< as asked for
    std::shared_ptr<const TSchemaFileLines> m_lines; ///< null for a section not in the file
    int m_begin = 0; ///< the header line's index in m_lines
    int m_end = 0; ///< the index of the line after the section
};

/// The lines of a file with an index of its sections, built in one pass. A section starts at
/// the first line equal to its header (compared whole and case-sensitively) and ends before the
/// next line that is not empty, starts with "[" and is not that header again: a repeated header
/// inside its own block continues the block, while a later occurrence after another section is
/// never reached.
class DIDUZACORE_EXPORT TSchemaFileReader {
public:
    /// A reader of an empty file: no lines, no sections.
    TSchemaFileReader();
    /// Reads a file's bytes, decoded as DecodeText decodes them and split as SplitLines
    /// splits, and indexes its sections. Never fails: what the content lacks shows when it is
    /// looked up.
    explicit TSchemaFileReader(const QByteArray &bytes);
    /// Reads lines given one line a string, and indexes their sections.
    explicit TSchemaFileReader(const QStringList &lines);

    /// The lines as strings (made when first asked for).
    const QStringList &Lines() const;
    /// The section with that header; an empty one (every key missing) when there is none.
    TSchemaSection Section(const QString &header) const;
    /// The value of the first line of the whole file whose name is the key.
    std::optional<QString> FirstValue(const QString &key) const;
    /// "ItemCount" from the first line of the file naming it, in whichever section: the
    /// number of [Item\<i\>] sections to read. 0 when missing or not an integer; a negative
    /// value is returned as it is.
    int ItemCount() const;
    /// "RelCount" from the first line of the file naming it, in whichever section: the number
    /// of [Relation\<k\>] sections to read. 0 when missing or not an integer; a negative value
    /// is returned as it is.
    int RelCount() const;

private:
    /// Fills m_index from m_lines, as the class describes.
    void buildIndex();

    std::shared_ptr<TSchemaFileLines> m_lines; ///< never null; shared with the sections
    mutable QStringList m_lineList; ///< Lines(), once made
    mutable bool m_lineListMade = false; ///< m_lineList is made
    /// Lines [begin, end) of m_lines, the header line first.
    struct Range {
        int begin; ///< the header line
        int end; ///< the line after the section
    };
    QHash<QString, Range> m_index; ///< by header, brackets included
};

// --- writing ---

/// One row of an item as a [SubItem\<i\>of\<j\>] section records it (TSchemaSubItem's values).
/// The defaults are those of a new row.
struct TSchemaFileRow {
    QString Caption; ///< the row's text (a field name); line breaks are written as blanks
    bool Checked = false; ///< the row is ticked
    /// The position the inner control gave the row when it was added (not renumbered after
    /// rows are removed); -1 for the one row of a text or icon item.
    int Index = 0;
    int ImageIndex = -1; ///< the row's picture in the area's Images; -1 for none
    int SelectedIndex = -1; ///< the row's picture while selected; -1 for none
    int OverlayIndex = -1; ///< the picture drawn over the row's picture; -1 for none
    int StateIndex = -1; ///< the row's picture in the area's StateImages; -1 for none
    bool Linked = false; ///< the row takes part in a relation (drawn bold)
};

/// One item as an [Item\<i\>] section records it, with its rows, which WriteText writes as the
/// [SubItem\<i\>of\<j\>] sections right after it. Also what the undo history keeps of a removed
/// item.
struct TSchemaFileItem {
    /// The kind of inner control, a TSchemaControlType ordinal (0 list, 1 check list, 2 tree,
    /// 3 text, 4 icon).
    int ControlType = 0;
    QString Caption; ///< the item's caption (a table name); line breaks are written as blanks
    bool ShowCaption = true; ///< the item has a title bar
    bool Sizeable = true; ///< the user may resize the item by its frame
    bool ToolWin = true; ///< the title bar is the thin one of a tool window
    bool Border = true; ///< the item has a frame
    int Left = 0; ///< the item's left edge, in pixels in the area's client coordinates
    int Top = 0; ///< the item's top edge, in pixels in the area's client coordinates
    int Width = 0; ///< the item's outer width in pixels, frame and title bar included
    int Height = 0; ///< the item's outer height in pixels, frame and title bar included
    /// The icon's picture, a TSCIconType ordinal; written only for icon items, none for others.
    std::optional<int> IconType;
    TFontValue Font; ///< the rows' font (the caption font of an icon item)
    TColor Color = clBtnFace; ///< the inner control's background, the last field of "Font"
    QVector<TSchemaFileRow> Rows; ///< the rows in the item's order; "SubItems" is their count
};

/// One relation as a [Relation\<k\>] section records it. A reader finds the items by
/// ParentItemNo and ChildItemNo where those name an item of the caption given, else by the
/// caption.
struct TSchemaFileRelation {
    QString ParentItem; ///< the parent item's caption (not its alias)
    QString ChildItem; ///< the child item's caption (not its alias)
    /// The parent row's position in its item plus one; for a text or icon item, which holds
    /// one row, its row's Index plus one (so 0), and a reader takes that one row for any
    /// number.
    int ParentSubItem = 0;
    /// The child row's position in its item plus one; for a text or icon item its row's Index
    /// plus one (so 0), as for ParentSubItem.
    int ChildSubItem = 0;
    int JoinOperator = 0; ///< a TSDRelationOperator ordinal (0 "=", ... 5 "<>")
    int JoinType = 0; ///< a TSDRelationJoin ordinal (0 inner, 1 left, 2 right, 3 full outer)
    int RelationType
        = 0; ///< a TSDRelationType ordinal (0 normal, 1 identifying, 2 non-identifying)
    /// The parent's [Item\<i\>] section number i, counting from 1; 0 (or less) writes no key.
    int ParentItemNo = 0;
    /// The child's [Item\<i\>] section number i, counting from 1; 0 (or less) writes no key.
    int ChildItemNo = 0;
    /// Further conditions of the join, written as "JoinCondition" only when there are any
    /// (readers that do not know the key skip it).
    QString JoinCondition;
};

/// Everything WriteText writes: [General], then each item with its rows, then each relation.
struct TSchemaFileData {
    QString App; ///< the application's name, written as "App"; no reader looks at it
    QString Saved; ///< the save time as FormatSaved formats it; no reader looks at it
    /// The SQL dialect of the area's data engine (a TSQLSubType ordinal), written as
    /// "SQLSubType" after RelCount when the area has an engine; files without it load as
    /// before.
    std::optional<int> SQLSubType;
    QVector<TSchemaFileItem> Items; ///< written as [Item1], [Item2], ... in this order
    QVector<TSchemaFileRelation> Relations; ///< written as [Relation1], ... in this order
};

/// The text of a file, every line ended by CR LF. Text values pass through OneLine.
DIDUZACORE_EXPORT QString WriteText(const TSchemaFileData &data);

} // namespace SchemaFile
} // namespace Diduza
