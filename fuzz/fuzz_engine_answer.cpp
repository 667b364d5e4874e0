// The answer of the engine data download: whatever the server sends, an
// answer is accepted only when the file written from it lists a first engine
// that the program then loads, and the file holds the answer's bytes and one
// CR LF.

#include "core/Globals.h"
#include "core/clsEngine.h"
#include "core/modCommon.h"
#include "platform/Folders.h"
#include "platform/Ini.h"
#include "platform/Registry.h"
#include "platform/Seams.h"
#include "platform/TextFile.h"
#include "ui/modEngineData.h"

#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {
QTemporaryDir *g_dir = nullptr;

void setUp() {
    if (g_dir)
        return;
    g_dir = new QTemporaryDir;
    platform::setWindowsFolder(g_dir->path());
    platform::setProgramFolder(g_dir->path());
    platform::Registry::setStoreFile(g_dir->path() + QStringLiteral("/registry.json"));
    app::SetGlobalPaths();
    // The file always exists when it is loaded here: no box may come up.
    seam::setMessageBoxHandler([](const seam::MessageBoxRequest &) -> int { std::abort(); });
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    setUp();
    const QString body = platform::FromAnsi(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));

    const bool engineData = modEngineData::IsEngineData(body);
    if (modEngineData::IsGoodAnswer(QStringLiteral("200"), body) != (engineData && !body.isEmpty()))
        std::abort();
    if (modEngineData::IsGoodAnswer(QStringLiteral("404"), body))
        std::abort();
    if (!engineData)
        return 0;

    if (!modEngineData::SaveEngineData(body))
        std::abort();
    QByteArray written;
    if (!platform::ReadFileBytes(g_sEngineDataFile, &written) ||
        written != QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)) + "\r\n")
        std::abort();
    // The saved file names a first engine with a section of its own, and a
    // load that reads the list to its end has that engine.
    const QString first =
        vb::Trim(ReadIniString(g_sEngineDataFile, QStringLiteral("OvertureEngines"), QStringLiteral("1")));
    if (first.isEmpty() || !platform::GetProfileSections(g_sEngineDataFile).contains(first, Qt::CaseInsensitive))
        std::abort();
    clsEngine engines;
    if (engines.loadEngineData() && engines.GetEngineCount() < 1)
        std::abort();
    return 0;
}
