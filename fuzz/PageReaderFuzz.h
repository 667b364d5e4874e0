#pragma once
// What the engine page readers' targets share: one reader set up with a
// site's markers for the whole run, and the properties every read text keeps.

#include "FuzzSupport.h"
#include "connect/clsConnect.h"

#include <QChar>
#include <QString>

#include <memory>

namespace fuzz {

template <typename Markers, typename PageReader>
struct PageReaderFixture {
    Markers m;
    clsConnect scraper;
    std::unique_ptr<PageReader> reader;
    PageReaderFixture(const Markers &markers, const char *engine) : m(markers) {
        m.ApplyTo(scraper);
        reader = std::make_unique<PageReader>(scraper, m);
        reader->setEngine(QString::fromLatin1(engine));
    }
};

inline bool OneLineTrimmed(const QString &t) {
    return !t.contains(QLatin1Char('\r')) && !t.contains(QLatin1Char('\n')) && !t.startsWith(QLatin1Char(' ')) &&
           !t.endsWith(QLatin1Char(' '));
}

// Every pair of a post string is one name and one value.
inline void CheckPostString(const QString &post) {
    if (post.isEmpty())
        return;
    for (const QString &pair : post.split(QLatin1Char('&')))
        FUZZ_CHECK(pair.count(QLatin1Char('=')) == 1);
}

// The input with what would end or escape a table cell taken out.
inline QString PlainCellText(const QString &page) {
    QString text;
    for (const QChar c : page)
        if (c.unicode() >= 0x20 && c != QLatin1Char('<') && c != QLatin1Char('>') && c != QLatin1Char('&') &&
            c.unicode() != 0xA0 && c.unicode() != 0x7F)
            text += c;
    return text;
}

}  // namespace fuzz
