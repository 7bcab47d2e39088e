#include "platform/Pictures.h"
#include "platform/BmpCodec.h"
#include "platform/ColorMaps.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <cmath>
#include <cstring>

namespace {

const QString StreamReadError = QStringLiteral("Stream read error");

// The 16 colours of a 4-bit bitmap.
QList<QRgb> FourBitColorTable() {
  return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
          qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(128, 128, 128),
          qRgb(192, 192, 192), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
          qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

// The 16 colours above, a 6x6x6 colour cube and 24 greys.
QList<QRgb> EightBitColorTable() {
  QList<QRgb> table = FourBitColorTable();
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) table << qRgb(r * 51, g * 51, b * 51);
  for (int i = 0; i < 24; ++i) table << qRgb(8 + i * 10, 8 + i * 10, 8 + i * 10);
  return table;
}

QList<QRgb> DefaultColorTable(TPixelFormat format) {
  switch (format) {
    case pf1bit: return {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    case pf4bit: return FourBitColorTable();
    case pf8bit: return EightBitColorTable();
    default: return {};
  }
}

bool IsPaletteFormat(TPixelFormat format) { return format == pf1bit || format == pf4bit || format == pf8bit; }

int BitsPerPixel(TPixelFormat format) {
  switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf32bit: return 32;
    default: return 24;
  }
}

TPixelFormat FormatForBits(int bits) {
  switch (bits) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16: return pf15bit;
    case 32: return pf32bit;
    default: return pf24bit;
  }
}

QList<QRgb> PaddedTable(const QList<QRgb>& table) {
  QList<QRgb> padded = table;
  while (padded.size() < 256) padded << qRgb(0, 0, 0);
  return padded;
}

// The image in the storage format of a pixel format (palette formats map to table).
QImage ToStorage(const QImage& image, TPixelFormat format, const QList<QRgb>& table) {
  if (IsPaletteFormat(format)) {
    if (image.format() == QImage::Format_Indexed8 && image.colorTable() == PaddedTable(table)) return image;
    QImage indexed = image.convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither | Qt::AvoidDither);
    indexed.setColorTable(PaddedTable(table));
    return indexed;
  }
  const QImage::Format target = format == pf32bit ? QImage::Format_ARGB32 : QImage::Format_RGB32;
  return image.format() == target ? image : image.convertToFormat(target);
}

QByteArray ReadWholeFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    throw EPictureFileError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
  return file.readAll();
}

void WriteWholeFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
    throw EPictureFileError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString()));
}

int PixelsFromUnits(int64_t units, int64_t unitsPerInch) {
  if (unitsPerInch <= 0) return 0;
  const double pixels = std::abs(static_cast<double>(units)) * ScreenPixelsPerInch() / unitsPerInch;
  return static_cast<int>(std::min<double>(std::lround(pixels), MaxPictureSide));
}

}  // namespace

void CheckPictureSize(int64_t width, int64_t height) {
  if (width < 0 || height < 0)
    throw EInvalidGraphic(QStringLiteral("Invalid image size (%1 x %2)").arg(width).arg(height));
  if (width > MaxPictureSide || height > MaxPictureSide || width * height > MaxPicturePixels)
    throw EInvalidGraphic(QStringLiteral("Image is too large (%1 x %2)").arg(width).arg(height));
}

// ------------------------------------------------------------------------------ byte helpers

void TByteReader::Require(qsizetype count) const {
  if (count < 0 || count > Remaining()) throw EReadError(StreamReadError);
}

uint8_t TByteReader::ReadByte() {
  Require(1);
  return static_cast<uint8_t>(FData[FPosition++]);
}

uint16_t TByteReader::ReadUInt16() {
  const uint16_t low = ReadByte();
  return static_cast<uint16_t>(low | (ReadByte() << 8));
}

uint32_t TByteReader::ReadUInt32() {
  const uint32_t low = ReadUInt16();
  return low | (uint32_t(ReadUInt16()) << 16);
}

QByteArray TByteReader::ReadBytes(qsizetype count) {
  Require(count);
  QByteArray bytes = FData.mid(FPosition, count);
  FPosition += count;
  return bytes;
}

void TByteReader::Skip(qsizetype count) {
  Require(count);
  FPosition += count;
}

void AppendUInt16(QByteArray& out, uint16_t value) {
  out.append(static_cast<char>(value & 0xFF));
  out.append(static_cast<char>(value >> 8));
}

void AppendUInt32(QByteArray& out, uint32_t value) {
  AppendUInt16(out, static_cast<uint16_t>(value & 0xFFFF));
  AppendUInt16(out, static_cast<uint16_t>(value >> 16));
}

// ---------------------------------------------------------------------------------- TGraphic

void TGraphic::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  Changed();
}

void TGraphic::LoadFromFile(const QString& path) { LoadFromStream(ReadWholeFile(path)); }

void TGraphic::SaveToFile(const QString& path) const { WriteWholeFile(path, SaveToStream()); }

void TGraphic::ReadData(TByteReader& reader) {
  const uint32_t count = reader.ReadUInt32();
  if (count > static_cast<uint64_t>(reader.Remaining())) throw EReadError(StreamReadError);
  LoadFromStream(reader.ReadBytes(static_cast<qsizetype>(count)));
}

QByteArray TGraphic::WriteData() const {
  const QByteArray bytes = Empty() ? QByteArray() : SaveToStream();
  QByteArray out;
  out.reserve(bytes.size() + 4);
  AppendUInt32(out, static_cast<uint32_t>(bytes.size()));
  out.append(bytes);
  return out;
}

void TGraphic::DefineProperties(TFiler& filer) {
  filer.DefineBinaryProperty(
      QStringLiteral("Data"),
      [this](const QByteArray& data) {
        TByteReader reader(data);
        ReadData(reader);
      },
      [this] { return WriteData(); }, !Empty());
}

void TGraphic::Changed() {
  if (OnChange) OnChange(this);
}

// ----------------------------------------------------------------------------------- TBitmap

class TBitmapCanvas : public TCanvas {
public:
  explicit TBitmapCanvas(TBitmap* bitmap) : FBitmap(bitmap) {}

protected:
  void CreateHandle() override {
    if (FBitmap->Empty()) return;
    FBitmap->MakePaintable();
    Bind(&FBitmap->FImage);
  }

private:
  TBitmap* FBitmap;
};

TBitmap::TBitmap(QObject* parent) : TGraphic(parent) {}

TBitmap::TBitmap(int width, int height, TPixelFormat format) : TBitmap() {
  SetPixelFormat(format);
  SetSize(width, height);
}

TBitmap::~TBitmap() { ReleaseCanvas(); }

void TBitmap::Changed() {
  ++FRevision;
  TGraphic::Changed();
}

void TBitmap::ReleaseCanvas() {
  if (FCanvas) FCanvas->Unbind();
}

void TBitmap::MakePaintable() {
  if (FImage.format() == QImage::Format_Indexed8) FImage = FImage.convertToFormat(QImage::Format_RGB32);
}

void TBitmap::ReplaceImage(QImage image, TPixelFormat format, QList<QRgb> colorTable) {
  ReleaseCanvas();
  FImage = std::move(image);
  if (!FImage.isNull()) SetScreenResolution(FImage);
  FPixelFormat = format;
  FColorTable = std::move(colorTable);
  Changed();
}

void TBitmap::SetSize(int width, int height) {
  CheckPictureSize(width, height);
  if (width == Width() && height == Height()) return;
  if (width == 0 || height == 0) {
    ReplaceImage(QImage(), FPixelFormat, FColorTable);
    return;
  }
  const QList<QRgb> table = IsPaletteFormat(FPixelFormat) && FColorTable.isEmpty() ? DefaultColorTable(FPixelFormat) : FColorTable;
  QImage image(width, height, FPixelFormat == pf32bit ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (image.isNull()) throw EInvalidGraphic(QStringLiteral("Not enough memory for the bitmap image"));
  image.fill(Qt::white);
  if (!Empty()) {
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, FImage);
  }
  ReplaceImage(ToStorage(image, FPixelFormat, table), FPixelFormat, IsPaletteFormat(FPixelFormat) ? table : QList<QRgb>());
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
  if (format == FPixelFormat) return;
  const QList<QRgb> table = DefaultColorTable(format);
  if (Empty()) {
    FPixelFormat = format;
    FColorTable = table;
    Changed();
    return;
  }
  ReplaceImage(ToStorage(FImage, format, table), format, table);
}

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) FCanvas = std::make_unique<TBitmapCanvas>(this);
  return FCanvas.get();
}

QImage TBitmap::Image() const { return FImage.copy(); }

void TBitmap::SetImage(const QImage& image) {
  if (image.isNull()) {
    ReplaceImage(QImage(), FPixelFormat, FColorTable);
    return;
  }
  CheckPictureSize(image.width(), image.height());
  const QList<QRgb> table = IsPaletteFormat(FPixelFormat) && FColorTable.isEmpty() ? DefaultColorTable(FPixelFormat) : FColorTable;
  ReplaceImage(ToStorage(image.copy(), FPixelFormat, table), FPixelFormat, table);
}

uint64_t TBitmap::ContentRevision() const { return FRevision + (FCanvas ? FCanvas->ChangeCount() : 0); }

void TBitmap::SetTransparentMode(TTransparentMode mode) {
  if (mode == FTransparentMode) return;
  FTransparentMode = mode;
  Changed();
}

TColor TBitmap::TransparentColor() const {
  if (FTransparentMode == tmFixed) return FTransparentColor;
  if (Empty()) return clNone;
  return QColorToColor(FImage.pixelColor(0, FImage.height() - 1));
}

void TBitmap::SetTransparentColor(TColor color) {
  if (FTransparentMode == tmFixed && color == FTransparentColor) return;
  FTransparentColor = color;
  FTransparentMode = tmFixed;
  Changed();
}

const QImage& TBitmap::DrawableImage() const {
  if (FDrawCacheRevision == ContentRevision()) return FDrawCache;
  // While the canvas paints on the pixels, a shared copy would change under the cache.
  QImage image = FCanvas && FCanvas->HandleAllocated() ? FImage.copy() : FImage;
  if (image.format() == QImage::Format_ARGB32) {
    // The fourth byte of 32-bit pixels is not an opacity for drawing.
    image = FImage.copy();
    for (int y = 0; y < image.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < image.width(); ++x) line[x] |= 0xFF000000u;
    }
    image.reinterpretAsFormat(QImage::Format_RGB32);
  }
  if (Transparent()) image = WithTransparentColor(image, ColorToRGB(TransparentColor()));
  FDrawCache = image;
  FDrawCacheRevision = ContentRevision();
  return FDrawCache;
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect) const {
  if (Empty()) return;
  canvas.DrawImage(rect, DrawableImage(), TRect{0, 0, Width(), Height()});
}

void TBitmap::LoadFromStream(const QByteArray& bytes) {
  if (bytes.isEmpty()) {
    ReplaceImage(QImage(), FPixelFormat, FColorTable);
    return;
  }
  TBmpData data = ReadBmp(bytes);
  FXPelsPerMeter = data.XPelsPerMeter;
  FYPelsPerMeter = data.YPelsPerMeter;
  ReplaceImage(std::move(data.Image), FormatForBits(data.BitsPerPixel), data.ColorTable);
}

QByteArray TBitmap::SaveToStream() const {
  if (Empty()) return QByteArray();
  TBmpData data;
  data.BitsPerPixel = BitsPerPixel(FPixelFormat);
  data.ColorTable = FColorTable;
  data.XPelsPerMeter = FXPelsPerMeter;
  data.YPelsPerMeter = FYPelsPerMeter;
  data.Image = IsPaletteFormat(FPixelFormat) ? ToStorage(FImage, FPixelFormat, FColorTable) : FImage;
  return WriteBmp(data);
}

void TBitmap::Assign(const TPersistent* source) {
  if (const auto* bitmap = qobject_cast<const TBitmap*>(source)) {
    if (bitmap == this) return;
    FXPelsPerMeter = bitmap->FXPelsPerMeter;
    FYPelsPerMeter = bitmap->FYPelsPerMeter;
    FTransparentMode = bitmap->FTransparentMode;
    FTransparentColor = bitmap->FTransparentColor;
    if (Transparent() != bitmap->Transparent()) SetTransparent(bitmap->Transparent());
    ReplaceImage(bitmap->FImage.copy(), bitmap->FPixelFormat, bitmap->FColorTable);
    return;
  }
  if (const auto* graphic = qobject_cast<const TGraphic*>(source)) {
    if (graphic->Empty()) {
      ReplaceImage(QImage(), FPixelFormat, FColorTable);
      return;
    }
    SetSize(graphic->Width(), graphic->Height());
    Canvas()->Brush()->SetColor(clWhite);
    Canvas()->Brush()->SetStyle(bsSolid);
    Canvas()->FillRect(TRect{0, 0, Width(), Height()});
    Canvas()->StretchDraw(TRect{0, 0, Width(), Height()}, graphic);
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

// --------------------------------------------------------------------------------- TMetafile

void TMetafile::Clear() {
  if (FBytes.isEmpty()) return;
  FBytes.clear();
  FWidth = FHeight = 0;
  FEnhanced = false;
  Changed();
}

void TMetafile::LoadFromStream(const QByteArray& bytes) {
  if (bytes.isEmpty()) {
    Clear();
    return;
  }
  TByteReader reader(bytes);
  const uint32_t first = bytes.size() >= 4 ? reader.ReadUInt32() : 0;
  constexpr uint32_t EmrHeader = 1, EmfSignature = 0x464D4520, PlaceableKey = 0x9AC6CDD7;
  if (first == EmrHeader && bytes.size() >= 88) {
    reader.Skip(4 + 16);  // record size, bounds
    const int64_t left = reader.ReadInt32(), top = reader.ReadInt32();
    const int64_t right = reader.ReadInt32(), bottom = reader.ReadInt32();
    if (reader.ReadUInt32() != EmfSignature) throw EInvalidGraphic(QStringLiteral("Metafile is not valid"));
    FEnhanced = true;
    FWidth = PixelsFromUnits(right - left, 2540);  // the frame is in 0.01 mm
    FHeight = PixelsFromUnits(bottom - top, 2540);
  } else if (first == PlaceableKey && bytes.size() >= 22) {
    reader.Skip(2);  // handle
    const int64_t left = static_cast<int16_t>(reader.ReadUInt16()), top = static_cast<int16_t>(reader.ReadUInt16());
    const int64_t right = static_cast<int16_t>(reader.ReadUInt16()), bottom = static_cast<int16_t>(reader.ReadUInt16());
    const uint16_t unitsPerInch = reader.ReadUInt16();
    if (unitsPerInch == 0) throw EInvalidGraphic(QStringLiteral("Metafile is not valid"));
    FEnhanced = false;
    FWidth = PixelsFromUnits(right - left, unitsPerInch);
    FHeight = PixelsFromUnits(bottom - top, unitsPerInch);
  } else {
    throw EInvalidGraphic(QStringLiteral("Metafile is not valid"));
  }
  FBytes = bytes;
  Changed();
}

void TMetafile::Draw(TCanvas& canvas, const TRect& rect) const {
  if (Empty()) return;
  QPainter* painter = canvas.Handle();
  TPainterSaver save(painter);
  const QRectF area(rect.Left, rect.Top, double(rect.Right) - rect.Left - 1, double(rect.Bottom) - rect.Top - 1);
  painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter->setBrush(QColor(240, 240, 240));
  painter->setPen(QPen(QColor(160, 160, 160), 0));
  painter->drawRect(area);
  painter->drawLine(area.topLeft(), area.bottomRight());
  painter->drawLine(area.bottomLeft(), area.topRight());
}

void TMetafile::Assign(const TPersistent* source) {
  if (const auto* metafile = qobject_cast<const TMetafile*>(source)) {
    if (metafile == this) return;
    FBytes = metafile->FBytes;
    FEnhanced = metafile->FEnhanced;
    FWidth = metafile->FWidth;
    FHeight = metafile->FHeight;
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

// ----------------------------------------------------------------------------- TEncodedImage

void TEncodedImage::LoadFromStream(const QByteArray& bytes) {
  if (bytes.isEmpty()) {
    FBytes.clear();
    FImage = QImage();
    Changed();
    return;
  }
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, FormatName());
  const QString invalid = QStringLiteral("%1 image is not valid").arg(QLatin1String(FormatName()));
  if (!reader.canRead()) throw EInvalidGraphic(invalid);
  const QSize size = reader.size();
  if (size.isValid()) CheckPictureSize(size.width(), size.height());
  QImage image = reader.read();
  if (image.isNull()) throw EInvalidGraphic(invalid);
  CheckPictureSize(image.width(), image.height());
  SetScreenResolution(image);
  FBytes = bytes;
  FImage = std::move(image);
  Changed();
}

void TEncodedImage::Draw(TCanvas& canvas, const TRect& rect) const {
  if (Empty()) return;
  canvas.DrawImage(rect, FImage, TRect{0, 0, Width(), Height()});
}

void TEncodedImage::Assign(const TPersistent* source) {
  if (source && source->metaObject() == metaObject()) {
    const auto* other = static_cast<const TEncodedImage*>(source);
    if (other == this) return;
    FBytes = other->FBytes;
    FImage = other->FImage;
    Changed();
    return;
  }
  if (const auto* bitmap = qobject_cast<const TBitmap*>(source)) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, FormatName());
    if (!writer.write(bitmap->Image()))
      throw EInvalidGraphic(QStringLiteral("Cannot encode the image as %1").arg(QLatin1String(FormatName())));
    LoadFromStream(buffer.data());
    return;
  }
  TGraphic::Assign(source);
}

// ---------------------------------------------------------------------------------- registry

namespace {

struct TFileFormat {
  QString Extension;
  QString Description;
  QString ClassName;
  TGraphicFactory Factory;
};

struct TGraphicRegistry {
  QList<TFileFormat> Formats;
  QHash<QString, TGraphicFactory> Classes;  // by lower-case class name
};

template <class T>
TGraphicFactory FactoryOf() {
  return [] { return std::unique_ptr<TGraphic>(std::make_unique<T>()); };
}

TGraphicRegistry& Registry() {
  static TGraphicRegistry registry = [] {
    TGraphicRegistry r;
    auto add = [&r](const char* ext, const char* description, const char* className, TGraphicFactory factory) {
      r.Formats << TFileFormat{QLatin1String(ext), QLatin1String(description), QLatin1String(className), factory};
      r.Classes.insert(QString::fromLatin1(className).toLower(), factory);
    };
    add("bmp", "Bitmaps", "TBitmap", FactoryOf<TBitmap>());
    add("emf", "Enhanced Metafiles", "TMetafile", FactoryOf<TMetafile>());
    add("wmf", "Metafiles", "TMetafile", FactoryOf<TMetafile>());
    add("png", "Portable Network Graphics", "TPngImage", FactoryOf<TPngImage>());
    add("jpg", "JPEG Image File", "TJPEGImage", FactoryOf<TJPEGImage>());
    add("jpeg", "JPEG Image File", "TJPEGImage", FactoryOf<TJPEGImage>());
    add("gif", "GIF Image", "TGIFImage", FactoryOf<TGIFImage>());
    add("tif", "TIFF Image", "TTiffImage", FactoryOf<TTiffImage>());
    add("tiff", "TIFF Image", "TTiffImage", FactoryOf<TTiffImage>());
    return r;
  }();
  return registry;
}

}  // namespace

void RegisterGraphicClass(const QString& className, TGraphicFactory factory) {
  Registry().Classes.insert(className.toLower(), std::move(factory));
}

void RegisterFileFormat(const QString& extension, const QString& description, const QString& className,
                        TGraphicFactory factory) {
  TGraphicRegistry& r = Registry();
  const QString ext = extension.startsWith(u'.') ? extension.mid(1) : extension;
  r.Formats.removeIf([&](const TFileFormat& f) { return f.Extension.compare(ext, Qt::CaseInsensitive) == 0; });
  r.Formats << TFileFormat{ext, description, className, factory};
  r.Classes.insert(className.toLower(), std::move(factory));
}

std::unique_ptr<TGraphic> CreateGraphicByClassName(const QString& className) {
  const auto it = Registry().Classes.constFind(className.toLower());
  return it == Registry().Classes.cend() ? nullptr : it.value()();
}

std::unique_ptr<TGraphic> CreateGraphicForExtension(const QString& extension) {
  const QString ext = extension.startsWith(u'.') ? extension.mid(1) : extension;
  for (const TFileFormat& f : Registry().Formats)
    if (f.Extension.compare(ext, Qt::CaseInsensitive) == 0) return f.Factory();
  return nullptr;
}

QStringList GraphicFileExtensions() {
  QStringList extensions;
  for (const TFileFormat& f : Registry().Formats) extensions << f.Extension;
  return extensions;
}

QString GraphicFileFilter() {
  QStringList all, each;
  for (const TFileFormat& f : Registry().Formats) {
    all << QStringLiteral("*.") + f.Extension;
    each << QStringLiteral("%1 (*.%2)").arg(f.Description, f.Extension);
  }
  return QStringLiteral("All pictures (%1);;%2").arg(all.join(u' '), each.join(QStringLiteral(";;")));
}

// ---------------------------------------------------------------------------------- TPicture

TPicture::TPicture(QObject* parent) : TPersistent(parent) {}

TPicture::~TPicture() = default;

void TPicture::Changed() {
  if (OnChange) OnChange(this);
}

void TPicture::Adopt(std::unique_ptr<TGraphic> graphic) {
  FGraphic = std::move(graphic);
  if (FGraphic) FGraphic->OnChange = [this](TPersistent*) { Changed(); };
  Changed();
}

void TPicture::SetGraphic(const TGraphic* graphic) {
  if (graphic == FGraphic.get() && graphic) return;
  if (!graphic) {
    Adopt(nullptr);
    return;
  }
  std::unique_ptr<TGraphic> copy = graphic->NewEmpty();
  copy->Assign(graphic);
  copy->SetTransparent(graphic->Transparent());
  Adopt(std::move(copy));
}

TBitmap* TPicture::Bitmap() {
  if (!qobject_cast<TBitmap*>(FGraphic.get())) Adopt(std::make_unique<TBitmap>());
  return static_cast<TBitmap*>(FGraphic.get());
}

TMetafile* TPicture::Metafile() {
  if (!qobject_cast<TMetafile*>(FGraphic.get())) Adopt(std::make_unique<TMetafile>());
  return static_cast<TMetafile*>(FGraphic.get());
}

void TPicture::LoadFromFile(const QString& path) {
  const QString extension = QFileInfo(path).suffix();
  std::unique_ptr<TGraphic> graphic = CreateGraphicForExtension(extension);
  if (!graphic) throw EInvalidGraphic(QStringLiteral("Unknown picture file extension (.%1)").arg(extension));
  graphic->LoadFromFile(path);
  Adopt(std::move(graphic));
}

void TPicture::SaveToFile(const QString& path) const {
  if (!FGraphic) throw EInvalidGraphic(QStringLiteral("Picture is empty"));
  FGraphic->SaveToFile(path);
}

QByteArray TPicture::WriteData() const {
  QByteArray out;
  if (!FGraphic) {
    out.append('\0');
    return out;
  }
  const QByteArray name = FGraphic->ClassName().toUtf8();
  out.append(static_cast<char>(name.size()));
  out.append(name);
  out.append(FGraphic->WriteData());
  return out;
}

void TPicture::ReadData(const QByteArray& data) {
  TByteReader reader(data);
  const uint8_t length = reader.ReadByte();
  if (length == 0) {
    Adopt(nullptr);
    return;
  }
  const QString className = QString::fromUtf8(reader.ReadBytes(length));
  std::unique_ptr<TGraphic> graphic = CreateGraphicByClassName(className);
  if (!graphic) throw EClassNotFound(QStringLiteral("Class %1 not found").arg(className));
  graphic->ReadData(reader);
  Adopt(std::move(graphic));
}

void TPicture::DefineProperties(TFiler& filer) {
  filer.DefineBinaryProperty(
      QStringLiteral("Data"), [this](const QByteArray& data) { ReadData(data); }, [this] { return WriteData(); },
      !Empty());
}

void TPicture::Assign(const TPersistent* source) {
  if (!source) {
    SetGraphic(nullptr);
    return;
  }
  if (const auto* picture = qobject_cast<const TPicture*>(source)) {
    if (picture != this) SetGraphic(picture->Graphic());
    return;
  }
  if (const auto* graphic = qobject_cast<const TGraphic*>(source)) {
    SetGraphic(graphic);
    return;
  }
  TPersistent::Assign(source);
}
