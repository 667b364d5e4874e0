// The post string of a field collection.
// Properties: the body splits at "&" and "=" into exactly the pairs the
// collection holds, in order, and each name and value decodes back to its
// Windows-1252 text; an override replaces only the named field's value.

#include "FuzzSupport.h"

#include "connect/clsConnect.h"

namespace {

QString decode(const QString &part) {
    const QByteArray raw = QByteArray::fromPercentEncoding(part.toLatin1());
    return platform::FromAnsi(raw);
}

QString asSent(const QString &text) { return platform::FromAnsi(platform::ToAnsi(text)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::Init();
    // Fields of up to four pairs, pieces split at 0x1E (field) and 0x1F (text).
    const QList<QByteArray> records = fuzz::Bytes(data, size).split('\x1E');
    FieldCollection fields;
    QList<QPair<QString, QString>> expected;
    QString overrideName;
    for (const QByteArray &record : records) {
        const QList<QByteArray> t = fuzz::Pieces(record, '\x1F', 8);
        auto f = std::make_shared<clsField>();
        f->sFieldName = platform::FromAnsi(t[0]);
        f->sFieldValue = platform::FromAnsi(t[1]);
        f->sFieldname2 = platform::FromAnsi(t[2]);
        f->sFieldValue2 = platform::FromAnsi(t[3]);
        f->sBidName = platform::FromAnsi(t[4]);
        f->sBidValue = platform::FromAnsi(t[5]);
        f->sBidName2 = platform::FromAnsi(t[6]);
        f->sBidValue2 = platform::FromAnsi(t[7]);
        fields.Add(f);
        if (overrideName.isEmpty())
            overrideName = f->sFieldName;
    }
    const QString replacement = QStringLiteral("new value&=%");
    for (const clsFieldPtr &f : fields) {
        const bool overridden = !overrideName.isEmpty() && f->sFieldName == overrideName;
        expected << qMakePair(asSent(f->sFieldName), asSent(overridden ? replacement : f->sFieldValue));
        if (!f->sFieldname2.isEmpty())
            expected << qMakePair(asSent(f->sFieldname2), asSent(f->sFieldValue2));
        if (!f->sBidName.isEmpty())
            expected << qMakePair(asSent(f->sBidName), asSent(f->sBidValue));
        if (!f->sBidName2.isEmpty())
            expected << qMakePair(asSent(f->sBidName2), asSent(f->sBidValue2));
    }
    const QString body = clsConnect::CreatePostStringFromCollection(fields, overrideName, replacement);
    FUZZ_CHECK(!body.contains(QLatin1Char(' ')));
    for (QChar c : body)
        FUZZ_CHECK(c.unicode() > 0x20 && c.unicode() < 0x7F);
    const QStringList pairs = body.split(QLatin1Char('&'));
    FUZZ_CHECK(pairs.size() == expected.size());
    for (int i = 0; i < pairs.size(); ++i) {
        const QStringList nv = pairs[i].split(QLatin1Char('='));
        FUZZ_CHECK(nv.size() == 2);
        FUZZ_CHECK(decode(nv[0]) == expected[i].first);
        FUZZ_CHECK(decode(nv[1]) == expected[i].second);
    }
    return 0;
}
