#include "update/package.h"

#include <quazipfile.h>
#include <quazipfileinfo.h>

#include <QDebug>
#include <QDir>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace
{
// Each step looks at this many entries of the archive's directory...
const int kEntriesPerStep = 256;
// A package is one program; looking through more entries than a zip without
// its 64-bit extension can count (some 10 us each) is work for nothing.
const int kMaxEntries = 65535;
// ...or takes out at most this much of the program, in buffers of kBuffer.
const qint64 kBytesPerStep = 1024 * 1024;
const int kBuffer = 64 * 1024;
} // namespace

bool replace_file(const QString &from, const QString &to)
{
#ifdef Q_OS_WIN
    const std::filesystem::path source(from.toStdWString()), dest(to.toStdWString());
#else
    const std::filesystem::path source(QFile::encodeName(from).toStdString()),
        dest(QFile::encodeName(to).toStdString());
#endif
    // rename(2) on Linux, MoveFileExW replacing on Windows: the old file stays
    // whole until the new one takes its name.
    std::error_code error;
    std::filesystem::rename(source, dest, error);
    return !error;
}

ProgramUnpack::ProgramUnpack(const QString &archive, const QString &folder, const QString &program,
                             qint64 maxSize)
    : m_archive(archive), m_program(program), m_target(QDir(folder).filePath(program)),
      m_temporary(m_target + QStringLiteral(".unpack")), m_maxSize(maxSize)
{
}

ProgramUnpack::~ProgramUnpack()
{
    if (m_state != State::Done) discard();
}

void ProgramUnpack::discard()
{
    m_entry.reset();
    if (m_made) {
        m_out.close();
        QFile::remove(m_temporary);
        m_made = false;
    }
    if (m_zip.isOpen()) m_zip.close();
}

ProgramUnpack::State ProgramUnpack::refuse(const char *why)
{
    qDebug() << "__________"
             << "package refused:" << why << m_archive;
    discard();
    m_phase = Phase::Ended;
    m_state = State::Refused;
    return m_state;
}

ProgramUnpack::State ProgramUnpack::step()
{
    switch (m_phase) {
    case Phase::Open:
        m_zip.setZipName(m_archive);
        if (!m_zip.open(QuaZip::mdUnzip)) return refuse("not a zip archive");
        m_more = m_zip.goToFirstFile();
        m_phase = Phase::Scan;
        return State::Running;
    case Phase::Scan:
        return scan();
    case Phase::Extract:
        return extract();
    case Phase::Ended:
        break;
    }
    return m_state;
}

ProgramUnpack::State ProgramUnpack::scan()
{
    for (int n = 0; n < kEntriesPerStep; ++n) {
        if (!m_more) {
            return refuse(m_zip.getZipError() == UNZ_OK ? "no entry of the program's name"
                                                        : "damaged archive");
        }
        if (++m_looked > kMaxEntries) return refuse("too many entries");
        // Only the program's own name, without a folder part: no other entry
        // is ever read, so none can reach a file outside the program.
        if (m_zip.getCurrentFileName() != m_program) {
            m_more = m_zip.goToNextFile();
            continue;
        }
        QuaZipFileInfo64 info;
        if (!m_zip.getCurrentFileInfo(&info)) return refuse("damaged archive");
        if (info.isSymbolicLink()) return refuse("the program is a link");
        if (info.flags & 1) return refuse("the program is encrypted");
        if (info.uncompressedSize > quint64(m_maxSize)) return refuse("the program is too large");

        // Only an earlier copy of the program is replaced; a link there is
        // neither replaced nor followed.
        const QFileInfo target(m_target);
        if (target.isSymLink() || (target.exists() && !target.isFile()))
            return refuse("something other than the program has its name");
        // A temporary file left by an unpack cut off is ours to remove (a link
        // itself, not what it leads to); the new one is made, never opened.
        const QFileInfo stale(m_temporary);
        if (stale.isSymLink() || stale.isFile()) QFile::remove(m_temporary);

        m_entry = std::make_unique<QuaZipFile>(&m_zip);
        if (!m_entry->open(QIODevice::ReadOnly)) return refuse("the program cannot be read");
        m_out.setFileName(m_temporary);
        if (!m_out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return refuse("cannot make the temporary file");
        m_made = true;
        m_phase = Phase::Extract;
        return State::Running;
    }
    return State::Running;
}

ProgramUnpack::State ProgramUnpack::extract()
{
    QByteArray buffer(kBuffer, Qt::Uninitialized);
    bool ended = false;
    for (qint64 taken = 0; taken < kBytesPerStep;) {
        const qint64 n = m_entry->read(buffer.data(), buffer.size());
        if (n < 0) return refuse("damaged archive");
        if (n == 0) {
            ended = true;
            break;
        }
        // The directory's size may lie: what is inflated counts.
        if (m_written + n > m_maxSize) return refuse("the program is too large");
        if (m_out.write(buffer.constData(), n) != n) return refuse("cannot write the program");
        m_written += n;
        taken += n;
    }
    if (!ended) return State::Running;

    m_entry->close(); // checks the CRC of what was read
    const bool intact = m_entry->getZipError() == UNZ_OK;
    m_entry.reset();
    if (!intact) return refuse("damaged archive");
    if (!m_out.flush()) return refuse("cannot write the program");
    m_out.close();
    m_zip.close();
    const QFileInfo target(m_target);
    if (target.isSymLink() || (target.exists() && !target.isFile()))
        return refuse("something other than the program has its name");
    if (!replace_file(m_temporary, m_target)) return refuse("cannot rename the program into place");
    m_made = false;
    m_phase = Phase::Ended;
    m_state = State::Done;
    return m_state;
}
