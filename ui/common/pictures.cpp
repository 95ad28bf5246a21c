#include "common/pictures.h"

#include <QImageReader>

namespace vornakka {

QPixmap pngPicture(const QString& path) {
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

}  // namespace vornakka
