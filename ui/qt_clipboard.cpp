#include "ui/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "ui/dib_image.h"

namespace stillpix {

bool QtClipboard::HasBitmap() const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasImage();
}

bool QtClipboard::GetBitmap(BitmapInfoHeader& header, std::vector<uint8_t>& bits) {
    return HasBitmap() && DibFromImage(QGuiApplication::clipboard()->image(), header, bits);
}

bool QtClipboard::SetBitmap(const std::vector<uint8_t>& packed) {
    const QImage image = ImageFromPackedDib(packed);
    if (image.isNull()) return false;
    QGuiApplication::clipboard()->setImage(image);
    return true;
}

}  // namespace stillpix
