#include "support/FileFaults.h"

#include <QFile>

#include <csignal>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace testenv {

namespace {
// Root reads a file whatever its mode through these two capabilities.
constexpr unsigned kReadAnyBits = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

bool getCaps(__user_cap_data_struct (&data)[2]) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capget, &header, data) == 0;
}
bool setCaps(__user_cap_data_struct (&data)[2]) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capset, &header, data) == 0;
}
}  // namespace

Unreadable::Unreadable(const QString &path) : m_path(path) {
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        m_mode = st.st_mode & 07777;
    ::chmod(QFile::encodeName(path).constData(), 0);
    __user_cap_data_struct data[2] = {};
    if (getCaps(data) && (data[0].effective & kReadAnyBits)) {
        m_savedEffective[0] = data[0].effective;
        m_savedEffective[1] = data[1].effective;
        data[0].effective &= ~kReadAnyBits;
        m_capsDropped = setCaps(data);
    }
}

Unreadable::~Unreadable() {
    if (m_capsDropped) {
        __user_cap_data_struct data[2] = {};
        if (getCaps(data)) {
            data[0].effective = m_savedEffective[0];
            data[1].effective = m_savedEffective[1];
            setCaps(data);
        }
    }
    ::chmod(QFile::encodeName(m_path).constData(), m_mode ? m_mode : 0644);
}

FileSizeLimit::FileSizeLimit(long bytes) {
    ::getrlimit(RLIMIT_FSIZE, &m_saved);
    m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = m_saved;
    limit.rlim_cur = rlim_t(bytes);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &m_saved);
    std::signal(SIGXFSZ, m_savedHandler);
}

}  // namespace testenv
