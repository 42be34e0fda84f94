// libFuzzer target of MySQL's and MariaDB's statement splitter: the input's first byte gives
// the session mode (its two low bits, as MysqlMode numbers them), the rest is the text in
// UTF-8. Aborts, with a note on stderr, where CheckSplit finds a fault.

#include "MysqlStatementFuzz.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const int mode = data[0] & 3;
    const QString text
        = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const QString fault = Diduza::Fuzz::CheckSplit(text, Diduza::Fuzz::MysqlMode(mode));
    if (!fault.isEmpty()) {
        std::fprintf(stderr, "mode %d: %s\n", mode, qPrintable(fault));
        std::abort();
    }
    return 0;
}
