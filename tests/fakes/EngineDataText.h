#pragma once
// Pieces of engine data files for the fakes and fixtures that write one:
// Windows-1252 text, lines ending in CR LF.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace fake {

// "[name]" and the items numbered from 1, as the file lists its engines.
QByteArray NumberedSection(const char *name, const QStringList &items);

// An engine's section for a site of its own under ".example": its key, site,
// login and search addresses (derived from the name).
QByteArray ExampleEngineSection(const QString &engine);

}  // namespace fake
