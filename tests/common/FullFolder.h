#pragma once

#include <QString>

class QProcess;

// A folder whose file system has no room left, for the tests of a full disk.
//
// When the tests may mount (root, or the right to mount), a small tmpfs is mounted over the
// folder, the folder's content copied into it, and a filler file written until the system says
// there is no room: what was there can be read and overwritten, nothing can grow. When the
// folder goes, its content at that moment is copied back where it was.
//
// Elsewhere the stand-in: the programs the test starts while the folder is full may not write past
// kStandInLimit bytes of any file (RLIMIT_FSIZE, with SIGXFSZ ignored, so that the write fails with
// EFBIG as a full disk fails it with ENOSPC). It holds for every file those programs write, not
// only the folder's; the test itself writes freely.
class FullFolder
{
public:
    static constexpr long kStandInLimit = 512;

    explicit FullFolder(QString folder);
    ~FullFolder();
    FullFolder(const FullFolder &) = delete;
    FullFolder &operator=(const FullFolder &) = delete;

    // Empty when the folder is full (mounted or by the stand-in); otherwise why not.
    const QString &problem() const { return m_problem; }
    bool mounted() const { return m_mounted; }
    // How the folder was filled, for the test's report.
    QString how() const;

    bool full() const { return m_full; }
    // Room again: the filler goes (mounted), or the limit is lifted.
    void makeRoom();
    // No room again.
    void fill();

    // The stand-in's limit on a program started while the folder is full (nothing when mounted).
    void limit(QProcess &process) const;
    // The same for the calling process: a forked child about to write.
    void limitThisProcess() const;

private:
    QString m_folder;
    QString m_under; // the folder's own content while the tmpfs covers it
    QString m_problem;
    bool m_mounted = false;
    bool m_full = false;
};
