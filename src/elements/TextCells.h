#pragma once
// Text cells: rectangles of text an element owns (in its source space), each with its own
// font, alignment, angle and frame. The element draws them (DrawCells, DrawCell,
// DrawCellText); the layout of their text is in TextLayout.h.

#include "elements/DiagramControl.h"
#include "elements/ElementTypes.h"
#include "platform/Collection.h"
#include "platform/Graphics.h"

#include <QPointer>
#include <memory>

class TTextCell;

class TTextCellFrame : public TPersistent {
  Q_OBJECT
  Q_PROPERTY(TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(TBrush* Brush READ Brush WRITE SetBrush)
  Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
  Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
  Q_PROPERTY(bool AutoFrame READ AutoFrame WRITE SetAutoFrame)
  Q_PROPERTY(int AutoFrameMargin READ AutoFrameMargin WRITE SetAutoFrameMargin)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
public:
  explicit TTextCellFrame(TTextCell* cell);
  ~TTextCellFrame() override;

  TColor Color() const { return FColor; }
  void SetColor(TColor color);
  TBrush* Brush() const { return FBrush.get(); }
  void SetBrush(const TBrush* brush);
  TPen* Pen() const { return FPen.get(); }
  void SetPen(const TPen* pen);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  bool AutoFrame() const { return FAutoFrame; }
  void SetAutoFrame(bool value);
  int AutoFrameMargin() const { return FAutoFrameMargin; }
  void SetAutoFrameMargin(int value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);

  void Assign(const TPersistent* source) override;

private:
  void Changed();

  TTextCell* FTextCell;
  bool FTransparent = true;
  bool FAutoFrame = false;
  int FAutoFrameMargin = 0;
  std::unique_ptr<TBrush> FBrush;
  TColor FColor = clWhite;
  std::unique_ptr<TPen> FPen;
  bool FVisible = false;
};

class TTextCell : public TCollectionItem {
  Q_OBJECT
  Q_PROPERTY(TFont* Font READ Font WRITE SetFont)
  Q_PROPERTY(bool DControlAngle READ DControlAngle WRITE SetDControlAngle)
  Q_PROPERTY(double Angle READ Angle WRITE SetAngle)
  Q_PROPERTY(double Left READ Left WRITE SetLeft)
  Q_PROPERTY(double Top READ Top WRITE SetTop)
  Q_PROPERTY(double Width READ Width WRITE SetWidth)
  Q_PROPERTY(double Height READ Height WRITE SetHeight)
  Q_PROPERTY(QString Text READ Text WRITE SetText)
  Q_PROPERTY(bool Clip READ Clip WRITE SetClip)
  Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
  Q_PROPERTY(bool DControlFont READ DControlFont WRITE SetDControlFont)
  Q_PROPERTY(ElementEnums::TAlignment Alignment READ Alignment WRITE SetAlignment)
  Q_PROPERTY(ElementEnums::TVertAlign VertAlign READ VertAlign WRITE SetVertAlign)
  Q_PROPERTY(bool RotateFont READ RotateFont WRITE SetRotateFont)
  Q_PROPERTY(TTextCellFrame* CellFrame READ CellFrame WRITE SetCellFrame)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_PROPERTY(bool ParentTransparency READ ParentTransparency WRITE SetParentTransparency)
  Q_PROPERTY(int Transparency READ Transparency WRITE SetTransparency)
  DGR_STORED(Font, IsFontStored)
  DGR_STORED(Angle, IsAngleStored)
  DGR_DEFAULT(ParentTransparency, true)
public:
  explicit TTextCell(TCollection* collection);
  ~TTextCell() override;
  void AfterConstruction() override;

  // The element owning the cell's collection, nullptr outside one.
  TDiagramControl* DControl() const;

  TFont* Font() const { return FFont.get(); }
  void SetFont(const TFont* font);
  bool DControlFont() const { return FDControlFont; }
  void SetDControlFont(bool value);
  bool DControlAngle() const { return FDControlAngle; }
  void SetDControlAngle(bool value);
  double Angle() const { return FAngle; }
  // An angle of its own: the cell stops following the owner's angle.
  void SetAngle(double angle);
  double Left() const { return FLeft; }
  void SetLeft(double v) { SetBoundsRect({v, FTop, v + FWidth, FTop + FHeight}); }
  double Top() const { return FTop; }
  void SetTop(double v) { SetBoundsRect({FLeft, v, FLeft + FWidth, v + FHeight}); }
  double Width() const { return FWidth; }
  void SetWidth(double v) { SetBoundsRect({FLeft, FTop, FLeft + v, FTop + FHeight}); }
  double Height() const { return FHeight; }
  void SetHeight(double v) { SetBoundsRect({FLeft, FTop, FLeft + FWidth, FTop + v}); }
  TSquare BoundsRect() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
  void SetBoundsRect(const TSquare& rect);
  void SetBounds(double left, double top, double width, double height) {
    SetBoundsRect({left, top, left + width, top + height});
  }
  TSquare DiagramRect() const;
  QString Text() const { return FText; }
  void SetText(const QString& text);
  bool Clip() const { return FClip; }
  void SetClip(bool value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  ElementEnums::TVertAlign VertAlign() const { return FVertAlign; }
  void SetVertAlign(ElementEnums::TVertAlign value);
  bool RotateFont() const { return FRotateFont; }
  void SetRotateFont(bool value);
  TTextCellFrame* CellFrame() const { return FCellFrame.get(); }
  void SetCellFrame(const TTextCellFrame* frame) { FCellFrame->Assign(frame); }
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  bool ParentTransparency() const { return FParentTransparency; }
  void SetParentTransparency(bool value);
  int Transparency() const { return FTransparency; }
  // Kept within 0..100.
  void SetTransparency(int value);
  // The owner's transparency while ParentTransparency is set, else the cell's own.
  int EffectiveTransparency() const;
  QObject* Obj() const { return FObj; }
  void SetObj(QObject* obj) { FObj = obj; }

  Q_INVOKABLE bool IsFontStored() const { return !FDControlFont; }
  Q_INVOKABLE bool IsAngleStored() const { return !FDControlAngle; }

  // The owner's font and angle, when the cell follows them.
  void TakeOwnerFont();
  void TakeOwnerAngle();
  // A change of the cell (reaches the owner as TextCellsChanged).
  void CellChanged() { Changed(false); }

  void Assign(const TPersistent* source) override;

private:
  void FontChanged();
  // Passes font and alignment changes to the in-place editor when it edits this cell.
  void TellEditor();

  bool FWordWrap = true;
  bool FClip = false;
  double FAngle = 0;
  double FHeight = 0;
  double FTop = 0;
  double FLeft = 0;
  double FWidth = 0;
  QString FText;
  std::unique_ptr<TFont> FFont;
  bool FDControlFont = true;
  TAlignment FAlignment = taCenter;
  ElementEnums::TVertAlign FVertAlign = ElementEnums::vaTop;
  bool FRotateFont = true;
  bool FDControlAngle = true;
  std::unique_ptr<TTextCellFrame> FCellFrame;
  bool FVisible = true;
  QPointer<QObject> FObj;
  bool FParentTransparency = true;
  int FTransparency = 0;
  bool FTakingOwnerFont = false;
};

class TTextCells : public TCollection {
  Q_OBJECT
public:
  explicit TTextCells(TDiagramControl* control);

  TDiagramControl* DControl() const { return FDControl; }
  TTextCell* Cell(int index) const { return ItemAs<TTextCell>(index); }
  TTextCell* Add() { return static_cast<TTextCell*>(TCollection::Add()); }

protected:
  void Update(TCollectionItem* item) override;

private:
  TDiagramControl* FDControl;
};
