#pragma once
// Faults of the file system a test can cause for a while: a file the
// program may not read (also when the tests run as root), and a cap on the
// size of any file written (as "ulimit -f" or a full disk would).

#include <QString>
#include <sys/resource.h>

namespace testenv {

// The file is made unreadable for the guard's lifetime. Under root, which
// reads anything, the capabilities that let it are dropped from this thread
// for that time.
class Unreadable {
public:
    explicit Unreadable(const QString &path);
    ~Unreadable();
    Unreadable(const Unreadable &) = delete;
    Unreadable &operator=(const Unreadable &) = delete;

private:
    QString m_path;
    unsigned m_mode = 0;
    bool m_capsDropped = false;
    unsigned m_savedEffective[2] = {0, 0};
};

// No file grows beyond `bytes` while the guard lives: a write past it fails
// ("File too large") instead of ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_saved{};
    void (*m_savedHandler)(int) = nullptr;
};

}  // namespace testenv
