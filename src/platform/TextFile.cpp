#include "platform/TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace platform {

namespace {
// Windows-1252 bytes 0x80-0x9F; the other bytes are their Latin-1 code points.
const char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                            0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

const QHash<char16_t, char> &reverseHigh() {
    static const QHash<char16_t, char> map = [] {
        QHash<char16_t, char> m;
        for (int i = 0; i < 32; ++i)
            m.insert(kHigh[i], char(0x80 + i));
        return m;
    }();
    return map;
}

// The code page's characters outside Latin-1, and "?" for the rest.
char otherAnsiByte(char16_t u) {
    auto it = reverseHigh().constFind(u);
    return it == reverseHigh().constEnd() ? '?' : it.value();
}

inline char ansiByte(char16_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return char(u);
    return otherAnsiByte(u);
}
}  // namespace

QByteArray ToAnsi(const QString &text) {
    QByteArray out(text.size(), Qt::Uninitialized);
    ToAnsi(text, out.data());
    return out;
}

void ToAnsi(QStringView text, char *p) {
    const qsizetype n = text.size();
    const char16_t *in = text.utf16();
    qsizetype i = 0;
#ifdef __SSE2__
    // Reports run to megabytes: sixteen characters at a time while each is
    // its own byte (below 0x100 and not 0x80-0x9F).
    const __m128i highBits = _mm_set1_epi16(short(0xFF00));
    const __m128i c1Bits = _mm_set1_epi16(short(0xFFE0));
    const __m128i c1Block = _mm_set1_epi16(0x0080);
    const __m128i zero = _mm_setzero_si128();
    auto ownBytes = [&](__m128i v) {
        return _mm_andnot_si128(_mm_cmpeq_epi16(_mm_and_si128(v, c1Bits), c1Block),
                                _mm_cmpeq_epi16(_mm_and_si128(v, highBits), zero));
    };
    for (; i + 16 <= n; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + i + 8));
        if (_mm_movemask_epi8(_mm_and_si128(ownBytes(a), ownBytes(b))) == 0xFFFF) {
            _mm_storeu_si128(reinterpret_cast<__m128i *>(p + i), _mm_packus_epi16(a, b));
        } else {
            for (qsizetype j = i; j < i + 16; ++j)
                p[j] = ansiByte(in[j]);
        }
    }
#endif
    for (; i < n; ++i)
        p[i] = ansiByte(in[i]);
}

QString FromAnsi(QByteArrayView bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *p = out.data();
    for (char ch : bytes) {
        const unsigned char b = static_cast<unsigned char>(ch);
        *p++ = (b >= 0x80 && b <= 0x9F) ? QChar(kHigh[b - 0x80]) : QChar(b);
    }
    return out;
}

bool ReadFileBytes(const QString &path, QByteArray *out) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    *out = f.readAll();
    return true;
}

bool ReadAnsiFile(const QString &path, QString *out) {
    QByteArray bytes;
    if (!ReadFileBytes(path, &bytes))
        return false;
    *out = FromAnsi(bytes);
    return true;
}

bool WriteFileAtomic(const QString &path, const QByteArray &bytes, bool ownerOnly, QString *errorText) {
    QSaveFile f(path);
    auto fail = [&f, errorText] {
        if (errorText)
            *errorText = f.errorString();
        f.cancelWriting();
        return false;
    };
    if (!f.open(QIODevice::WriteOnly)) {
        if (errorText)
            *errorText = f.errorString();
        return false;
    }
    if (ownerOnly)
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (f.write(bytes) != bytes.size())
        return fail();
    // commit() flushes what is still buffered (all of a small file) but does
    // not report a failure of that flush: a full disk or a size limit would
    // leave the new file cut short and renamed over the old one. Flush and
    // sync here, where a failure still cancels the write.
    if (!f.flush() || f.error() != QFileDevice::NoError)
        return fail();
    if (::fsync(f.handle()) != 0) {
        const int err = errno;
        f.cancelWriting();
        if (errorText)
            *errorText = QString::fromLocal8Bit(std::strerror(err));
        return false;
    }
    if (!f.commit()) {
        if (errorText)
            *errorText = f.errorString();
        return false;
    }
    if (ownerOnly)
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}

bool WriteAnsiFileAtomic(const QString &path, const QString &text, bool ownerOnly, QString *errorText) {
    return WriteFileAtomic(path, ToAnsi(text), ownerOnly, errorText);
}

bool WriteCacheFileAtomic(const QString &path, const QByteArray &bytes, QString *errorText) {
    // Plain system calls: a look-up writes hundreds of these files, and a
    // named temporary file costs less than an unnamed one linked in later.
    const QByteArray target = QFile::encodeName(path);
    QByteArray temp = target + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        if (errorText)
            *errorText = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    int error = 0;
    for (qsizetype done = 0; done < bytes.size() && error == 0;) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno != EINTR)
            error = errno;
        else if (n == 0)
            error = EIO;
    }
    if (error == 0 && ::fchmod(fd, S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    // POSIX rename replaces the old file in one step.
    if (error == 0 && std::rename(temp.constData(), target.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temp.constData());
        if (errorText)
            *errorText = QString::fromLocal8Bit(std::strerror(error));
        return false;
    }
    return true;
}

QString KeepDamagedCopy(const QString &path, const QByteArray &bytes) {
    const QString copy = path + QStringLiteral(".bad");
    // The first damaged version is the one worth keeping: a later load of
    // the already-mended file must not replace it.
    if (QFileInfo::exists(copy))
        return QString();
    return WriteFileAtomic(copy, bytes, true) ? copy : QString();
}

QStringList SplitLines(const QString &text) {
    QStringList lines;
    int start = 0;
    const int n = int(text.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

QString SafePathComponent(const QString &name) {
    if (name.isEmpty())
        return QStringLiteral("%");
    if (name == QLatin1String("."))
        return QStringLiteral("%2E");
    if (name == QLatin1String(".."))
        return QStringLiteral("%2E%2E");
    static const QString reserved = QStringLiteral("/\\<>:\"|?*%");
    QString out;
    out.reserve(name.size());
    bool changed = false;
    for (QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || reserved.contains(c)) {
            out += QStringLiteral("%%1").arg(int(c.unicode()), 2, 16, QLatin1Char('0')).toUpper();
            changed = true;
        } else {
            out += c;
        }
    }
    return changed ? out : name;
}

}  // namespace platform
