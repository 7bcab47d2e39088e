#pragma once
// Pictures: the graphic base class, memory bitmaps, metafiles, encoded images (PNG, JPEG,
// GIF, TIFF through Qt's image readers), the picture holder and the file-format registry.
//
// Stream forms (the binary custom property `Data`):
// - a graphic's data is a 4-byte little-endian byte count followed by that many bytes of
//   its file form (a complete BMP file for bitmaps, the metafile bytes for metafiles, the
//   encoded file for the other formats);
// - a picture's data is one byte with the length of the graphic's class name in UTF-8, the
//   class name, then the graphic's data. A length of 0 means an empty picture.
// Every length read from data is checked against the bytes that remain ("Stream read
// error" when it claims more), and image dimensions are checked against MaxPictureSide and
// MaxPicturePixels before any pixel memory is allocated.

#include "platform/Canvas.h"
#include "platform/Exceptions.h"
#include "platform/Graphics.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// A picture's bytes do not describe a valid image of the expected kind.
class EInvalidGraphic : public Exception { using Exception::Exception; };
// A file could not be opened, read or written.
class EPictureFileError : public Exception { using Exception::Exception; };

inline constexpr int MaxPictureSide = 65535;
inline constexpr int64_t MaxPicturePixels = int64_t(1) << 26;
// Raises EInvalidGraphic ("Image is too large (%1 x %2)") for sizes beyond the caps and
// ("Invalid image size (%1 x %2)") for negative sizes.
void CheckPictureSize(int64_t width, int64_t height);

// Reads little-endian values from a byte array; a read beyond the end raises EReadError
// ("Stream read error").
class TByteReader {
public:
  explicit TByteReader(const QByteArray& data) : FData(data) {}
  qsizetype Position() const { return FPosition; }
  qsizetype Remaining() const { return FData.size() - FPosition; }
  uint8_t ReadByte();
  uint16_t ReadUInt16();
  uint32_t ReadUInt32();
  int32_t ReadInt32() { return static_cast<int32_t>(ReadUInt32()); }
  QByteArray ReadBytes(qsizetype count);
  void Skip(qsizetype count);

private:
  void Require(qsizetype count) const;
  const QByteArray& FData;
  qsizetype FPosition = 0;
};

void AppendUInt16(QByteArray& out, uint16_t value);
void AppendUInt32(QByteArray& out, uint32_t value);

class TGraphic : public TPersistent {
  Q_OBJECT
public:
  explicit TGraphic(QObject* parent = nullptr) : TPersistent(parent) {}

  TChangeEvent OnChange;

  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Draws the graphic scaled into rect.
  virtual void Draw(TCanvas& canvas, const TRect& rect) const = 0;

  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);

  // The file form (a complete BMP file, metafile, PNG file...).
  virtual void LoadFromStream(const QByteArray& bytes) = 0;
  virtual QByteArray SaveToStream() const = 0;
  void LoadFromFile(const QString& path);
  void SaveToFile(const QString& path) const;

  // The stream form: byte count, then the file form.
  virtual void ReadData(TByteReader& reader);
  virtual QByteArray WriteData() const;
  // `Data`, written when the graphic is not empty (a graphic held directly in a property).
  void DefineProperties(TFiler& filer) override;

  // A new, empty graphic of the same class.
  virtual std::unique_ptr<TGraphic> NewEmpty() const = 0;

protected:
  virtual void Changed();

private:
  bool FTransparent = false;
};

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };
// tmAuto: the bottom-left pixel is the transparent colour; tmFixed: TransparentColor is.
enum TTransparentMode { tmAuto, tmFixed };

class TBitmapCanvas;

// A memory bitmap. Palette formats (1, 4 and 8 bits) keep their colour table and, until
// painted on, their pixel indices, so a BMP file read and written again comes out the same.
// pfDevice behaves as pf24bit. The fourth byte of 32-bit pixels is kept but ignored when the
// bitmap is drawn.
class TBitmap : public TGraphic {
  Q_OBJECT
public:
  explicit TBitmap(QObject* parent = nullptr);
  TBitmap(int width, int height, TPixelFormat format = pf24bit);
  ~TBitmap() override;

  bool Empty() const override { return FImage.isNull() || FImage.width() == 0 || FImage.height() == 0; }
  int Width() const override { return FImage.isNull() ? 0 : FImage.width(); }
  int Height() const override { return FImage.isNull() ? 0 : FImage.height(); }
  // Resizing keeps the pixels of the top-left part; new pixels are white.
  void SetSize(int width, int height);
  void SetWidth(int width) { SetSize(width, Height()); }
  void SetHeight(int height) { SetSize(Width(), height); }

  TPixelFormat PixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TPixelFormat format);
  // The colour table of a palette format (empty for the others).
  const QList<QRgb>& ColorTable() const { return FColorTable; }

  // A canvas on the bitmap's pixels, bound when first drawn on.
  TCanvas* Canvas();
  // A copy of the pixels (independent of later drawing).
  QImage Image() const;
  // Replaces the pixels with image, converted to the bitmap's pixel format.
  void SetImage(const QImage& image);
  // Grows whenever the pixels may have changed (also through the canvas).
  uint64_t ContentRevision() const;

  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode mode);
  TColor TransparentColor() const;
  // Sets the colour and switches to tmFixed.
  void SetTransparentColor(TColor color);

  void Draw(TCanvas& canvas, const TRect& rect) const override;
  void LoadFromStream(const QByteArray& bytes) override;
  QByteArray SaveToStream() const override;
  std::unique_ptr<TGraphic> NewEmpty() const override { return std::make_unique<TBitmap>(); }
  // From another bitmap (copied) or any other graphic (drawn at its own size).
  void Assign(const TPersistent* source) override;

protected:
  void Changed() override;

private:
  friend class TBitmapCanvas;
  void ReleaseCanvas();
  void MakePaintable();
  void ReplaceImage(QImage image, TPixelFormat format, QList<QRgb> colorTable);
  // The pixels as drawn: opaque, and with the transparent colour left out when Transparent.
  // Kept until the pixels or the transparency settings change.
  const QImage& DrawableImage() const;

  QImage FImage;
  TPixelFormat FPixelFormat = pf24bit;
  QList<QRgb> FColorTable;
  int32_t FXPelsPerMeter = 0;
  int32_t FYPelsPerMeter = 0;
  TTransparentMode FTransparentMode = tmAuto;
  TColor FTransparentColor = clNone;
  uint64_t FRevision = 0;
  mutable QImage FDrawCache;
  mutable uint64_t FDrawCacheRevision = UINT64_MAX;
  std::unique_ptr<TBitmapCanvas> FCanvas;  // after FImage: released before the pixels go
};

// A Windows metafile: an enhanced metafile or a placeable Windows metafile. The bytes are
// kept exactly as loaded; the size comes from the header. Drawing shows a placeholder (a light grey
// box with crossed diagonals) until a metafile renderer is attached.
class TMetafile : public TGraphic {
  Q_OBJECT
public:
  explicit TMetafile(QObject* parent = nullptr) : TGraphic(parent) {}

  bool Empty() const override { return FBytes.isEmpty(); }
  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  // Whether the bytes are an enhanced metafile (otherwise a placeable Windows metafile).
  bool Enhanced() const { return FEnhanced; }
  const QByteArray& Bytes() const { return FBytes; }
  void Clear();

  void Draw(TCanvas& canvas, const TRect& rect) const override;
  // Raises EInvalidGraphic ("Metafile is not valid") for bytes of neither kind.
  void LoadFromStream(const QByteArray& bytes) override;
  QByteArray SaveToStream() const override { return FBytes; }
  std::unique_ptr<TGraphic> NewEmpty() const override { return std::make_unique<TMetafile>(); }
  void Assign(const TPersistent* source) override;

private:
  QByteArray FBytes;
  bool FEnhanced = false;
  int FWidth = 0;
  int FHeight = 0;
};

// An image kept in its encoded file form (PNG, JPEG, GIF, TIFF) and decoded for drawing.
// Its bytes are written back unchanged.
class TEncodedImage : public TGraphic {
  Q_OBJECT
public:
  bool Empty() const override { return FImage.isNull(); }
  int Width() const override { return FImage.width(); }
  int Height() const override { return FImage.height(); }
  const QImage& Image() const { return FImage; }
  const QByteArray& Bytes() const { return FBytes; }
  // The Qt image format name ("PNG", "JPEG", ...).
  virtual const char* FormatName() const = 0;

  void Draw(TCanvas& canvas, const TRect& rect) const override;
  // Raises EInvalidGraphic ("%1 image is not valid") when Qt cannot decode the bytes.
  void LoadFromStream(const QByteArray& bytes) override;
  QByteArray SaveToStream() const override { return FBytes; }
  // From another encoded image of the same class (copied) or from a bitmap (encoded).
  void Assign(const TPersistent* source) override;

protected:
  explicit TEncodedImage(QObject* parent = nullptr) : TGraphic(parent) {}

private:
  QByteArray FBytes;
  QImage FImage;
};

class TPngImage : public TEncodedImage {
  Q_OBJECT
public:
  explicit TPngImage(QObject* parent = nullptr) : TEncodedImage(parent) {}
  const char* FormatName() const override { return "PNG"; }
  std::unique_ptr<TGraphic> NewEmpty() const override { return std::make_unique<TPngImage>(); }
};

class TJPEGImage : public TEncodedImage {
  Q_OBJECT
public:
  explicit TJPEGImage(QObject* parent = nullptr) : TEncodedImage(parent) {}
  const char* FormatName() const override { return "JPEG"; }
  std::unique_ptr<TGraphic> NewEmpty() const override { return std::make_unique<TJPEGImage>(); }
};

class TGIFImage : public TEncodedImage {
  Q_OBJECT
public:
  explicit TGIFImage(QObject* parent = nullptr) : TEncodedImage(parent) {}
  const char* FormatName() const override { return "GIF"; }
  std::unique_ptr<TGraphic> NewEmpty() const override { return std::make_unique<TGIFImage>(); }
};

class TTiffImage : public TEncodedImage {
  Q_OBJECT
public:
  explicit TTiffImage(QObject* parent = nullptr) : TEncodedImage(parent) {}
  const char* FormatName() const override { return "TIFF"; }
  std::unique_ptr<TGraphic> NewEmpty() const override { return std::make_unique<TTiffImage>(); }
};

// Holds one graphic of any registered class.
class TPicture : public TPersistent {
  Q_OBJECT
public:
  explicit TPicture(QObject* parent = nullptr);
  ~TPicture() override;

  TChangeEvent OnChange;

  TGraphic* Graphic() const { return FGraphic.get(); }
  // Stores a copy of graphic (nullptr empties the picture).
  void SetGraphic(const TGraphic* graphic);
  // The held bitmap or metafile; replaces another kind of graphic with an empty one.
  TBitmap* Bitmap();
  TMetafile* Metafile();
  bool Empty() const { return !FGraphic || FGraphic->Empty(); }
  int Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int Height() const { return FGraphic ? FGraphic->Height() : 0; }

  // By extension through the file-format registry. Raises EInvalidGraphic
  // ("Unknown picture file extension (.%1)") for an unregistered extension.
  void LoadFromFile(const QString& path);
  // Raises EInvalidGraphic ("Picture is empty") when there is nothing to save.
  void SaveToFile(const QString& path) const;

  // The stream form of the picture (class name and graphic data).
  QByteArray WriteData() const;
  // Raises EReadError ("Stream read error") for truncated data and EClassNotFound
  // ("Class %1 not found") for a class name without a registered graphic class.
  void ReadData(const QByteArray& data);
  // `Data`, written when the picture holds an image.
  void DefineProperties(TFiler& filer) override;
  void Assign(const TPersistent* source) override;

private:
  void Adopt(std::unique_ptr<TGraphic> graphic);
  void Changed();
  std::unique_ptr<TGraphic> FGraphic;
};

// The registry of graphic classes (by class name) and picture file formats (by extension).
using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;
void RegisterGraphicClass(const QString& className, TGraphicFactory factory);
void RegisterFileFormat(const QString& extension, const QString& description, const QString& className,
                        TGraphicFactory factory);
// nullptr when the class or extension is not registered (extensions without the dot, any case).
std::unique_ptr<TGraphic> CreateGraphicByClassName(const QString& className);
std::unique_ptr<TGraphic> CreateGraphicForExtension(const QString& extension);
QStringList GraphicFileExtensions();
// "All pictures (*.bmp *.png ...);;Bitmaps (*.bmp);;..." for file dialogs.
QString GraphicFileFilter();
