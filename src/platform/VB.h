#pragma once
// The handful of classic-runtime semantics the program's text and number
// handling relies on, kept in one place so every module agrees on them.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <stdexcept>

namespace vb {

// An error carrying a runtime error number and its description.
class VBError : public std::runtime_error {
public:
    VBError(int number, const QString &description);
    int Number() const { return m_number; }
    QString Description() const { return m_description; }

private:
    int m_number;
    QString m_description;
};

// Common error numbers.
enum ErrorNumber {
    errInvalidCall = 5,        // "Invalid procedure call or argument"
    errOverflow = 6,           // "Overflow"
    errSubscript = 9,          // "Subscript out of range"
    errTypeMismatch = 13,      // "Type mismatch"
    errFileNotFound = 53,      // "File not found"
    errPathNotFound = 76,      // "Path not found"
    errPermissionDenied = 70,  // "Permission denied"
    errDuplicateKey = 457,     // "This key is already associated with an element of this collection"
};

[[noreturn]] void Raise(int number, const QString &description = QString());
// The text an error handler logs: the runtime description, or the message of any other exception.
QString Describe(const std::exception &e);
// Standard description for a runtime error number.
QString ErrorText(int number);

// ---- Text ----------------------------------------------------------------
// 1-based position of `find` in `text` at or after `start`; 0 when absent.
// An empty `find` returns `start` (when start <= len+1).
int InStr(int start, const QString &text, const QString &find, bool ignoreCase = false);
inline int InStr(const QString &text, const QString &find, bool ignoreCase = false) {
    return InStr(1, text, find, ignoreCase);
}
// 1-based position of the last `find`; 0 when absent.
int InStrRev(const QString &text, const QString &find, bool ignoreCase = false);
// 1-based substring; `length` < 0 means to the end.
QString Mid(const QString &text, int start, int length = -1);
QString Left(const QString &text, int length);
QString Right(const QString &text, int length);
// Trim blanks (space characters only, not tabs or line breaks).
QString Trim(const QString &text);
QString LTrim(const QString &text);
QString RTrim(const QString &text);
QString UCase(const QString &text);
QString LCase(const QString &text);
QString Space(int n);
QString String(int n, QChar c);
QString Replace(const QString &text, const QString &find, const QString &with, bool ignoreCase = false);
// Split on a delimiter; an empty text gives an empty list.
QStringList Split(const QString &text, const QString &delimiter);
// Character from a code in the ANSI code page (163 gives the pound sign).
QChar Chr(int code);
int Asc(QChar c);

// ---- Numbers -------------------------------------------------------------
// Leading numeric part of a text as a number (blanks skipped, "." decimal); 0 when none.
double Val(const QString &text);
bool IsNumeric(const QString &text);
// Text to Boolean: "True"/"False" (any case) or a number (non-zero true); otherwise raises 13.
bool CBool(const QString &text);
// Banker's rounding to 16 bits; raises 6 on overflow, 13 when not numeric.
int CInt(const QString &text);
int CInt(double value);
// Banker's rounding to 32 bits.
long CLng(double value);
long CLng(const QString &text);
double CDbl(const QString &text);
// Narrows to single precision, as values computed in single are stored.
inline float CSng(double value) { return static_cast<float>(value); }
float CSng(const QString &text);
// The shortest text of a single value, as the runtime converts it to text
// (up to 7 significant digits, "." always, no exponent for bid-sized values):
// 0.1f gives "0.1", 10.0f gives "10".
QString SingleText(float value);
QString BoolText(bool value);  // "True" / "False"
// Rounds to `digits` decimals, halves to the even neighbour, as Round does.
double Round(double value, int digits = 0);

// Currency: 4 decimal places, exact (value × 10000).
struct Currency {
    std::int64_t scaled = 0;
    static Currency fromScaled(std::int64_t s) { Currency c; c.scaled = s; return c; }
    static Currency fromDouble(double d);
    double toDouble() const { return double(scaled) / 10000.0; }
    bool operator==(const Currency &o) const { return scaled == o.scaled; }
    bool operator!=(const Currency &o) const { return scaled != o.scaled; }
    bool operator<(const Currency &o) const { return scaled < o.scaled; }
    bool operator>(const Currency &o) const { return scaled > o.scaled; }
    bool operator<=(const Currency &o) const { return scaled <= o.scaled; }
    bool operator>=(const Currency &o) const { return scaled >= o.scaled; }
    // Raise 6 (overflow) outside the currency's range.
    Currency operator+(const Currency &o) const {
        std::int64_t r;
        if (__builtin_add_overflow(scaled, o.scaled, &r))
            Raise(errOverflow);
        return fromScaled(r);
    }
    Currency operator-(const Currency &o) const {
        std::int64_t r;
        if (__builtin_sub_overflow(scaled, o.scaled, &r))
            Raise(errOverflow);
        return fromScaled(r);
    }
};

// Parses an amount: blanks around, optional leading "$", digits with optional
// "," thousands separators, optional "." and decimals, optional leading "-".
// Returns false when the text is not such an amount ("" included) or lies
// outside the currency's range.
bool ParseAmount(const QString &text, Currency *out);

// "#0.00" with "." always (rounded half away from zero on the exact value).
// Raises 6 (overflow) for an infinite or undefined value.
QString Format00(double value);
QString Format00(Currency value);
// "00": at least two digits.
QString Format2Digits(int value);

// ---- Dates ---------------------------------------------------------------
// The general date form: "M/D/YYYY h:mm:ss AM" (date only when the time is
// midnight, time only for the zero date).
QString FormatGeneralDate(const QDateTime &dt);
// Reads the general form and the plain date and time forms the program writes.
bool ParseDate(const QString &text, QDateTime *out);
bool IsDate(const QString &text);
QDateTime CDate(const QString &text);  // raises 13 when not a date
// Number of interval boundaries crossed from d1 to d2 ("yyyy","m","d","h","n","s").
long long DateDiff(const QString &interval, const QDateTime &d1, const QDateTime &d2);
QDateTime DateAdd(const QString &interval, long long number, const QDateTime &d);

}  // namespace vb
