#pragma once
// Helpers for the tests of the engine data windows: the download address
// pointed at a fake server, a folder nothing can be written into, the
// engine data file and the settings store.

#include "core/Globals.h"
#include "platform/Registry.h"
#include "support/TestEnv.h"
#include "ui/modEngineData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fixtures {

// Points the download at a test server for the life of the object.
struct ScopedDownloadURL {
    explicit ScopedDownloadURL(const QString &url) { modEngineData::setDownloadURL(url); }
    ~ScopedDownloadURL() { modEngineData::setDownloadURL(QString()); }
};

// A folder no new file can be written into, not even by root (immutable
// attribute; plain permissions for other users). active() is false where
// the file system allows neither.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString &path) : m_path(path) {
        if (geteuid() != 0) {
            m_chmod = QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        } else {
            m_immutable = setImmutable(true);
        }
        QFile probe(QDir(path).filePath(QStringLiteral("probe.tmp")));
        m_active = (m_chmod || m_immutable) && !probe.open(QIODevice::WriteOnly);
        if (probe.isOpen()) {
            probe.close();
            probe.remove();
        }
    }
    ~ReadOnlyFolder() {
        if (m_immutable)
            setImmutable(false);
        if (m_chmod)
            QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    bool active() const { return m_active; }

private:
    bool setImmutable(bool on) {
        const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_DIRECTORY);
        if (fd < 0)
            return false;
        int flags = 0;
        bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (ok) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return ok;
    }
    QString m_path;
    bool m_chmod = false;
    bool m_immutable = false;
    bool m_active = false;
};

inline QByteArray engineFile() { return testenv::readFile(g_sEngineDataFile); }
inline void writeEngineFile(const QByteArray &bytes) { testenv::writeFile(g_sEngineDataFile, bytes); }

// A stored setting ("" when missing).
inline QString preference(const QString &name) {
    return platform::Registry::instance().value(g_sPreferenceKey, name).value_or(QString());
}
inline QString engineFlag(const QString &name) {
    return platform::Registry::instance().value(g_sEngineKey, name).value_or(QString());
}
// The settings store's file mode bits (-1 when it is missing).
inline int storeMode() {
    struct stat st {};
    if (::stat(QFile::encodeName(platform::Registry::storeFile()).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 0777);
}

// Every later write of the settings store fails (a folder where its file goes).
struct BrokenStore {
    BrokenStore() {
        QFile::remove(platform::Registry::storeFile());
        QDir().mkpath(platform::Registry::storeFile());
    }
    ~BrokenStore() { QDir().rmdir(platform::Registry::storeFile()); }
};

}  // namespace fixtures
