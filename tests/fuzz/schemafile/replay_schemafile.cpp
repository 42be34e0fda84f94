// Replays schema files through the fuzz entry, then as many section-aware mutations of them:
//   fuzz_schemafile_replay [--mutations N] [--seed S] FILE_OR_DIRECTORY...
// CTest runs it on the seed corpus; a failing input aborts the run with a note on stderr.

#include "SchemaFileFuzz.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

int main(int argc, char **argv)
{
    int mutations = 0;
    quint32 seed = 1;
    std::vector<QByteArray> inputs;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--mutations") && i + 1 < argc) {
            mutations = std::atoi(argv[++i]);
        } else if (!std::strcmp(argv[i], "--seed") && i + 1 < argc) {
            seed = quint32(std::strtoul(argv[++i], nullptr, 10));
        } else {
            const QString path = QString::fromLocal8Bit(argv[i]);
            QStringList files { path };
            if (QFileInfo(path).isDir()) {
                files.clear();
                const QDir dir(path);
                for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
                    files << dir.filePath(name);
            }
            for (const QString &file : files) {
                QFile f(file);
                if (!f.open(QIODevice::ReadOnly)) {
                    std::fprintf(stderr, "cannot read %s\n", qPrintable(file));
                    return 2;
                }
                inputs.push_back(f.readAll());
            }
        }
    }
    if (inputs.empty()) {
        std::fprintf(
            stderr, "usage: %s [--mutations N] [--seed S] FILE_OR_DIRECTORY...\n", argv[0]);
        return 2;
    }
    for (const QByteArray &input : inputs)
        Diduza::Fuzz::LoadSchemaFile(
            reinterpret_cast<const uint8_t *>(input.constData()), size_t(input.size()));
    for (int m = 0; m < mutations; ++m) {
        const QByteArray input = Diduza::Fuzz::MutateSchemaFile(
            inputs[size_t(m) % inputs.size()], seed + quint32(m), 1 << 16);
        Diduza::Fuzz::LoadSchemaFile(
            reinterpret_cast<const uint8_t *>(input.constData()), size_t(input.size()));
    }
    std::printf("%zu files and %d mutations (seed %u): %d loaded, %d failed with a message\n",
        inputs.size(), mutations, seed, Diduza::Fuzz::Counts().loaded,
        Diduza::Fuzz::Counts().failed);
    return 0;
}
