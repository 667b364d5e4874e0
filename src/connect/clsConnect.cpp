#include "connect/clsConnect.h"

#include "core/clsPreference.h"
#include "core/modCommon.h"
#include "platform/HttpControl.h"
#include "platform/TextFile.h"
#include "platform/VB.h"

#include <QHash>
#include <QUrl>
#include <exception>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

const char *const kFormatURLLabel = "clsConnect_FormatURL error:  ";
const char *const kPostStringLabel = "clsConnect_CreatePostStringFromCollection error:  ";
const char *const kLoginFormLabel = "clsConnect_GetLoginFormFields: ";
const char *const kErrorMessageLabel = "clsConnect_GetErrorMessage error:  ";
const char *const kActionURLLabel = "clsConnect_FindActionURL Error:  ";
const char *const kFindNameLabel = "clsConnect_FindName error:  ";
const char *const kFindValueLabel = "clsConnect_FindValue error:  ";
const char *const kFindhrefLabel = "clsConnect_FindhrefURL error:  ";
const char *const kEditKeywordLabel = "clsConnect_EditKeywordFields error: ";
const char *const kHrefMarker = "href=";
const char *const kEngineFindWhat = "FindWhat";


// Index of the first of `a` and `b` that is found (-1 when neither is).
int earlierFound(int a, int b) {
    if (a < 0)
        return b;
    if (b < 0)
        return a;
    return qMin(a, b);
}

// Every named character reference of HTML 4 (and "apos").
struct NamedEntity {
    const char *name;
    char16_t ch;
};
const NamedEntity kEntities[] = {
    {"nbsp", 0x00A0}, {"iexcl", 0x00A1}, {"cent", 0x00A2}, {"pound", 0x00A3}, {"curren", 0x00A4},
    {"yen", 0x00A5}, {"brvbar", 0x00A6}, {"sect", 0x00A7}, {"uml", 0x00A8}, {"copy", 0x00A9}, {"ordf", 0x00AA},
    {"laquo", 0x00AB}, {"not", 0x00AC}, {"shy", 0x00AD}, {"reg", 0x00AE}, {"macr", 0x00AF}, {"deg", 0x00B0},
    {"plusmn", 0x00B1}, {"sup2", 0x00B2}, {"sup3", 0x00B3}, {"acute", 0x00B4}, {"micro", 0x00B5},
    {"para", 0x00B6}, {"middot", 0x00B7}, {"cedil", 0x00B8}, {"sup1", 0x00B9}, {"ordm", 0x00BA},
    {"raquo", 0x00BB}, {"frac14", 0x00BC}, {"frac12", 0x00BD}, {"frac34", 0x00BE}, {"iquest", 0x00BF},
    {"Agrave", 0x00C0}, {"Aacute", 0x00C1}, {"Acirc", 0x00C2}, {"Atilde", 0x00C3}, {"Auml", 0x00C4},
    {"Aring", 0x00C5}, {"AElig", 0x00C6}, {"Ccedil", 0x00C7}, {"Egrave", 0x00C8}, {"Eacute", 0x00C9},
    {"Ecirc", 0x00CA}, {"Euml", 0x00CB}, {"Igrave", 0x00CC}, {"Iacute", 0x00CD}, {"Icirc", 0x00CE},
    {"Iuml", 0x00CF}, {"ETH", 0x00D0}, {"Ntilde", 0x00D1}, {"Ograve", 0x00D2}, {"Oacute", 0x00D3},
    {"Ocirc", 0x00D4}, {"Otilde", 0x00D5}, {"Ouml", 0x00D6}, {"times", 0x00D7}, {"Oslash", 0x00D8},
    {"Ugrave", 0x00D9}, {"Uacute", 0x00DA}, {"Ucirc", 0x00DB}, {"Uuml", 0x00DC}, {"Yacute", 0x00DD},
    {"THORN", 0x00DE}, {"szlig", 0x00DF}, {"agrave", 0x00E0}, {"aacute", 0x00E1}, {"acirc", 0x00E2},
    {"atilde", 0x00E3}, {"auml", 0x00E4}, {"aring", 0x00E5}, {"aelig", 0x00E6}, {"ccedil", 0x00E7},
    {"egrave", 0x00E8}, {"eacute", 0x00E9}, {"ecirc", 0x00EA}, {"euml", 0x00EB}, {"igrave", 0x00EC},
    {"iacute", 0x00ED}, {"icirc", 0x00EE}, {"iuml", 0x00EF}, {"eth", 0x00F0}, {"ntilde", 0x00F1},
    {"ograve", 0x00F2}, {"oacute", 0x00F3}, {"ocirc", 0x00F4}, {"otilde", 0x00F5}, {"ouml", 0x00F6},
    {"divide", 0x00F7}, {"oslash", 0x00F8}, {"ugrave", 0x00F9}, {"uacute", 0x00FA}, {"ucirc", 0x00FB},
    {"uuml", 0x00FC}, {"yacute", 0x00FD}, {"thorn", 0x00FE}, {"yuml", 0x00FF}, {"fnof", 0x0192},
    {"Alpha", 0x0391}, {"Beta", 0x0392}, {"Gamma", 0x0393}, {"Delta", 0x0394}, {"Epsilon", 0x0395},
    {"Zeta", 0x0396}, {"Eta", 0x0397}, {"Theta", 0x0398}, {"Iota", 0x0399}, {"Kappa", 0x039A},
    {"Lambda", 0x039B}, {"Mu", 0x039C}, {"Nu", 0x039D}, {"Xi", 0x039E}, {"Omicron", 0x039F}, {"Pi", 0x03A0},
    {"Rho", 0x03A1}, {"Sigma", 0x03A3}, {"Tau", 0x03A4}, {"Upsilon", 0x03A5}, {"Phi", 0x03A6}, {"Chi", 0x03A7},
    {"Psi", 0x03A8}, {"Omega", 0x03A9}, {"alpha", 0x03B1}, {"beta", 0x03B2}, {"gamma", 0x03B3},
    {"delta", 0x03B4}, {"epsilon", 0x03B5}, {"zeta", 0x03B6}, {"eta", 0x03B7}, {"theta", 0x03B8},
    {"iota", 0x03B9}, {"kappa", 0x03BA}, {"lambda", 0x03BB}, {"mu", 0x03BC}, {"nu", 0x03BD}, {"xi", 0x03BE},
    {"omicron", 0x03BF}, {"pi", 0x03C0}, {"rho", 0x03C1}, {"sigmaf", 0x03C2}, {"sigma", 0x03C3},
    {"tau", 0x03C4}, {"upsilon", 0x03C5}, {"phi", 0x03C6}, {"chi", 0x03C7}, {"psi", 0x03C8}, {"omega", 0x03C9},
    {"thetasym", 0x03D1}, {"upsih", 0x03D2}, {"piv", 0x03D6}, {"bull", 0x2022}, {"hellip", 0x2026},
    {"prime", 0x2032}, {"Prime", 0x2033}, {"oline", 0x203E}, {"frasl", 0x2044}, {"weierp", 0x2118},
    {"image", 0x2111}, {"real", 0x211C}, {"trade", 0x2122}, {"alefsym", 0x2135}, {"larr", 0x2190},
    {"uarr", 0x2191}, {"rarr", 0x2192}, {"darr", 0x2193}, {"harr", 0x2194}, {"crarr", 0x21B5},
    {"lArr", 0x21D0}, {"uArr", 0x21D1}, {"rArr", 0x21D2}, {"dArr", 0x21D3}, {"hArr", 0x21D4},
    {"forall", 0x2200}, {"part", 0x2202}, {"exist", 0x2203}, {"empty", 0x2205}, {"nabla", 0x2207},
    {"isin", 0x2208}, {"notin", 0x2209}, {"ni", 0x220B}, {"prod", 0x220F}, {"sum", 0x2211}, {"minus", 0x2212},
    {"lowast", 0x2217}, {"radic", 0x221A}, {"prop", 0x221D}, {"infin", 0x221E}, {"ang", 0x2220},
    {"and", 0x2227}, {"or", 0x2228}, {"cap", 0x2229}, {"cup", 0x222A}, {"int", 0x222B}, {"there4", 0x2234},
    {"sim", 0x223C}, {"cong", 0x2245}, {"asymp", 0x2248}, {"ne", 0x2260}, {"equiv", 0x2261}, {"le", 0x2264},
    {"ge", 0x2265}, {"sub", 0x2282}, {"sup", 0x2283}, {"nsub", 0x2284}, {"sube", 0x2286}, {"supe", 0x2287},
    {"oplus", 0x2295}, {"otimes", 0x2297}, {"perp", 0x22A5}, {"sdot", 0x22C5}, {"lceil", 0x2308},
    {"rceil", 0x2309}, {"lfloor", 0x230A}, {"rfloor", 0x230B}, {"lang", 0x2329}, {"rang", 0x232A},
    {"loz", 0x25CA}, {"spades", 0x2660}, {"clubs", 0x2663}, {"hearts", 0x2665}, {"diams", 0x2666},
    {"quot", 0x0022}, {"amp", 0x0026}, {"lt", 0x003C}, {"gt", 0x003E}, {"OElig", 0x0152}, {"oelig", 0x0153},
    {"Scaron", 0x0160}, {"scaron", 0x0161}, {"Yuml", 0x0178}, {"circ", 0x02C6}, {"tilde", 0x02DC},
    {"ensp", 0x2002}, {"emsp", 0x2003}, {"thinsp", 0x2009}, {"zwnj", 0x200C}, {"zwj", 0x200D}, {"lrm", 0x200E},
    {"rlm", 0x200F}, {"ndash", 0x2013}, {"mdash", 0x2014}, {"lsquo", 0x2018}, {"rsquo", 0x2019},
    {"sbquo", 0x201A}, {"ldquo", 0x201C}, {"rdquo", 0x201D}, {"bdquo", 0x201E}, {"dagger", 0x2020},
    {"Dagger", 0x2021}, {"permil", 0x2030}, {"lsaquo", 0x2039}, {"rsaquo", 0x203A}, {"euro", 0x20AC},
    {"apos", 0x0027},
};

// The references whose character the page's code page can hold; a name is
// case-sensitive ("Eacute" is not "eacute").
const QHash<QString, QChar> &namedEntities() {
    static const QHash<QString, QChar> map = [] {
        QHash<QString, QChar> m;
        for (const auto &e : kEntities) {
            const QChar c(e.ch);
            // The text goes back to the site as Windows-1252: a character
            // it has no byte for would come back as "?".
            if (platform::FromAnsi(platform::ToAnsi(QString(c))) == QString(c))
                m.insert(QString::fromLatin1(e.name), c);
        }
        return m;
    }();
    return map;
}

// The character of one reference body (between "&" and ";"); null when unknown.
QString entityText(const QString &body) {
    if (body.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        const bool hex = body.size() > 1 && (body[1] == QLatin1Char('x') || body[1] == QLatin1Char('X'));
        const uint code = hex ? body.mid(2).toUInt(&ok, 16) : body.mid(1).toUInt(&ok, 10);
        if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return QString();
        if (code >= 0x80 && code <= 0x9F)  // pages mean the Windows-1252 character
            return platform::FromAnsi(QByteArray(1, char(code)));
        const char32_t c = code;
        return QString::fromUcs4(&c, 1);
    }
    auto it = namedEntities().constFind(body);
    return it == namedEntities().constEnd() ? QString() : QString(it.value());
}

}  // namespace

clsConnect::clsConnect() : m_oPreference(std::make_unique<clsPreference>()) { m_oPreference->GetSettings(); }

clsConnect::~clsConnect() = default;

// ---- text helpers -------------------------------------------------------------------

QString clsConnect::DecodeEntities(const QString &text) {
    int amp = int(text.indexOf(QLatin1Char('&')));
    if (amp < 0)
        return text;
    QString out;
    out.reserve(text.size());
    int from = 0;
    while (amp >= 0) {
        const int semi = int(text.indexOf(QLatin1Char(';'), amp + 1));
        if (semi < 0)
            break;
        // A bare "&" (text, not a reference) leaves the ones after it to decode.
        const QString decoded = semi - amp > 10 ? QString() : entityText(text.mid(amp + 1, semi - amp - 1));
        if (decoded.isNull()) {
            amp = int(text.indexOf(QLatin1Char('&'), amp + 1));
            continue;
        }
        out += QStringView(text).mid(from, amp - from);
        out += decoded;
        from = semi + 1;
        amp = int(text.indexOf(QLatin1Char('&'), from));
    }
    out += QStringView(text).mid(from);
    return out;
}

// Appends a name or value for a form body (see EncodeFormText).
static void appendFormText(QString &out, const QString &text) {
    static const char kHex[] = "0123456789ABCDEF";
    auto appendByte = [&out](uchar b) {
        if (b == ' ') {
            out += QLatin1String("%20");
        } else if (b < 0x20 || b >= 0x7F || b == '&' || b == '=' || b == '+' || b == '%' || b == '#' || b == ';') {
            out += QLatin1Char('%');
            out += QLatin1Char(kHex[b >> 4]);
            out += QLatin1Char(kHex[b & 0xF]);
        } else {
            out += QLatin1Char(char(b));
        }
    };
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            appendByte(uchar(u));
        } else {
            // The character's Windows-1252 byte.
            const QByteArray bytes = platform::ToAnsi(QString(c));
            for (const char b : bytes)
                appendByte(uchar(b));
        }
    }
}

QString clsConnect::EncodeFormText(const QString &text) {
    QString out;
    out.reserve(text.size() + 8);
    appendFormText(out, text);
    return out;
}

// Whether an end marker adds nothing to a cell's text; the few markers a
// reader uses are remembered.
static bool plainEnd(const QString &cellEnd) {
    struct Known {
        QString end;
        bool plain = false;
    };
    static Known s_known[4];
    static int s_next = 0;
    for (const Known &k : s_known)
        if (!k.end.isNull() && k.end == cellEnd)
            return k.plain;
    Known &k = s_known[s_next];
    s_next = (s_next + 1) % 4;
    k.end = cellEnd.isNull() ? QString(QLatin1String("")) : cellEnd;
    k.plain = StripHTML(QStringLiteral("x") + cellEnd) == QLatin1String("x");
    return k.plain;
}

// Most cells are a few opening tags and plain text (a keyword after its
// input, an amount inside a nested table): the text is then what StripHTML
// would give, without its passes. Anything else, a tag that StripHTML turns
// into line breaks, or an end marker that adds text, takes the full way.
static bool plainCell(QStringView cell, const QString &cellEnd, QStringView *text) {
    if (!plainEnd(cellEnd))
        return false;
    int pos = 0;
    const int n = int(cell.size());
    while (pos < n && cell.at(pos) == QLatin1Char('<')) {
        const int gt = int(cell.indexOf(QLatin1Char('>'), pos + 1));
        if (gt < 0)
            return false;
        int nameEnd = pos + 1;
        while (nameEnd < gt && cell.at(nameEnd) != QLatin1Char(' '))
            ++nameEnd;
        const QStringView name = cell.mid(pos + 1, nameEnd - pos - 1);
        for (const char *breaking : {"P", "BR", "HR", "DL"})
            if (name.compare(QLatin1String(breaking), Qt::CaseInsensitive) == 0)
                return false;
        if (name.startsWith(QLatin1String("/H"), Qt::CaseInsensitive))
            return false;
        pos = gt + 1;
    }
    if (pos == 0)
        return false;  // text before the first tag
    for (int i = pos; i < n; ++i) {
        const char16_t c = cell.at(i).unicode();
        if (c == u'<' || c == u'\r' || c == u'\n' || c == u'\t' || c == u'&' || c == 0x00A0)
            return false;
    }
    *text = cell.mid(pos);
    return true;
}

QString clsConnect::CellText(QStringView cell, const QString &cellEnd) {
    QStringView text;
    if (plainCell(cell, cellEnd, &text))
        return text.toString();
    return StripHTML(cell.toString() + cellEnd);
}

QString clsConnect::CellValue(QStringView cell, const QString &cellEnd) {
    QStringView plain;
    if (plainCell(cell, cellEnd, &plain)) {
        qsizetype a = 0, b = plain.size();
        while (a < b && plain.at(a) == QLatin1Char(' '))
            ++a;
        while (b > a && plain.at(b - 1) == QLatin1Char(' '))
            --b;
        return plain.mid(a, b - a).toString();
    }
    QString text = DecodeEntities(StripHTML(cell.toString() + cellEnd));
    text.replace(QChar(0x00A0), QLatin1Char(' '));
    return vb::Trim(RemoveLineBreaks(text));
}

// ---- links and post strings ---------------------------------------------------------

QString clsConnect::FormatURL(const QString &sURL, const QString &sHttpCtlURL) {
    try {
        if (sURL.isEmpty())
            return QString();
        const QUrl link(sURL, QUrl::TolerantMode);
        if (!link.scheme().isEmpty())
            return sURL;  // already absolute
        QUrl base(sHttpCtlURL, QUrl::TolerantMode);
        if (base.scheme().isEmpty())
            base = QUrl(QStringLiteral("https://") + sHttpCtlURL, QUrl::TolerantMode);
        if (!base.isValid() || base.host().isEmpty())
            return sURL;
        return base.resolved(link).toString(QUrl::FullyEncoded);
    } catch (const std::exception &e) {
        WriteErrorLog(kFormatURLLabel, e);
        return QString();
    }
}

QString clsConnect::CreatePostStringFromCollection(const FieldCollection &colField, const QString &sFieldName1,
                                                   const QString &sFieldValue1, const QString &sFieldname2,
                                                   const QString &sFieldValue2) {
    QString out;
    try {
        auto append = [&out](const QString &name, const QString &value) {
            out += QLatin1Char('&');
            appendFormText(out, name);
            out += QLatin1Char('=');
            appendFormText(out, value);
        };
        for (const clsFieldPtr &field : colField) {
            if (!field)
                continue;
            QString value = field->sFieldValue;
            if (!sFieldName1.isEmpty() && sFieldName1 == field->sFieldName)
                value = sFieldValue1;
            if (!sFieldname2.isEmpty() && sFieldname2 == field->sFieldName)
                value = sFieldValue2;
            append(field->sFieldName, value);
            if (!field->sFieldname2.isEmpty())
                append(field->sFieldname2, field->sFieldValue2);
            if (!field->sBidName.isEmpty())
                append(field->sBidName, field->sBidValue);
            if (!field->sBidName2.isEmpty())
                append(field->sBidName2, field->sBidValue2);
        }
        if (out.startsWith(QLatin1Char('&')))
            out.remove(0, 1);
        if (out.endsWith(QLatin1Char('&')))
            out.chop(1);
        return out;
    } catch (const std::exception &e) {
        WriteErrorLog(kPostStringLabel, e);
        return out;
    }
}

// ---- forms ---------------------------------------------------------------------------

FieldCollectionPtr clsConnect::GetLoginFormFields(const QString &sLoginContent, QString &sActionURL) {
    FieldCollectionPtr fields;
    try {
        const int p1 = int(sLoginContent.indexOf(m_sLoginFormStart));
        const int p2 = p1 < 0 ? -1 : int(sLoginContent.indexOf(m_sLoginFormEnd, p1));
        if (p1 < 0 || p2 <= p1)
            return fields;
        QString form = sLoginContent.mid(p1, p2 - p1);
        fields = std::make_shared<FieldCollection>();
        sActionURL = FindActionURL(form);
        while (!form.isEmpty() && form.contains(m_sFieldStart)) {
            const QString section = FindSection(form, m_sFieldStart, m_sFieldEnd);
            if (section.isEmpty())
                break;
            const QString name = FindName(section);
            if (name.isEmpty())
                break;
            auto field = std::make_shared<clsField>();
            field->sFieldName = name;
            field->sFieldValue = FindValue(section);
            fields->Add(field);
        }
        return fields;
    } catch (const std::exception &e) {
        WriteErrorLog(kLoginFormLabel, e);
        return fields;
    }
}

void clsConnect::SetHttpProperties(platform::HttpControl &HttpAutoBid, const QString &sURL) {
    HttpAutoBid.setSynchronous(true);
    HttpAutoBid.setURL(sURL);
    HttpAutoBid.setCache(m_bCache);
    HttpAutoBid.setSecurity(int(m_lSecurity));
    HttpAutoBid.setTimeout(int(m_lTimeOut));
    // A proxy (and its credentials) applies only while the settings select
    // it; otherwise the control goes direct, whatever an earlier run set.
    const clsPreference &pref = *m_oPreference;
    if (!pref.Proxy().isEmpty() && pref.AccessType() == 2) {
        HttpAutoBid.setProxy(vb::Trim(pref.Proxy()) + QLatin1Char(':') + vb::Trim(pref.Port()));
        const bool credentials = !pref.HTTPUserName().isEmpty() && !pref.HTTPPassword().isEmpty();
        HttpAutoBid.setProxyPassword(credentials ? pref.HTTPPassword() : QString());
        HttpAutoBid.setProxyUsername(credentials ? pref.HTTPUserName() : QString());
    } else {
        HttpAutoBid.setProxy(QString());
        HttpAutoBid.setProxyPassword(QString());
        HttpAutoBid.setProxyUsername(QString());
    }
}

QString clsConnect::GetErrorMessage(long lNumber, const QString &sDescription) {
    try {
        QString text;
        switch (lNumber) {
        case 9060: text = QStringLiteral("Connection Timed Out."); break;
        case 12007: text = QStringLiteral("Server is down."); break;
        case 12017: text = QStringLiteral("Transfer Aborted."); break;
        default: return QStringLiteral("Error #") + QString::number(lNumber) + QLatin1Char(' ') + sDescription;
        }
        return QStringLiteral("Error: ") + text;
    } catch (const std::exception &e) {
        WriteErrorLog(kErrorMessageLabel, e);
        return QString();
    }
}

// ---- cutting primitives --------------------------------------------------------------

// indexOf for the short markers of page cutting. Markers are usually
// found a few dozen characters on, where a plain scan beats the general
// search and its set-up. Where the processor allows, eight positions are
// tested at once on the marker's first and last characters (pages are
// dense with "<" and ">", rarely with both a marker's length apart).
static qsizetype findMarker(QStringView text, QStringView marker, qsizetype from) {
    const qsizetype m = marker.size();
    if (m == 0)
        return from <= text.size() ? from : -1;
    const char16_t *d = text.utf16();
    const char16_t *k = marker.utf16();
    const qsizetype last = text.size() - m;
    qsizetype p = from;
#if defined(__SSE2__)
    {
        const __m128i first = _mm_set1_epi16(short(k[0]));
        const __m128i lastChar = _mm_set1_epi16(short(k[m - 1]));
        // Every load stays inside the text: p + 7 <= last.
        for (; p + 7 <= last; p += 8) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(d + p));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(d + p + m - 1));
            unsigned mask =
                unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi16(a, first), _mm_cmpeq_epi16(b, lastChar))));
            while (mask != 0) {
                const int bit = __builtin_ctz(mask);  // two bits per position, the first one even
                const qsizetype q = p + bit / 2;
                qsizetype i = 1;
                while (i < m - 1 && d[q + i] == k[i])
                    ++i;
                if (i >= m - 1)
                    return q;
                mask &= ~(3u << bit);
            }
        }
    }
#endif
    for (; p <= last; ++p) {
        if (d[p] != k[0])
            continue;
        qsizetype i = 1;
        while (i < m && d[p + i] == k[i])
            ++i;
        if (i == m)
            return p;
    }
    return -1;
}

// The first section from sSTART up to sEnd: [from, to) trimmed of blanks,
// and `next`, where the text after sEnd starts. False when either is missing.
static bool sectionBounds(QStringView text, QStringView sSTART, QStringView sEnd, qsizetype &from, qsizetype &to,
                          qsizetype &next) {
    if (text.isEmpty())
        return false;
    const qsizetype p1 = findMarker(text, sSTART, 0);
    if (p1 < 0)
        return false;
    const qsizetype p2 = findMarker(text, sEnd, p1 + 1);
    if (p2 < 0)
        return false;
    from = p1;
    to = p2;
    while (from < to && text.at(from) == QLatin1Char(' '))
        ++from;
    while (to > from && text.at(to - 1) == QLatin1Char(' '))
        --to;
    next = p2 + sEnd.size();
    return true;
}

QString clsConnect::FindSection(QString &sResult, const QString &sSTART, const QString &sEnd) {
    qsizetype from = 0, to = 0, next = 0;
    if (!sectionBounds(sResult, sSTART, sEnd, from, to, next))
        return QString();
    const QString section = sResult.mid(from, to - from);
    // Removing from the front of an unshared string moves its start instead
    // of copying the rest, so walking a page stays linear.
    sResult.remove(0, next);
    return section;
}

QStringView clsConnect::FindSection(QStringView &sResult, QStringView sSTART, QStringView sEnd) {
    qsizetype from = 0, to = 0, next = 0;
    if (!sectionBounds(sResult, sSTART, sEnd, from, to, next))
        return QStringView();
    const QStringView section = sResult.mid(from, to - from);
    sResult = sResult.mid(next);
    return section;
}

QString clsConnect::FindActionURL(QString &sResult) {
    QStringView rest(sResult);
    const QString url = FindActionURL(rest);
    // Consume what the view moved past.
    if (rest.size() != sResult.size())
        sResult.remove(0, sResult.size() - rest.size());
    return url;
}

QString clsConnect::FindActionURL(QStringView &sResult) {
    try {
        const qsizetype p = findMarker(sResult, m_sActionStart, 0);
        if (p < 0)
            return QString();
        qsizetype skip = p + m_sActionStart.size();
        while (skip < sResult.size() && sResult[skip] == QLatin1Char(' '))
            ++skip;
        sResult = sResult.mid(skip);
        QStringView closing = m_sActionEnd;
        if (sResult.startsWith(QLatin1Char('"'))) {
            sResult = sResult.mid(1);
            closing = u"\"";
        }
        const int e = earlierFound(int(findMarker(sResult, closing, 0)), int(sResult.indexOf(QLatin1Char(' '))));
        if (e < 0)
            return QString();
        const QString url = vb::Trim(sResult.left(e).toString());
        sResult = sResult.mid(e);
        return DecodeEntities(url);
    } catch (const std::exception &e) {
        WriteErrorLog(kActionURLLabel, e);
        return QString();
    }
}

QString clsConnect::findAttribute(QStringView sSection, QStringView marker, bool fallBackToTagEnd) {
    const int p = int(findMarker(sSection, marker, 0));
    if (p < 0)
        return QString();
    int s = p + int(marker.size());
    QChar delimiter = QLatin1Char(' ');
    int firstNonBlank = s;
    while (firstNonBlank < sSection.size() && sSection[firstNonBlank] == QLatin1Char(' '))
        ++firstNonBlank;
    if (firstNonBlank < sSection.size() && sSection[firstNonBlank] == QLatin1Char('"')) {
        ++s;  // the quote is expected right after the marker
        delimiter = QLatin1Char('"');
    }
    int d = int(sSection.indexOf(delimiter, s));
    if (d < 0) {
        if (!fallBackToTagEnd)
            return DecodeEntities(sSection.mid(s).toString());
        d = int(sSection.indexOf(QLatin1Char('>'), s));
        if (d < 0)
            return QString();
    }
    return DecodeEntities(sSection.mid(s, d - s).toString());
}

QString clsConnect::FindName(const QString &sSection) { return FindName(QStringView(sSection)); }

QString clsConnect::FindName(QStringView sSection) {
    try {
        return findAttribute(sSection, m_sNameStart, false);
    } catch (const std::exception &e) {
        WriteErrorLog(kFindNameLabel, e);
        return QString();
    }
}

QString clsConnect::FindValue(const QString &sSection) { return FindValue(QStringView(sSection)); }

QString clsConnect::FindValue(QStringView sSection) {
    try {
        return findAttribute(sSection, m_sValueStart, false);
    } catch (const std::exception &e) {
        WriteErrorLog(kFindValueLabel, e);
        return QString();
    }
}

QString clsConnect::FindhrefURL(const QString &sSection) {
    try {
        return findAttribute(sSection, QString::fromLatin1(kHrefMarker), true);
    } catch (const std::exception &e) {
        WriteErrorLog(kFindhrefLabel, e);
        return QString();
    }
}

QString clsConnect::FindAfterMarker(QStringView sSection, QStringView marker) {
    return findAttribute(sSection, marker, false);
}

// ---- keyword collections ---------------------------------------------------------------

void clsConnect::EditKeywordFields(const KeywordCollection &colKeyword, FieldCollection &colField) {
    for (const clsKeywordPtr &keyword : colKeyword) {
        if (!keyword)
            continue;
        try {
            colField.Item(keyword->Keyword())->sBidValue = keyword->NewBid();
        } catch (const std::exception &e) {
            WriteErrorLog(QString::fromLatin1(kEditKeywordLabel) + vb::Describe(e) + QStringLiteral("\r\nKeyword: ") +
                          keyword->Keyword() + QStringLiteral(" NewBid: ") + keyword->NewBid());
        }
    }
}

void clsConnect::AddKeywordValues(const clsKeywordPtr &oKeyword, KeywordCollection &m_colKeywords,
                                  const QString &sEngine) {
    const QString key = oKeyword->Keyword();
    if (!m_colKeywords.Exists(key)) {
        m_colKeywords.Add(oKeyword, key);
        return;
    }
    const clsKeywordPtr &existing = m_colKeywords.Item(key);
    existing->setCurBid(oKeyword->CurBid());
    existing->setCurPos(oKeyword->CurPos());
    existing->setFirstBid(oKeyword->FirstBid());
    existing->setNewBid(oKeyword->NewBid());
    if (sEngine == QLatin1String(kEngineFindWhat)) {
        existing->setSecondBid(oKeyword->SecondBid());
        existing->setThirdBid(oKeyword->ThirdBid());
        existing->setFourthBid(oKeyword->FourthBid());
        existing->setFifthBid(oKeyword->FifthBid());
    }
}
