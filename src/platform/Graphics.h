#pragma once
// The value types of the raster canvas: font, pen and brush.
//
// Each is a persistent object with published properties (what the object stream stores)
// and an OnChange callback fired after every change that alters a value (setting a property
// to the value it already holds fires nothing; Assign fires at most once). Each also keeps a
// revision number that grows with every change, so a canvas can tell cheaply whether the
// object it last applied is still current.

#include "platform/Component.h"
#include "platform/GraphicsTypes.h"

#include <QFont>
#include <QString>
#include <cstdint>
#include <functional>

namespace GraphicsEnums {
Q_NAMESPACE

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame, psUserStyle, psAlternate };
Q_ENUM_NS(TPenStyle)

// The mix of the pen (and of fills drawn with it) with the pixels already there.
enum TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
  pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
Q_ENUM_NS(TPenMode)

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
Q_ENUM_NS(TBrushStyle)

enum TFontPitch { fpDefault, fpVariable, fpFixed };
Q_ENUM_NS(TFontPitch)

enum TFontStyle { fsBold = 0x1, fsItalic = 0x2, fsUnderline = 0x4, fsStrikeOut = 0x8 };
Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
Q_FLAG_NS(TFontStyles)

enum TFontQuality { fqDefault, fqDraft, fqProof, fqNonAntialiased, fqAntialiased, fqClearType, fqClearTypeNatural };
Q_ENUM_NS(TFontQuality)

}  // namespace GraphicsEnums
Q_DECLARE_OPERATORS_FOR_FLAGS(GraphicsEnums::TFontStyles)

using GraphicsEnums::TPenStyle;
using enum GraphicsEnums::TPenStyle;
using GraphicsEnums::TPenMode;
using enum GraphicsEnums::TPenMode;
using GraphicsEnums::TBrushStyle;
using enum GraphicsEnums::TBrushStyle;
using GraphicsEnums::TFontPitch;
using enum GraphicsEnums::TFontPitch;
using GraphicsEnums::TFontStyle;
using enum GraphicsEnums::TFontStyle;
using GraphicsEnums::TFontStyles;
using GraphicsEnums::TFontQuality;
using enum GraphicsEnums::TFontQuality;

// Called with the object that changed.
using TChangeEvent = std::function<void(TPersistent* sender)>;

// The logical resolution of the primary screen (96 when there is no screen).
int ScreenPixelsPerInch();

// Base of the font, pen and brush: change notification and revision counting.
class TGraphicsObject : public TPersistent {
  Q_OBJECT
public:
  explicit TGraphicsObject(QObject* parent = nullptr) : TPersistent(parent) {}

  TChangeEvent OnChange;
  // Grows by one with every change.
  uint64_t Revision() const { return FRevision; }

protected:
  // Counts the change and fires OnChange.
  virtual void Changed();
  // Sets field to value and reports the change when it differs.
  template <class T, class U>
  void SetField(T& field, const U& value) {
    if (field == value) return;
    field = value;
    Changed();
  }

private:
  uint64_t FRevision = 0;
};

class TFont : public TGraphicsObject {
  Q_OBJECT
  Q_PROPERTY(TFontCharset Charset READ Charset WRITE SetCharset)
  Q_PROPERTY(TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(int Height READ Height WRITE SetHeight)
  Q_PROPERTY(QString Name READ Name WRITE SetName)
  Q_PROPERTY(int Orientation READ Orientation WRITE SetOrientation)
  Q_PROPERTY(GraphicsEnums::TFontPitch Pitch READ Pitch WRITE SetPitch)
  Q_PROPERTY(GraphicsEnums::TFontStyles Style READ Style WRITE SetStyle)
  Q_PROPERTY(GraphicsEnums::TFontQuality Quality READ Quality WRITE SetQuality)
  DGR_DEFAULT(Orientation, 0)
  DGR_DEFAULT(Pitch, fpDefault)
  DGR_DEFAULT(Quality, fqDefault)
public:
  static constexpr int DefaultHeight = -11;
  static inline const char* const DefaultName = "Tahoma";

  explicit TFont(QObject* parent = nullptr);

  TFontCharset Charset() const { return FCharset; }
  void SetCharset(TFontCharset value) { SetField(FCharset, value); }
  TColor Color() const { return FColor; }
  void SetColor(TColor value) { SetField(FColor, value); }
  // Negative: character height in pixels; positive: cell height (ascent + descent) in pixels.
  int Height() const { return FHeight; }
  void SetHeight(int value) { SetField(FHeight, value); }
  QString Name() const { return FName; }
  void SetName(const QString& value) { SetField(FName, value); }
  // Escapement in tenths of a degree, counter-clockwise on screen.
  int Orientation() const { return FOrientation; }
  void SetOrientation(int value) { SetField(FOrientation, value); }
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch value) { SetField(FPitch, value); }
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles value) { SetField(FStyle, value); }
  TFontQuality Quality() const { return FQuality; }
  void SetQuality(TFontQuality value) { SetField(FQuality, value); }

  // The resolution used to convert between Height and Size (the screen's by default; a
  // canvas sets its own device's on the font it owns).
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int value);
  // Point size derived from the magnitude of Height; never stored.
  int Size() const;
  // Sets Height to the negative character height of size points.
  void SetSize(int points);

  // The Qt font described by this font: pixel-sized, so it draws alike on every device.
  const QFont& ToQFont() const;
  // The pixel size ToQFont uses: |Height| for a character height; for a cell height the size
  // whose ascent + descent comes closest to it; DefaultHeight's magnitude for 0.
  int CharacterPixelSize() const;

  // Copies the published properties (Height in pixels); PixelsPerInch stays this font's own.
  void Assign(const TPersistent* source) override;

protected:
  void Changed() override;

private:
  TFontCharset FCharset = DEFAULT_CHARSET;
  TColor FColor = clWindowText;
  int FHeight = DefaultHeight;
  QString FName;
  int FOrientation = 0;
  TFontPitch FPitch = fpDefault;
  TFontStyles FStyle;
  TFontQuality FQuality = fqDefault;
  int FPixelsPerInch = 96;
  mutable QFont FQFont;
  mutable bool FQFontValid = false;
};

class TPen : public TGraphicsObject {
  Q_OBJECT
  Q_PROPERTY(TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(GraphicsEnums::TPenMode Mode READ Mode WRITE SetMode)
  Q_PROPERTY(GraphicsEnums::TPenStyle Style READ Style WRITE SetStyle)
  Q_PROPERTY(int Width READ Width WRITE SetWidth)
  DGR_DEFAULT(Color, 0)
  DGR_DEFAULT(Mode, pmCopy)
  DGR_DEFAULT(Style, psSolid)
  DGR_DEFAULT(Width, 1)
public:
  explicit TPen(QObject* parent = nullptr) : TGraphicsObject(parent) {}

  TColor Color() const { return FColor; }
  void SetColor(TColor value) { SetField(FColor, value); }
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode value) { SetField(FMode, value); }
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle value) { SetField(FStyle, value); }
  // Stored as given; drawing treats widths below 1 as 1.
  int Width() const { return FWidth; }
  void SetWidth(int value) { SetField(FWidth, value); }

  void Assign(const TPersistent* source) override;

  // What Assign copies, as a value: saving and putting back a canvas's pen costs no object.
  struct TSettings {
    TColor Color = clBlack;
    TPenMode Mode = pmCopy;
    TPenStyle Style = psSolid;
    int Width = 1;
    friend bool operator==(const TSettings&, const TSettings&) = default;
  };
  TSettings Settings() const { return {FColor, FMode, FStyle, FWidth}; }
  // The same as assigning a pen with these settings.
  void SetSettings(const TSettings& settings);

private:
  TColor FColor = clBlack;
  TPenMode FMode = pmCopy;
  TPenStyle FStyle = psSolid;
  int FWidth = 1;
};

class TBrush : public TGraphicsObject {
  Q_OBJECT
  Q_PROPERTY(TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(GraphicsEnums::TBrushStyle Style READ Style WRITE SetStyle)
  DGR_DEFAULT(Color, 0xFFFFFF)
  DGR_DEFAULT(Style, bsSolid)
public:
  explicit TBrush(QObject* parent = nullptr) : TGraphicsObject(parent) {}

  TColor Color() const { return FColor; }
  void SetColor(TColor value) { SetField(FColor, value); }
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle value) { SetField(FStyle, value); }

  void Assign(const TPersistent* source) override;

  // What Assign copies, as a value (see TPen::TSettings).
  struct TSettings {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
    friend bool operator==(const TSettings&, const TSettings&) = default;
  };
  TSettings Settings() const { return {FColor, FStyle}; }
  void SetSettings(const TSettings& settings);

private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
};
