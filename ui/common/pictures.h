// The pictures that travel inside the program (the window icon, the about
// box's machine): PNG files, read as such.
#pragma once

#include <QPixmap>
#include <QString>

namespace vornakka {

// The PNG picture at path (a ":/pictures/..." resource). Read by Qt's own PNG
// reader alone: left to guess, Qt would first load every picture plug-in it
// has (GIF, ICO, JPEG and the JPEG library) to ask each whether it knows the
// file, which costs a few milliseconds and some memory at every start.
QPixmap pngPicture(const QString& path);

}  // namespace vornakka
