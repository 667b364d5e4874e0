#pragma once
// A growing text for the report builders. A report of a large account is
// megabytes long and made of hundreds of thousands of short pieces; each
// piece is copied straight into place, without a library call of its own.

#include "platform/TextFile.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <algorithm>

class TextBuffer {
public:
    explicit TextBuffer(qsizetype expected) { grow(std::max<qsizetype>(expected, 256)); }

    void append(QStringView text) {
        QChar *d = room(text.size());
        std::copy_n(text.data(), text.size(), d);
        m_used += text.size();
    }
    // Text given as its Windows-1252 bytes.
    void append(QByteArrayView ansi) {
        QChar *d = room(ansi.size());
        for (qsizetype i = 0; i < ansi.size(); ++i) {
            const auto b = static_cast<unsigned char>(ansi[i]);
            d[i] = b < 0x80 || b >= 0xA0 ? QChar(b) : platform::FromAnsi(ansi.sliced(i, 1)).at(0);
        }
        m_used += ansi.size();
    }
    void append(QLatin1String text) {
        QChar *d = room(text.size());
        for (qsizetype i = 0; i < text.size(); ++i)
            d[i] = QLatin1Char(text[i]);
        m_used += text.size();
    }
    void append(QChar c) {
        *room(1) = c;
        ++m_used;
    }
    void fill(QChar c, qsizetype count) {
        std::fill_n(room(count), count, c);
        m_used += count;
    }
    // Space for `count` more characters, to be written and then kept with advance().
    QChar *room(qsizetype count) {
        if (m_used + count > m_capacity)
            grow(std::max(m_capacity * 2, m_used + count));
        return m_data + m_used;
    }
    void advance(qsizetype count) { m_used += count; }

    QString take() {
        m_text.truncate(m_used);
        m_data = nullptr;
        m_capacity = m_used = 0;
        return std::move(m_text);
    }

private:
    void grow(qsizetype capacity) {
        m_text.resize(capacity);
        m_data = m_text.data();
        m_capacity = capacity;
    }

    QString m_text;
    QChar *m_data = nullptr;
    qsizetype m_capacity = 0;
    qsizetype m_used = 0;
};
