#pragma once
// The program's picture: window and tray icon, splash and About box.

#include <QIcon>
#include <QPixmap>

namespace programicon {

// The picture drawn at size × size pixels.
QPixmap Picture(int size);
// The picture at the sizes a desktop asks for.
QIcon Icon();

}  // namespace programicon
