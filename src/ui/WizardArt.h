#pragma once
// The pictures of the engine data windows, drawn at run time so the program
// ships no image files.

#include <QPixmap>
#include <QSize>

namespace wizardart {

// The update dialog's picture: a globe over a download arrow.
QPixmap DownloadPicture(const QSize &size);
// The wizard's side banner on its working pages, and on its finish page.
QPixmap WizardBanner(const QSize &size);
QPixmap FinishBanner(const QSize &size);

}  // namespace wizardart
