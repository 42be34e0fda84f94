#pragma once

// Writing rows as CSV text, as the query tool saves its results.

#include "diduzacore_export.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

class QIODevice;

namespace Diduza {

/// Writes records to a device as CSV (RFC 4180) in UTF-8: fields separated by commas, each
/// record ended by CR LF, a field that holds a quote, a comma or a line break quoted, with its
/// quotes doubled. A null value is an empty field; other values are written as
/// QVariant::toString gives them. The text is gathered and written in blocks; Flush writes
/// the rest. The writer does not own the device, which must be open for writing.
class DIDUZACORE_EXPORT TCsvWriter {
public:
    /// A writer to Device (not owned; null makes every Flush fail).
    explicit TCsvWriter(QIODevice *Device);

    /// One record of texts (the column names, for instance).
    void WriteRecord(const QStringList &Fields);
    /// One record of values.
    void WriteRow(const QVector<QVariant> &Values);
    /// The next field of the record being written; EndRecord ends the record.
    void WriteField(const QVariant &Value);
    /// Ends the record being written; writes a block to the device once enough is gathered.
    void EndRecord();
    /// Writes what is gathered to the device; false once the device refused a block.
    bool Flush();
    /// True once the device refused a block; what follows is not written.
    bool Failed() const { return m_failed; }

private:
    /// The device written to (not owned).
    QIODevice *m_device;
    /// The text gathered since the last block was written.
    QString m_text;
    /// The last block as UTF-8 (kept for its room).
    QByteArray m_bytes;
    /// No field of the current record is written yet.
    bool m_atRecordStart = true;
    /// See Failed.
    bool m_failed = false;
};

} // namespace Diduza
