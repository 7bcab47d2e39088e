#pragma once
// Images of the drawing layer.
//
// TDgrGraphic is a platform graphic that keeps the raw bytes of an image file in the file's
// own format (written back unchanged) and lets its engine decode them lazily for drawing.
// TDgrPicture is a platform picture with a transparency percentage (brush textures).
// TDgrImage holds one decoded image of an engine.

#include "platform/Pictures.h"

#include <QByteArray>
#include <memory>

// One decoded image of an engine.
class TDgrImage {
public:
  virtual ~TDgrImage() = default;
};

class TDgrGraphic : public TGraphic {
  Q_OBJECT
public:
  explicit TDgrGraphic(QObject* parent = nullptr) : TGraphic(parent) {}

  // Empty until bytes were loaded.
  bool Empty() const override { return FIsEmpty || FDatastream.isEmpty(); }
  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  const QByteArray& Data() const { return FDatastream; }

  // Draws into rect of a raster canvas; nothing when empty.
  void Draw(TCanvas& canvas, const TRect& rect) const override;
  // Takes all the bytes as they are (no validation: undecodable bytes are kept and draw
  // nothing), reads the image size and signals a change.
  void LoadFromStream(const QByteArray& bytes) override;
  QByteArray SaveToStream() const override { return FDatastream; }
  // The stream form: like LoadFromStream without the change signal.
  void ReadData(TByteReader& reader) override;

  // nullptr empties; another TDgrGraphic gives its bytes; any other graphic is saved in its
  // own format and those bytes are taken, with its transparency flag.
  void Assign(const TPersistent* source) override;

  // False when empty or when the engine cannot read the size from the bytes.
  bool GetImageSizes();

protected:
  // Draws the decoded image into rect of a raster canvas.
  virtual void DrawInRect(TCanvas& canvas, const TRect& rect) const {}
  // Decodes the header and sets the size; answers whether it could.
  virtual bool ReadImageSizes() = 0;
  void SetImageSize(int width, int height) {
    FWidth = width;
    FHeight = height;
  }
  // Engines drop their decoded image here.
  void Changed() override { TGraphic::Changed(); }

private:
  void TakeBytes(const QByteArray& bytes);

  QByteArray FDatastream;
  bool FIsEmpty = true;
  int FWidth = 0;
  int FHeight = 0;
};

// A picture with a transparency percentage. It listens to its own TPicture::OnChange;
// owners hook OnPictureChange instead.
class TDgrPicture : public TPicture {
  Q_OBJECT
  Q_PROPERTY(int Transparency READ Transparency WRITE SetTransparency)
public:
  explicit TDgrPicture(QObject* parent = nullptr);

  TChangeEvent OnPictureChange;

  int Transparency() const { return FTransparency; }
  // Kept within 0..100.
  void SetTransparency(int value);

  void Assign(const TPersistent* source) override;

protected:
  // Every change of the picture or of its graphic ends here.
  virtual void PictureChanged();

private:
  int FTransparency = 0;
};
