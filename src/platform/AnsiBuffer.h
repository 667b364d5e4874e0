#pragma once
// A growing Windows-1252 byte buffer for whole files made of many short
// texts (keyword lists, reports): each text is converted straight into
// place, without a text of the whole file first.

#include "platform/TextFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QLatin1String>
#include <QStringView>
#include <algorithm>

namespace platform {

class AnsiBuffer {
public:
    explicit AnsiBuffer(qsizetype expected) { grow(std::max<qsizetype>(expected, 64)); }

    void append(QStringView text) {
        const qsizetype n = text.size();
        char *d = room(n);
        if (n >= kShortText) {
            ToAnsi(text, d);
        } else {
            // Most pieces are a few characters of Latin-1: converted here,
            // without a call.
            for (qsizetype i = 0; i < n; ++i) {
                const char16_t u = text[i].unicode();
                d[i] = u < 0x80 || (u >= 0xA0 && u <= 0xFF) ? char(u) : byteOf(text[i]);
            }
        }
        m_used += n;
    }
    // Bytes already in the code page, as they are.
    void append(QByteArrayView bytes) {
        std::copy_n(bytes.data(), bytes.size(), room(bytes.size()));
        m_used += bytes.size();
    }
    void append(QLatin1String text) {
        char *d = room(text.size());
        for (qsizetype i = 0; i < text.size(); ++i)
            d[i] = byteOf(QChar(text[i]));
        m_used += text.size();
    }
    void append(QChar c) {
        *room(1) = byteOf(c);
        ++m_used;
    }
    // A byte as it is.
    void append(char c) {
        *room(1) = c;
        ++m_used;
    }
    void fill(QChar c, qsizetype count) {
        std::fill_n(room(count), count, byteOf(c));
        m_used += count;
    }
    // The bytes; the buffer's spare room stays allocated behind them, so a
    // closing line end goes on without copying the rest.
    QByteArray take() {
        m_bytes.truncate(m_used);
        m_data = nullptr;
        m_capacity = m_used = 0;
        return std::move(m_bytes);
    }

private:
    static constexpr qsizetype kShortText = 16;
    static char byteOf(QChar c) {
        char b;
        ToAnsi(QStringView(&c, 1), &b);
        return b;
    }
    char *room(qsizetype count) {
        if (m_used + count > m_capacity)
            grow(std::max(m_capacity * 2, m_used + count));
        return m_data + m_used;
    }
    void grow(qsizetype capacity) {
        m_bytes.resize(capacity);
        m_data = m_bytes.data();
        m_capacity = capacity;
    }

    QByteArray m_bytes;
    char *m_data = nullptr;
    qsizetype m_capacity = 0;
    qsizetype m_used = 0;
};

}  // namespace platform
