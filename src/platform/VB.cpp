#include "platform/VB.h"

#include <QLocale>
#include <cmath>
#include <limits>

namespace vb {

VBError::VBError(int number, const QString &description)
    : std::runtime_error(description.toStdString()), m_number(number), m_description(description) {}

QString ErrorText(int number) {
    switch (number) {
    case errInvalidCall: return QStringLiteral("Invalid procedure call or argument");
    case errOverflow: return QStringLiteral("Overflow");
    case errSubscript: return QStringLiteral("Subscript out of range");
    case errTypeMismatch: return QStringLiteral("Type mismatch");
    case errFileNotFound: return QStringLiteral("File not found");
    case errPermissionDenied: return QStringLiteral("Permission denied");
    case errPathNotFound: return QStringLiteral("Path not found");
    case errDuplicateKey:
        return QStringLiteral("This key is already associated with an element of this collection");
    default: return QStringLiteral("Application-defined or object-defined error");
    }
}

void Raise(int number, const QString &description) {
    throw VBError(number, description.isEmpty() ? ErrorText(number) : description);
}

QString Describe(const std::exception &e) {
    if (const auto *vbe = dynamic_cast<const VBError *>(&e))
        return vbe->Description();
    return QString::fromLocal8Bit(e.what());
}

// ---- Text ----------------------------------------------------------------

int InStr(int start, const QString &text, const QString &find, bool ignoreCase) {
    if (start < 1)
        Raise(errInvalidCall);
    if (start > text.size() + 1)
        return 0;
    if (find.isEmpty())
        return start;
    const int pos = int(text.indexOf(find, start - 1, ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive));
    return pos < 0 ? 0 : pos + 1;
}

int InStrRev(const QString &text, const QString &find, bool ignoreCase) {
    if (find.isEmpty())
        return int(text.size());
    const int pos = int(text.lastIndexOf(find, -1, ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive));
    return pos < 0 ? 0 : pos + 1;
}

QString Mid(const QString &text, int start, int length) {
    if (start < 1)
        Raise(errInvalidCall);
    if (start > text.size())
        return QString();
    return length < 0 ? text.mid(start - 1) : text.mid(start - 1, length);
}

QString Left(const QString &text, int length) {
    if (length < 0)
        Raise(errInvalidCall);
    return text.left(length);
}

QString Right(const QString &text, int length) {
    if (length < 0)
        Raise(errInvalidCall);
    return text.right(length);
}

QString LTrim(const QString &text) {
    int i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    return text.mid(i);
}

QString RTrim(const QString &text) {
    int n = int(text.size());
    while (n > 0 && text.at(n - 1) == QLatin1Char(' '))
        --n;
    return text.left(n);
}

QString Trim(const QString &text) { return LTrim(RTrim(text)); }
QString UCase(const QString &text) { return text.toUpper(); }
QString LCase(const QString &text) { return text.toLower(); }
QString Space(int n) { return QString(qMax(0, n), QLatin1Char(' ')); }
QString String(int n, QChar c) { return QString(qMax(0, n), c); }

QString Replace(const QString &text, const QString &find, const QString &with, bool ignoreCase) {
    if (find.isEmpty())
        return text;
    QString out = text;
    return out.replace(find, with, ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive);
}

QStringList Split(const QString &text, const QString &delimiter) {
    if (text.isEmpty())
        return {};
    if (delimiter.isEmpty())
        return {text};
    return text.split(delimiter);
}

QChar Chr(int code) {
    // Windows-1252 code points 0x80-0x9F differ from Latin-1; the rest match.
    static const ushort high[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    if (code < 0 || code > 255)
        Raise(errInvalidCall);
    if (code >= 0x80 && code <= 0x9F)
        return QChar(high[code - 0x80]);
    return QChar(ushort(code));
}

int Asc(QChar c) {
    for (int i = 0x80; i <= 0x9F; ++i)
        if (Chr(i) == c)
            return i;
    return c.unicode() < 256 ? c.unicode() : '?';
}

// ---- Numbers -------------------------------------------------------------

double Val(const QString &text) {
    // Leading numeric part; blanks, tabs and line feeds are skipped everywhere.
    QString s;
    for (QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            s.append(c);
    int i = 0;
    QString num;
    if (i < s.size() && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+')))
        num.append(s[i++]);
    bool digits = false, dot = false;
    while (i < s.size()) {
        const QChar c = s[i];
        if (c.isDigit() && c.unicode() < 128) {
            digits = true;
            num.append(c);
        } else if (c == QLatin1Char('.') && !dot) {
            dot = true;
            num.append(c);
        } else {
            break;
        }
        ++i;
    }
    if (!digits)
        return 0.0;
    // Exponent part.
    if (i < s.size() && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
        int j = i + 1;
        QString ex = QStringLiteral("e");
        if (j < s.size() && (s[j] == QLatin1Char('-') || s[j] == QLatin1Char('+')))
            ex.append(s[j++]);
        bool exDigits = false;
        while (j < s.size() && s[j].isDigit() && s[j].unicode() < 128) {
            ex.append(s[j++]);
            exDigits = true;
        }
        if (exDigits)
            num.append(ex);
    }
    return QLocale::c().toDouble(num);
}

static bool parseNumber(const QString &text, double *out) {
    QString s = text.trimmed();
    if (s.isEmpty())
        return false;
    s.remove(QLatin1Char(','));
    if (s.startsWith(QLatin1Char('$')))
        s = s.mid(1).trimmed();
    else if (s.startsWith(QLatin1String("-$")))
        s = QLatin1Char('-') + s.mid(2).trimmed();
    if (s.isEmpty())
        return false;
    bool ok = false;
    const double d = QLocale::c().toDouble(s, &ok);
    if (!ok || !std::isfinite(d))
        return false;
    if (out)
        *out = d;
    return true;
}

bool IsNumeric(const QString &text) { return parseNumber(text, nullptr); }

bool CBool(const QString &text) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    double d = 0;
    if (!parseNumber(t, &d))
        Raise(errTypeMismatch);
    return d != 0.0;
}

static double bankersRound(double v) {
    const double r = std::nearbyint(v);  // default rounding mode is to-nearest-even
    return r;
}

int CInt(double value) {
    if (!std::isfinite(value))
        Raise(errOverflow);
    const double r = bankersRound(value);
    if (r < -32768.0 || r > 32767.0)
        Raise(errOverflow);
    return int(r);
}

int CInt(const QString &text) {
    double d = 0;
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return -1;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return 0;
    if (!parseNumber(t, &d))
        Raise(errTypeMismatch);
    return CInt(d);
}

long CLng(double value) {
    if (!std::isfinite(value))
        Raise(errOverflow);
    const double r = bankersRound(value);
    if (r < -2147483648.0 || r > 2147483647.0)
        Raise(errOverflow);
    return long(r);
}

long CLng(const QString &text) {
    double d = 0;
    if (!parseNumber(text, &d))
        Raise(errTypeMismatch);
    return CLng(d);
}

double CDbl(const QString &text) {
    double d = 0;
    if (!parseNumber(text, &d))
        Raise(errTypeMismatch);
    return d;
}

float CSng(const QString &text) { return static_cast<float>(CDbl(text)); }

QString SingleText(float value) {
    QString s = QLocale::c().toString(double(value), 'g', 7);
    if (s.contains(QLatin1Char('e'))) {
        s = QLocale::c().toString(double(value), 'f', 7);
        if (s.contains(QLatin1Char('.'))) {
            while (s.endsWith(QLatin1Char('0')))
                s.chop(1);
            if (s.endsWith(QLatin1Char('.')))
                s.chop(1);
        }
    }
    return s;
}

QString BoolText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

double Round(double value, int digits) {
    if (digits < 0)
        Raise(errInvalidCall);
    const double scale = std::pow(10.0, digits);
    return std::nearbyint(value * scale) / scale;
}

Currency Currency::fromDouble(double d) {
    const double s = std::nearbyint(d * 10000.0);
    if (!std::isfinite(s) || std::fabs(s) > 9.2e18)
        Raise(errOverflow);
    return fromScaled(std::int64_t(s));
}

bool ParseAmount(const QString &text, Currency *out) {
    QString s = text.trimmed();
    bool negative = false;
    if (s.startsWith(QLatin1Char('-'))) {
        negative = true;
        s = s.mid(1).trimmed();
    }
    if (s.startsWith(QLatin1Char('$')))
        s = s.mid(1).trimmed();
    if (!negative && s.startsWith(QLatin1Char('-'))) {
        negative = true;
        s = s.mid(1);
    }
    if (s.isEmpty())
        return false;
    // Accumulated in 1/10000 as an unsigned magnitude; anything beyond the
    // currency's range is not an amount.
    const std::uint64_t limit = negative ? std::uint64_t(std::numeric_limits<std::int64_t>::max()) + 1
                                         : std::uint64_t(std::numeric_limits<std::int64_t>::max());
    std::uint64_t whole = 0;
    std::uint64_t frac = 0;
    int fracDigits = 0;
    bool anyDigit = false, dot = false;
    bool roundUp = false;
    for (int i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c.unicode() >= '0' && c.unicode() <= '9') {
            anyDigit = true;
            const unsigned v = c.unicode() - '0';
            if (!dot) {
                if (whole > (limit / 10000 - v) / 10)
                    return false;
                whole = whole * 10 + v;
            } else if (fracDigits < 4) {
                frac = frac * 10 + v;
                ++fracDigits;
            } else if (fracDigits == 4) {
                roundUp = v >= 5;
                ++fracDigits;
            }
        } else if (c == QLatin1Char(',') && !dot) {
            continue;
        } else if (c == QLatin1Char('.') && !dot) {
            dot = true;
        } else {
            return false;
        }
    }
    if (!anyDigit)
        return false;
    while (fracDigits < 4) {
        frac *= 10;
        ++fracDigits;
    }
    // whole * 10000 fits: whole <= limit / 10000.
    const std::uint64_t scaled = whole * 10000 + frac + (roundUp ? 1 : 0);
    if (scaled > limit)
        return false;
    if (out)
        out->scaled = negative ? std::int64_t(0 - scaled) : std::int64_t(scaled);
    return true;
}

QString Format00(double value) {
    if (!std::isfinite(value))
        Raise(errOverflow);
    // Round half away from zero on the decimal value the number stands for.
    const double scaled = std::round(value * 100.0 + (value >= 0 ? 1e-9 : -1e-9));
    if (std::fabs(scaled) >= 9.0e15) {
        // Beyond whole cents in a 64-bit count: every digit of the number as it is.
        return QString::number(value, 'f', 2);
    }
    const long long cents = (long long)scaled;
    const bool neg = cents < 0;
    const long long a = neg ? -cents : cents;
    return QStringLiteral("%1%2.%3").arg(neg ? QStringLiteral("-") : QString()).arg(a / 100).arg(a % 100, 2, 10, QLatin1Char('0'));
}

QString Format00(Currency value) {
    const bool neg = value.scaled < 0;
    // The magnitude as unsigned: the most negative amount has no positive twin.
    const std::uint64_t s = neg ? 0 - std::uint64_t(value.scaled) : std::uint64_t(value.scaled);
    const std::uint64_t cents = s / 100 + (s % 100 >= 50 ? 1 : 0);
    // Built directly: page readers format an amount for every row.
    QString out;
    out.reserve(24);
    if (neg && cents)
        out += QLatin1Char('-');
    out += QString::number(cents / 100);
    out += QLatin1Char('.');
    out += QLatin1Char(char('0' + int(cents % 100) / 10));
    out += QLatin1Char(char('0' + int(cents % 10)));
    return out;
}

QString Format2Digits(int value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); }

// ---- Dates ---------------------------------------------------------------

QString FormatGeneralDate(const QDateTime &dt) {
    const QDate d = dt.date();
    const QTime t = dt.time();
    const QString date = QStringLiteral("%1/%2/%3").arg(d.month()).arg(d.day()).arg(d.year());
    const int h12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    const QString time = QStringLiteral("%1:%2:%3 %4")
                             .arg(h12)
                             .arg(t.minute(), 2, 10, QLatin1Char('0'))
                             .arg(t.second(), 2, 10, QLatin1Char('0'))
                             .arg(t.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
    if (d == QDate(1899, 12, 30))
        return time;
    if (t == QTime(0, 0, 0))
        return date;
    return date + QLatin1Char(' ') + time;
}

namespace {
// Reads 1 to maxDigits digits at i; -1 when there is none.
int readNumber(const QString &s, int &i, int maxDigits) {
    int value = 0, digits = 0;
    while (i < s.size() && digits < maxDigits && s.at(i) >= QLatin1Char('0') && s.at(i) <= QLatin1Char('9')) {
        value = value * 10 + (s.at(i).unicode() - '0');
        ++i;
        ++digits;
    }
    return digits > 0 ? value : -1;
}

bool expect(const QString &s, int &i, char c) {
    if (i >= s.size() || s.at(i) != QLatin1Char(c))
        return false;
    ++i;
    return true;
}

// The general form the program writes ("M/D/YYYY h:mm:ss AM") without the
// locale's parser, which costs more than reading a whole settings file.
// Anything else, or a moment the local clock skips, is left to the parser.
bool parseGeneralForm(const QString &s, QDateTime *out) {
    int i = 0;
    const int month = readNumber(s, i, 2);
    if (month < 0 || !expect(s, i, '/'))
        return false;
    const int day = readNumber(s, i, 2);
    if (day < 0 || !expect(s, i, '/'))
        return false;
    const int yearStart = i;
    const int year = readNumber(s, i, 4);
    if (year < 0 || i - yearStart != 4 || !expect(s, i, ' '))
        return false;
    const int hour = readNumber(s, i, 2);
    if (hour < 1 || hour > 12 || !expect(s, i, ':'))
        return false;
    const int minuteStart = i;
    const int minute = readNumber(s, i, 2);
    if (minute < 0 || i - minuteStart != 2 || !expect(s, i, ':'))
        return false;
    const int secondStart = i;
    const int second = readNumber(s, i, 2);
    if (second < 0 || i - secondStart != 2 || !expect(s, i, ' '))
        return false;
    if (i + 2 != s.size() || s.at(i + 1) != QLatin1Char('M'))
        return false;
    const QChar half = s.at(i);
    if (half != QLatin1Char('A') && half != QLatin1Char('P'))
        return false;
    const QDate date(year, month, day);
    const QTime time((hour % 12) + (half == QLatin1Char('P') ? 12 : 0), minute, second);
    if (!date.isValid() || !time.isValid())
        return false;
    const QDateTime dt(date, time);
    if (!dt.isValid() || dt.time() != time)
        return false;
    if (out)
        *out = dt;
    return true;
}
}  // namespace

bool ParseDate(const QString &text, QDateTime *out) {
    const QString s = text.trimmed();
    if (s.isEmpty())
        return false;
    if (parseGeneralForm(s, out))
        return true;
    static const char *const formats[] = {
        "M/d/yyyy h:mm:ss AP", "M/d/yyyy h:mm AP", "M/d/yyyy H:mm:ss", "M/d/yyyy H:mm", "M/d/yyyy",
        "yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd H:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-dd", "yyyy/M/d H:mm:ss",
        "yyyy/M/d",
    };
    for (const char *f : formats) {
        const QDateTime dt = QLocale::c().toDateTime(s, QString::fromLatin1(f));
        if (dt.isValid()) {
            if (out)
                *out = dt;
            return true;
        }
    }
    static const char *const timeFormats[] = {"h:mm:ss AP", "h:mm AP", "H:mm:ss", "H:mm"};
    for (const char *f : timeFormats) {
        const QTime t = QLocale::c().toTime(s, QString::fromLatin1(f));
        if (t.isValid()) {
            if (out)
                *out = QDateTime(QDate(1899, 12, 30), t);
            return true;
        }
    }
    return false;
}

bool IsDate(const QString &text) { return ParseDate(text, nullptr); }

QDateTime CDate(const QString &text) {
    QDateTime dt;
    if (!ParseDate(text, &dt))
        Raise(errTypeMismatch);
    return dt;
}

long long DateDiff(const QString &interval, const QDateTime &d1, const QDateTime &d2) {
    const QString iv = interval.toLower();
    const QDate a = d1.date(), b = d2.date();
    if (iv == QLatin1String("yyyy"))
        return b.year() - a.year();
    if (iv == QLatin1String("m"))
        return (b.year() - a.year()) * 12LL + (b.month() - a.month());
    if (iv == QLatin1String("d") || iv == QLatin1String("y"))
        return a.daysTo(b);
    // Boundaries crossed: whole units since a fixed origin, ignoring smaller parts.
    const long long days = QDate(1899, 12, 30).daysTo(a);
    const long long daysB = QDate(1899, 12, 30).daysTo(b);
    const QTime ta = d1.time(), tb = d2.time();
    if (iv == QLatin1String("h"))
        return (daysB * 24 + tb.hour()) - (days * 24 + ta.hour());
    if (iv == QLatin1String("n"))
        return (daysB * 1440 + tb.hour() * 60 + tb.minute()) - (days * 1440 + ta.hour() * 60 + ta.minute());
    if (iv == QLatin1String("s"))
        return (daysB * 86400 + tb.msecsSinceStartOfDay() / 1000) - (days * 86400 + ta.msecsSinceStartOfDay() / 1000);
    Raise(errInvalidCall);
}

QDateTime DateAdd(const QString &interval, long long number, const QDateTime &d) {
    const QString iv = interval.toLower();
    if (iv == QLatin1String("yyyy"))
        return d.addYears(int(number));
    if (iv == QLatin1String("m"))
        return d.addMonths(int(number));
    if (iv == QLatin1String("d") || iv == QLatin1String("y"))
        return d.addDays(number);
    if (iv == QLatin1String("h"))
        return d.addSecs(number * 3600);
    if (iv == QLatin1String("n"))
        return d.addSecs(number * 60);
    if (iv == QLatin1String("s"))
        return d.addSecs(number);
    Raise(errInvalidCall);
}

}  // namespace vb
