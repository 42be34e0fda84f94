#pragma once

// The fuzz entry of the schema file reader, shared by the libFuzzer target (fuzz_schemafile)
// and the corpus replay that CTest runs (fuzz_schemafile_replay).

#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace Diduza::Fuzz {

// Loads the bytes into a design area (one per process, kept between inputs) through
// LoadFromStream. Aborts, with a note on stderr, when the load fails other than by an
// exception carrying a message, when the area is left inconsistent (a relation whose end is
// not a row of an item on the area, drawing still suspended), or when a diagram that loaded
// does not save and load back to the same text.
int LoadSchemaFile(const uint8_t *data, size_t size);

// How many inputs loaded, and how many failed with a message, so far.
struct LoadCounts {
    int loaded = 0;
    int failed = 0;
};
const LoadCounts &Counts();

// A section-aware mutation of a schema file: lines and whole sections dropped, repeated or
// moved, values replaced by boundary numbers, headers renumbered, keys and headers invented,
// letters' case changed, bytes flipped. The same seed gives the same result; the result is at
// most maxSize bytes.
QByteArray MutateSchemaFile(const QByteArray &input, quint32 seed, size_t maxSize);

} // namespace Diduza::Fuzz
