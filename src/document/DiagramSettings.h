#pragma once
// Settings objects the diagram owns and streams as sub-objects: scroll bars, snap grid,
// page lines, background, rulers, page and print settings. Each reports its changes to
// the diagram through a callback; the behaviour behind most settings comes with the
// painting, paging and ruler code.

#include "drawing/Gradient.h"
#include "platform/Component.h"
#include "platform/ControlTypes.h"
#include "platform/Graphics.h"
#include "platform/GraphicsTypes.h"

#include <functional>
#include <memory>

namespace DocumentEnums {
Q_NAMESPACE
enum TScrollBarStyle { ssRegular, ssFlat, ssHotTrack };
Q_ENUM_NS(TScrollBarStyle)
enum TGridStyle { gsDots, gsLines, gsRuler };
Q_ENUM_NS(TGridStyle)
enum TBackImageStyle { biTile, biFixed };
Q_ENUM_NS(TBackImageStyle)
enum TRulerUnits { unMili, unCenti, unInch, unPixel };
Q_ENUM_NS(TRulerUnits)
enum TRulerPosition { rpTop, rpLeft };
Q_ENUM_NS(TRulerPosition)
enum TDiagramPageOrientation { dpoPortrait, dpoLandscape };
Q_ENUM_NS(TDiagramPageOrientation)
}  // namespace DocumentEnums

using DocumentEnums::TScrollBarStyle;
using enum DocumentEnums::TScrollBarStyle;
using DocumentEnums::TGridStyle;
using enum DocumentEnums::TGridStyle;
using DocumentEnums::TBackImageStyle;
using enum DocumentEnums::TBackImageStyle;
using DocumentEnums::TRulerUnits;
using enum DocumentEnums::TRulerUnits;
using DocumentEnums::TRulerPosition;
using enum DocumentEnums::TRulerPosition;
using DocumentEnums::TDiagramPageOrientation;
using enum DocumentEnums::TDiagramPageOrientation;

class TvxDiagram;

// Base of the diagram's settings objects: they know their diagram.
class TDiagramSettings : public TDiagramPersistent {
  Q_OBJECT
public:
  explicit TDiagramSettings(TvxDiagram* diagram) : FDiagram(diagram) {}
  TvxDiagram* Diagram() const { return FDiagram; }

protected:
  TvxDiagram* FDiagram;
};

class TDiagramScrollBar : public TDiagramSettings {
  Q_OBJECT
  Q_PROPERTY(TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(int Increment READ Increment WRITE SetIncrement)
  Q_PROPERTY(int Margin READ Margin WRITE SetMargin)
  Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
  Q_PROPERTY(int Position READ Position WRITE SetPosition)
  Q_PROPERTY(int Range READ Range WRITE SetRange)
  Q_PROPERTY(bool Smooth READ Smooth WRITE SetSmooth)
  Q_PROPERTY(int Size READ Size WRITE SetSize)
  Q_PROPERTY(DocumentEnums::TScrollBarStyle Style READ Style WRITE SetStyle)
  Q_PROPERTY(int ThumbSize READ ThumbSize WRITE SetThumbSize)
  Q_PROPERTY(bool Tracking READ Tracking WRITE SetTracking)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  DGR_DEFAULT(Color, 0xFF000014)
  DGR_DEFAULT(Increment, 8)
  DGR_DEFAULT(Margin, 0)
  DGR_DEFAULT(ParentColor, true)
  DGR_DEFAULT(Position, 0)
  DGR_DEFAULT(Range, 0)
  DGR_DEFAULT(Smooth, false)
  DGR_DEFAULT(Size, 0)
  DGR_DEFAULT(Style, ssRegular)
  DGR_DEFAULT(ThumbSize, 0)
  DGR_DEFAULT(Tracking, false)
  DGR_DEFAULT(Visible, true)
  DGR_STORED(Increment, IsIncrementStored)
  DGR_STORED(Range, IsRangeStored)
public:
  static constexpr TColor DefaultColor = clBtnHighlight;
  TDiagramScrollBar(TvxDiagram* diagram, TScrollBarKind kind) : TDiagramSettings(diagram), FKind(kind) {}

  TScrollBarKind Kind() const { return FKind; }
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  int Increment() const { return FIncrement; }
  // Kept within 1..32767.
  void SetIncrement(int value);
  int Margin() const { return FMargin; }
  void SetMargin(int value) { SetField(FMargin, value < 0 ? 0 : value > 65535 ? 65535 : value); }
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool value);
  int Position() const { return FPosition; }
  // Clamped to 0..the largest position unless the diagram is reading a stream.
  void SetPosition(int value);
  int Range() const { return FRange; }
  void SetRange(int value);
  int PageIncrement() const { return FPageIncrement; }
  void SetPageIncrement(int value) { FPageIncrement = value; }
  bool Smooth() const { return FSmooth; }
  void SetSmooth(bool value) { SetField(FSmooth, value); }
  int Size() const { return FSize; }
  void SetSize(int value) { SetField(FSize, value); }
  TScrollBarStyle Style() const { return FStyle; }
  void SetStyle(TScrollBarStyle value) { SetField(FStyle, value); }
  int ThumbSize() const { return FThumbSize; }
  void SetThumbSize(int value) { SetField(FThumbSize, value); }
  bool Tracking() const { return FTracking; }
  void SetTracking(bool value) { SetField(FTracking, value); }
  bool Visible() const { return FVisible; }
  void SetVisible(bool value) { SetField(FVisible, value); }
  int ScrollPos() const { return FVisible ? FPosition : 0; }

  Q_INVOKABLE bool IsIncrementStored() const { return !FSmooth; }
  Q_INVOKABLE bool IsRangeStored() const;

  void Assign(const TPersistent* source) override;

private:
  TScrollBarKind FKind;
  int FPageIncrement = 80;
  int FIncrement = 8;
  int FPosition = 0;
  int FRange = 0;
  int FMargin = 0;
  bool FVisible = true;
  bool FTracking = false;
  bool FSmooth = false;
  TColor FColor = DefaultColor;
  bool FParentColor = true;
  int FSize = 0;
  TScrollBarStyle FStyle = ssRegular;
  int FThumbSize = 0;
};

class TSnapGrid : public TDiagramSettings {
  Q_OBJECT
  Q_PROPERTY(bool Active READ Active WRITE SetActive)
  Q_PROPERTY(bool Force READ Force WRITE SetForce)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_PROPERTY(double SizeX READ SizeX WRITE SetSizeX)
  Q_PROPERTY(double SizeY READ SizeY WRITE SetSizeY)
  Q_PROPERTY(DocumentEnums::TGridStyle Style READ Style WRITE SetStyle)
  Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
  Q_PROPERTY(bool SnapToRuler READ SnapToRuler WRITE SetSnapToRuler)
public:
  explicit TSnapGrid(TvxDiagram* diagram);
  ~TSnapGrid() override;

  bool Active() const { return FActive; }
  void SetActive(bool value) { FActive = value; }
  bool Force() const { return FForce; }
  void SetForce(bool value) { FForce = value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool value) { SetField(FVisible, value); }
  double SizeX() const { return FSizeX; }
  void SetSizeX(double value) { SetField(FSizeX, value); }
  double SizeY() const { return FSizeY; }
  void SetSizeY(double value) { SetField(FSizeY, value); }
  TGridStyle Style() const { return FStyle; }
  void SetStyle(TGridStyle value) { SetField(FStyle, value); }
  TPen* Pen() const { return FPen.get(); }
  void SetPen(const TPen* pen) { FPen->Assign(pen); }
  bool SnapToRuler() const { return FSnapToRuler; }
  void SetSnapToRuler(bool value) { FSnapToRuler = value; }

  // (SizeX * Round(x / SizeX), SizeY * Round(y / SizeY)); a zero size leaves that axis.
  TDot SnapPoint(const TDot& point) const;
  void Assign(const TPersistent* source) override;

private:
  bool FForce = false;
  bool FActive = false;
  bool FVisible = false;
  double FSizeX = 8;
  double FSizeY = 8;
  std::unique_ptr<TPen> FPen;
  TGridStyle FStyle = gsDots;
  bool FSnapToRuler = false;
};

class TPageLines : public TDiagramSettings {
  Q_OBJECT
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
  DGR_DEFAULT(Visible, false)
public:
  explicit TPageLines(TvxDiagram* diagram);
  ~TPageLines() override;

  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  TPen* Pen() const { return FPen.get(); }
  void SetPen(const TPen* pen) { FPen->Assign(pen); }
  void Assign(const TPersistent* source) override;

private:
  bool FVisible = false;
  std::unique_ptr<TPen> FPen;
};

class TDiagramBackground : public TDiagramSettings {
  Q_OBJECT
  Q_PROPERTY(bool Scroll READ Scroll WRITE SetScroll)
  Q_PROPERTY(DocumentEnums::TBackImageStyle Style READ Style WRITE SetStyle)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_PROPERTY(TDiagramGradient* Gradient READ Gradient WRITE SetGradient)
  Q_PROPERTY(bool PrintGradient READ PrintGradient WRITE SetPrintGradient)
  DGR_DEFAULT(Scroll, true)
  DGR_DEFAULT(Style, biTile)
  DGR_DEFAULT(Visible, false)
  DGR_DEFAULT(PrintGradient, false)
public:
  explicit TDiagramBackground(TvxDiagram* diagram);
  ~TDiagramBackground() override;

  bool Scroll() const { return FScroll; }
  void SetScroll(bool value) { SetField(FScroll, value); }
  TBackImageStyle Style() const { return FStyle; }
  void SetStyle(TBackImageStyle value) { SetField(FStyle, value); }
  bool Visible() const { return FVisible; }
  void SetVisible(bool value) { SetField(FVisible, value); }
  TDiagramGradient* Gradient() const { return FGradient.get(); }
  void SetGradient(const TDiagramGradient* gradient) { FGradient->Assign(gradient); }
  bool PrintGradient() const { return FPrintGradient; }
  void SetPrintGradient(bool value) { FPrintGradient = value; }

  void Assign(const TPersistent* source) override;

private:
  TBackImageStyle FStyle = biTile;
  bool FScroll = true;
  bool FVisible = false;
  std::unique_ptr<TDiagramGradient> FGradient;
  bool FPrintGradient = false;
};

class TDiagramRuler : public TDiagramSettings {
  Q_OBJECT
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_PROPERTY(int Divisions READ Divisions WRITE SetDivisions)
  Q_PROPERTY(TFont* Font READ Font WRITE SetFont)
  Q_PROPERTY(DocumentEnums::TRulerUnits Units READ Units WRITE SetUnits)
  Q_PROPERTY(int MinorTickLength READ MinorTickLength WRITE SetMinorTickLength)
  Q_PROPERTY(int MajorTickLength READ MajorTickLength WRITE SetMajorTickLength)
  Q_PROPERTY(TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(TColor TickColor READ TickColor WRITE SetTickColor)
  Q_PROPERTY(int Size READ Size WRITE SetSize)
  Q_PROPERTY(bool AutoFactor READ AutoFactor WRITE SetAutoFactor)
  Q_PROPERTY(TColor GridColor READ GridColor WRITE SetGridColor)
public:
  TDiagramRuler(TvxDiagram* diagram, TRulerPosition position);
  ~TDiagramRuler() override;

  TRulerPosition Position() const { return FPosition; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool value) { SetField(FVisible, value); }
  int Divisions() const { return FDivisions; }
  void SetDivisions(int value) { SetField(FDivisions, value); }
  TFont* Font() const { return FFont.get(); }
  void SetFont(const TFont* font) { FFont->Assign(font); }
  TRulerUnits Units() const;
  // Also resets Divisions to the unit's default.
  void SetUnits(TRulerUnits value);
  int MinorTickLength() const { return FMinorTickLength; }
  void SetMinorTickLength(int value) { SetField(FMinorTickLength, value); }
  int MajorTickLength() const { return FMajorTickLength; }
  void SetMajorTickLength(int value) { SetField(FMajorTickLength, value); }
  TColor Color() const { return FColor; }
  void SetColor(TColor value) { SetField(FColor, value); }
  TColor TickColor() const { return FTickColor; }
  void SetTickColor(TColor value) { SetField(FTickColor, value); }
  int Size() const { return FSize; }
  void SetSize(int value) { SetField(FSize, value); }
  bool AutoFactor() const { return FAutoFactor; }
  void SetAutoFactor(bool value) { SetField(FAutoFactor, value); }
  TColor GridColor() const { return FGridColor; }
  void SetGridColor(TColor value) { SetField(FGridColor, value); }
  int VisibleSize() const { return FVisible ? FSize : 0; }
  int Zoom() const { return FZoom; }
  void SetZoom(int percent) { SetField(FZoom, percent); }

  static int DefaultDivisions(TRulerUnits units) { return units == unInch ? 8 : units == unPixel ? 10 : 5; }
  void Assign(const TPersistent* source) override;

private:
  int FZoom = 100;
  TRulerUnits FUnits = unCenti;
  std::unique_ptr<TFont> FFont;
  int FOffset = 0;
  int FMajorTickLength = 6;
  int FMinorTickLength = 4;
  TRulerPosition FPosition;
  int FDivisions = 5;
  TColor FColor = clWhite;
  int FSize = 0;
  TColor FTickColor = clBlack;
  bool FAutoFactor = true;
  TColor FGridColor = clSilver;
  bool FVisible = false;
};

class TDiagramPageSettings : public TDiagramSettings {
  Q_OBJECT
  Q_PROPERTY(QString PaperName READ PaperName WRITE SetPaperName)
  Q_PROPERTY(int PaperId READ PaperId WRITE SetPaperId)
  Q_PROPERTY(double PaperWidth READ PaperWidth WRITE SetPaperWidth)
  Q_PROPERTY(double PaperHeight READ PaperHeight WRITE SetPaperHeight)
  Q_PROPERTY(DocumentEnums::TDiagramPageOrientation Orientation READ Orientation WRITE SetOrientation)
  Q_PROPERTY(QString LeftMarginStr READ LeftMarginStr WRITE SetLeftMarginStr)
  Q_PROPERTY(QString TopMarginStr READ TopMarginStr WRITE SetTopMarginStr)
  Q_PROPERTY(QString RightMarginStr READ RightMarginStr WRITE SetRightMarginStr)
  Q_PROPERTY(QString BottomMarginStr READ BottomMarginStr WRITE SetBottomMarginStr)
public:
  explicit TDiagramPageSettings(TvxDiagram* diagram) : TDiagramSettings(diagram) { ResetToDefaultPaper(); }

  QString PaperName() const { return FPaperName; }
  void SetPaperName(const QString& value) { SetField(FPaperName, value); }
  int PaperId() const { return FPaperId; }
  void SetPaperId(int value) { SetField(FPaperId, value); }
  double PaperWidth() const { return FPaperWidth; }
  void SetPaperWidth(double value) { SetField(FPaperWidth, value); }
  double PaperHeight() const { return FPaperHeight; }
  void SetPaperHeight(double value) { SetField(FPaperHeight, value); }
  TDiagramPageOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TDiagramPageOrientation value) { SetField(FOrientation, value); }
  double LeftMargin() const { return FLeftMargin; }
  void SetLeftMargin(double value) { SetField(FLeftMargin, value); }
  double TopMargin() const { return FTopMargin; }
  void SetTopMargin(double value) { SetField(FTopMargin, value); }
  double RightMargin() const { return FRightMargin; }
  void SetRightMargin(double value) { SetField(FRightMargin, value); }
  double BottomMargin() const { return FBottomMargin; }
  void SetBottomMargin(double value) { SetField(FBottomMargin, value); }
  // Margins in millimetres as text with '.' whatever the locale.
  QString LeftMarginStr() const { return FormatMargin(FLeftMargin); }
  void SetLeftMarginStr(const QString& text) { SetLeftMargin(ParseMargin(text)); }
  QString TopMarginStr() const { return FormatMargin(FTopMargin); }
  void SetTopMarginStr(const QString& text) { SetTopMargin(ParseMargin(text)); }
  QString RightMarginStr() const { return FormatMargin(FRightMargin); }
  void SetRightMarginStr(const QString& text) { SetRightMargin(ParseMargin(text)); }
  QString BottomMarginStr() const { return FormatMargin(FBottomMargin); }
  void SetBottomMarginStr(const QString& text) { SetBottomMargin(ParseMargin(text)); }

  // A4 portrait (210 x 297 mm, identifier 9) with 25.4 mm margins: the paper of a
  // machine without printers.
  void ResetToDefaultPaper();
  static QString FormatMargin(double millimetres);
  // Raises EConvertError for text that is not a number.
  static double ParseMargin(const QString& text);
  void Assign(const TPersistent* source) override;

private:
  double FPaperHeight = 0;
  double FPaperWidth = 0;
  int FPaperId = 0;
  QString FPaperName;
  TDiagramPageOrientation FOrientation = dpoPortrait;
  double FTopMargin = 0;
  double FLeftMargin = 0;
  double FRightMargin = 0;
  double FBottomMargin = 0;
};

// Print job settings; not stored in files.
class TDiagramPrintSettings : public TDiagramSettings {
  Q_OBJECT
public:
  using TDiagramSettings::TDiagramSettings;
  int Copies = 1;
  QString Title;
  QString PageNumbers;
};
