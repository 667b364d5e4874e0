// The engine data file load.
// Properties: the engines loaded are the list's entries in order up to its
// first empty key, each found again by its name; a file that lists no engine
// is reported; every getter answers for every loaded index; search requests
// and bodies carry no raw blank; a second load gives the same engines.

#include "FuzzSupport.h"

#include "core/clsEngine.h"

#include <QStringList>

namespace {

QStringList namesOf(const clsEngine &e) {
    QStringList out;
    for (int i = 1; i <= e.GetEngineCount(); ++i)
        out << e.GetEnginName(i);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::Init();
    fuzz::Reset();
    fuzz::WriteRaw(g_sEngineDataFile, fuzz::Bytes(data, size));

    clsEngine engine;
    const bool complete = engine.loadEngineData();
    const int count = engine.GetEngineCount();
    const QString first = vb::Trim(ReadIniString(g_sEngineDataFile, QStringLiteral("OvertureEngines"), QStringLiteral("1")));
    // Nothing listed: the missing-file message; something listed: no message.
    FUZZ_CHECK((fuzz::messageBoxCount() == 1) == first.isEmpty());
    FUZZ_CHECK(!first.isEmpty() || count == 0);

    if (complete) {
        // Every entry up to the first empty one, in order (all are enabled here).
        QStringList listed;
        for (int n = 1;; ++n) {
            const QString name = vb::Trim(
                ReadIniString(g_sEngineDataFile, QStringLiteral("OvertureEngines"), QString::number(n)));
            if (name.isEmpty())
                break;
            listed << name;
        }
        FUZZ_CHECK(namesOf(engine) == listed);
    }
    for (int i = 1; i <= count; ++i) {
        const QString name = engine.GetEnginName(i);
        FUZZ_CHECK(!name.isEmpty());
        FUZZ_CHECK(engine.GetEngineIndex(name) >= 1 && engine.GetEngineIndex(name) <= i);
        FUZZ_CHECK(!engine.GetPostString(i, QStringLiteral("red shoes")).contains(QLatin1Char(' ')));
        FUZZ_CHECK(engine.GetEngineURL(i).size() <= 559 && engine.GetLoginURL(i).size() <= 559);
        const QString url = engine.GetURL(name, QStringLiteral("red shoes & socks"));
        FUZZ_CHECK(!url.contains(QStringLiteral("red shoes")) && !url.contains(QStringLiteral(" & ")));
        engine.GetSubmitMethod(i);
        engine.GetDTCURL(i);
        engine.GetEndKeywordSection(i);
    }
    const QStringList loaded = namesOf(engine);
    fuzz::messageBoxCount() = 0;
    clsEngine again;
    FUZZ_CHECK(again.loadEngineData() == complete);
    FUZZ_CHECK(namesOf(again) == loaded);
    return 0;
}
