// The downloaded program package: a zip archive from the update server (or
// whoever answers in its place), of which only the program is taken out.
// Whatever the archive holds, the folder ends with the archive and at most
// the program, within its bound: no other file, no temporary one.
#include "quiet.h"
#include "update/package.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace
{
const qint64 kBound = 64 * 1024;

QTemporaryDir &folder()
{
    // In memory where the system has such a folder: each input makes and
    // removes files, which on a disk costs more than the unpacking itself.
    static QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                 ? QStringLiteral("/dev/shm/kivo-fuzz-package-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/kivo-fuzz-package-XXXXXX"));
    return dir;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    quietQt();
    return folder().isValid() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString dir = folder().path();
    const QString archive = dir + QStringLiteral("/KIVOMouse_PC.exe.zip");
    const QString program = QStringLiteral("KIVOMouse-PC-V1.0.32.exe");
    {
        QFile f(archive);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    ProgramUnpack::State state;
    {
        ProgramUnpack unpack(archive, dir, program, kBound);
        // Every step does a bounded piece of work: a run of them ends.
        int steps = 0;
        while ((state = unpack.step()) == ProgramUnpack::State::Running)
            if (++steps > 100000) std::abort();
    }
    QStringList expected{QFileInfo(archive).fileName()};
    if (state == ProgramUnpack::State::Done) {
        expected << program;
        const QFileInfo taken(QDir(dir).filePath(program));
        if (!taken.isFile() || taken.isSymLink() || taken.size() > kBound) std::abort();
    }
    expected.sort();
    QStringList names =
        QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    names.sort();
    if (names != expected) std::abort();
    QFile::remove(QDir(dir).filePath(program));
    return 0;
}
