#pragma once
// What a fuzz target needs that starts no application and makes no folders:
// the property check and the ways an input is read. FuzzSupport.h adds the
// application, the folders and the seams.

#include "platform/TextFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A failed property: printed, then the process aborts so libFuzzer keeps the input.
#define FUZZ_CHECK(cond)                                                                        \
    do {                                                                                        \
        if (!(cond)) {                                                                          \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                       \
        }                                                                                       \
    } while (0)

namespace fuzz {

inline QByteArray Bytes(const uint8_t *data, size_t size) {
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// The input of a page parser: read as Windows-1252, its first N lines are
// the engine's markers (missing ones empty) and the rest is the page.
template <size_t N>
QString MarkersAndPage(const uint8_t *data, size_t size, QString *const (&markers)[N]) {
    const QString input = platform::FromAnsi(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    QStringList parts = input.split(QLatin1Char('\n'));
    while (size_t(parts.size()) < N + 1)
        parts.append(QString());
    for (size_t i = 0; i < N; ++i)
        *markers[i] = parts[qsizetype(i)];
    return parts.mid(qsizetype(N)).join(QLatin1Char('\n'));
}

}  // namespace fuzz
