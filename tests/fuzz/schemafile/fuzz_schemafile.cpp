// libFuzzer target of the schema file reader (DIDUZA_BUILD_FUZZ=ON, clang). Half of the
// mutations are libFuzzer's own, half are section-aware (MutateSchemaFile).

#include "SchemaFileFuzz.h"

#include <cstring>

extern "C" size_t LLVMFuzzerMutate(uint8_t *data, size_t size, size_t maxSize);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return Diduza::Fuzz::LoadSchemaFile(data, size);
}

extern "C" size_t LLVMFuzzerCustomMutator(
    uint8_t *data, size_t size, size_t maxSize, unsigned int seed)
{
    if (seed % 2)
        return LLVMFuzzerMutate(data, size, maxSize);
    const QByteArray out = Diduza::Fuzz::MutateSchemaFile(
        QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), seed, maxSize);
    std::memcpy(data, out.constData(), size_t(out.size()));
    return size_t(out.size());
}
