#include "drawing/GdipClasses.h"

#include "platform/ColorMaps.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

namespace {

QImage Premultiplied(const QImage& image) {
  if (image.isNull() || image.format() == QImage::Format_ARGB32_Premultiplied) return image;
  return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// The image size from the header; an invalid size when the bytes are not a readable image.
QSize ReadSize(const QByteArray& bytes) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  return reader.size();
}

// Decodes the bytes; a null image when they are unreadable or larger than pictures may be.
QImage DecodeBytes(const QByteArray& bytes) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  const QSize size = reader.size();
  if (size.isValid()) {
    try {
      CheckPictureSize(size.width(), size.height());
    } catch (const EInvalidGraphic&) {
      return QImage();
    }
  }
  QImage image;
  if (!reader.read(&image)) return QImage();
  return Premultiplied(image);
}

// A bitmap's pixels as drawn: the fourth byte of 32-bit pixels is not an opacity.
QImage OpaqueBitmapImage(const TBitmap& bitmap) {
  QImage image = bitmap.Image();
  if (image.hasAlphaChannel()) {
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < image.width(); ++x) line[x] |= 0xFF000000u;
    }
  }
  return Premultiplied(image);
}

}  // namespace

QImage DecodeGraphicImage(const TGraphic& graphic) {
  if (graphic.Empty()) return QImage();
  if (const auto* gdip = qobject_cast<const TGdipGraphic*>(&graphic)) return gdip->DecodedImage();
  if (const auto* bitmap = qobject_cast<const TBitmap*>(&graphic)) return OpaqueBitmapImage(*bitmap);
  if (const auto* encoded = qobject_cast<const TEncodedImage*>(&graphic)) return Premultiplied(encoded->Image());
  TGdipGraphic copy;
  copy.Assign(&graphic);
  return copy.DecodedImage();
}

// ------------------------------------------------------------------------------- TGdipGraphic

const QImage& TGdipGraphic::DecodedImage() const {
  if (!FDecoded) {
    FGPImage = Empty() ? QImage() : DecodeBytes(Data());
    FDecoded = true;
  }
  return FGPImage;
}

void TGdipGraphic::Changed() {
  FGPImage = QImage();
  FDecoded = false;
  TDgrGraphic::Changed();
}

bool TGdipGraphic::ReadImageSizes() {
  const QSize size = ReadSize(Data());
  if (!size.isValid()) {
    SetImageSize(0, 0);
    return false;
  }
  SetImageSize(size.width(), size.height());
  return true;
}

void TGdipGraphic::DrawInRect(TCanvas& canvas, const TRect& rect) const {
  const QImage& image = DecodedImage();
  if (image.isNull()) return;
  std::optional<TColor> key;
  if (Transparent()) key = QColorToColor(QColor::fromRgba(image.pixel(0, image.height() - 1)));
  canvas.DrawImage(rect, image, TRect{0, 0, image.width(), image.height()}, key);
}

// ------------------------------------------------------------------------------- TGdipPicture

const QImage& TGdipPicture::GPImage() const {
  if (FDecoded) return FGPImage;
  FDecoded = true;
  FGPImage = Graphic() ? DecodeGraphicImage(*Graphic()) : QImage();
  if (!FGPImage.isNull() && Transparency() > 0) {
    QImage faded(FGPImage.size(), QImage::Format_ARGB32_Premultiplied);
    faded.fill(Qt::transparent);
    QPainter painter(&faded);
    painter.setOpacity((100 - Transparency()) / 100.0);
    painter.drawImage(0, 0, FGPImage);
    painter.end();
    FGPImage = faded;
  }
  return FGPImage;
}

void TGdipPicture::PictureChanged() {
  FGPImage = QImage();
  FDecoded = false;
  TDgrPicture::PictureChanged();
}
