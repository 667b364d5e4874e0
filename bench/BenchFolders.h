#pragma once
// Keeps a benchmark's files out of the user's own: the program and Windows
// folders and the settings store go under a temporary folder.

#include "core/Globals.h"
#include "platform/Folders.h"
#include "platform/Registry.h"

#include <QString>

namespace bench {

// "program", "windows" (both made) and "registry.json" under `root`; the
// global paths follow them.
inline void UsePrivateFolders(const QString &root) {
    platform::MakeFolder(root + QStringLiteral("/program"));
    platform::MakeFolder(root + QStringLiteral("/windows"));
    platform::setProgramFolder(root + QStringLiteral("/program"));
    platform::setWindowsFolder(root + QStringLiteral("/windows"));
    platform::Registry::setStoreFile(root + QStringLiteral("/registry.json"));
    app::SetGlobalPaths();
}

}  // namespace bench
