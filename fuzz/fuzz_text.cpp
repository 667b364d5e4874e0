// The text procedures shared by every page reader.
// Properties: StripHTML copies no "<" and ends every line in CR LF;
// RemoveLineBreaks leaves no line break or tab; TrimComma drops at most one
// comma at each end; ParseString's fields joined again give the text;
// Base64 decodes back to the text's bytes; the host has no "/"; the time
// check never shows a message; the code page conversion round-trips every byte.

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::Init();
    fuzz::Reset();
    const QByteArray bytes = fuzz::Bytes(data, size);
    const QString text = platform::FromAnsi(bytes);
    // Every byte is a character of the code page and back.
    FUZZ_CHECK(platform::ToAnsi(text) == bytes);

    const QString plain = StripHTML(text);
    FUZZ_CHECK(!plain.contains(QLatin1Char('<')));
    for (qsizetype i = 0; i < plain.size(); ++i) {
        if (plain[i] == QLatin1Char('\n'))
            FUZZ_CHECK(i > 0 && plain[i - 1] == QLatin1Char('\r'));
        if (plain[i] == QLatin1Char('\r'))
            FUZZ_CHECK(i + 1 < plain.size() && plain[i + 1] == QLatin1Char('\n'));
    }

    const QString joined = RemoveLineBreaks(text);
    FUZZ_CHECK(!joined.contains(QLatin1Char('\r')) && !joined.contains(QLatin1Char('\n')) &&
               !joined.contains(QLatin1Char('\t')));
    FUZZ_CHECK(joined.size() == text.size() - text.count(QStringLiteral("\r\n")));

    const QString trimmed = TrimComma(text);
    FUZZ_CHECK(text.contains(trimmed) && text.size() - trimmed.size() <= 2);

    for (const QString &delimiter : {QStringLiteral(";"), QStringLiteral(" "), QStringLiteral(";#")}) {
        QStringList fields;
        for (int n = 1; n <= text.count(delimiter) + 1; ++n)
            fields << ParseString(text, delimiter, n);
        FUZZ_CHECK(fields.join(delimiter) == text);
        FUZZ_CHECK(ParseString(text, delimiter, text.count(delimiter) + 2).isEmpty());
    }

    FUZZ_CHECK(QByteArray::fromBase64(Base64Encode(text).toLatin1()) == platform::ToAnsi(text));
    FUZZ_CHECK(!GetHostFromURL(text).contains(QLatin1Char('/')));
    GetURLPath(text);
    isValidTime(text);
    FUZZ_CHECK(fuzz::messageBoxCount() == 0);
    return 0;
}
