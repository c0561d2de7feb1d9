// The downloaded program package: of the whole archive only the one entry
// named as the expected program is taken out, bounded in size, to a temporary
// file beside its final name and renamed into place. Nothing else in the
// archive is read, no file but an earlier copy of the program is replaced and
// nothing is written through a link. The work is done in bounded steps, so
// that whoever drives it can stop between any two.
#ifndef PACKAGE_H
#define PACKAGE_H

#include <QFile>
#include <QString>
#include <QtGlobal>
#include <quazip.h>

#include <memory>

class QuaZipFile;

// Replaces `to` by `from` in one step (a link at `to` is replaced, never
// followed). False when it could not be done; both files are then as before.
bool replace_file(const QString &from, const QString &to);

class ProgramUnpack
{
public:
    enum class State { Running, Done, Refused };

    // archive: the package; folder: where the program goes; program: its
    // file name, no folder part; maxSize: the largest program taken.
    ProgramUnpack(const QString &archive, const QString &folder, const QString &program,
                  qint64 maxSize);
    // Unless done, nothing is left behind: the temporary file goes.
    ~ProgramUnpack();
    ProgramUnpack(const ProgramUnpack &) = delete;
    ProgramUnpack &operator=(const ProgramUnpack &) = delete;

    // One bounded piece of the work: some hundred entries looked at, or up to
    // a megabyte taken out. Running until it is done or refused.
    State step();
    QString target() const { return m_target; }
    QString temporary() const { return m_temporary; }

private:
    State scan();
    State extract();
    State refuse(const char *why);
    void discard();

    enum class Phase { Open, Scan, Extract, Ended };
    Phase m_phase = Phase::Open;
    State m_state = State::Running;
    QString m_archive;
    QString m_program;
    QString m_target;
    QString m_temporary;
    qint64 m_maxSize;
    qint64 m_written = 0;
    int m_looked = 0; // entries looked at
    bool m_more = false;
    bool m_made = false; // the temporary file is ours
    QuaZip m_zip;
    std::unique_ptr<QuaZipFile> m_entry;
    QFile m_out;
};

#endif
