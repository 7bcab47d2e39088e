#pragma once
// The looks of an element's grips: one look per handle kind. Elements reset them from the
// diagram's handle style before drawing, so they hold no lasting state of their own.

#include "elements/ElementTypes.h"
#include "platform/Component.h"
#include "platform/Graphics.h"

#include <memory>

class THandleAppearance : public TPersistent {
  Q_OBJECT
  Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
  Q_PROPERTY(TBrush* Brush READ Brush WRITE SetBrush)
  Q_PROPERTY(TPen* DisabledPen READ DisabledPen WRITE SetDisabledPen)
  Q_PROPERTY(TBrush* DisabledBrush READ DisabledBrush WRITE SetDisabledBrush)
  Q_PROPERTY(int Size READ Size WRITE SetSize)
  Q_PROPERTY(ElementEnums::THandleAppearanceStyle Style READ Style WRITE SetStyle)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  DGR_DEFAULT(Visible, true)
public:
  THandleAppearance();
  ~THandleAppearance() override;

  TPen* Pen() const { return FPen.get(); }
  void SetPen(const TPen* pen) { FPen->Assign(pen); }
  TBrush* Brush() const { return FBrush.get(); }
  void SetBrush(const TBrush* brush) { FBrush->Assign(brush); }
  TPen* DisabledPen() const { return FDisabledPen.get(); }
  void SetDisabledPen(const TPen* pen) { FDisabledPen->Assign(pen); }
  TBrush* DisabledBrush() const { return FDisabledBrush.get(); }
  void SetDisabledBrush(const TBrush* brush) { FDisabledBrush->Assign(brush); }
  // Half the grip's width in canvas pixels.
  int Size() const { return FSize; }
  void SetSize(int size) { FSize = size; }
  THandleAppearanceStyle Style() const { return FStyle; }
  void SetStyle(THandleAppearanceStyle style) { FStyle = style; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool visible) { FVisible = visible; }

  void Assign(const TPersistent* source) override;

private:
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FDisabledBrush;
  std::unique_ptr<TBrush> FBrush;
  int FSize = 0;
  THandleAppearanceStyle FStyle = hhRectangle;
  std::unique_ptr<TPen> FDisabledPen;
  bool FVisible = true;
};

class THandlesAppearance : public TPersistent {
  Q_OBJECT
  Q_PROPERTY(THandleAppearance* Size READ Size WRITE SetSize)
  Q_PROPERTY(THandleAppearance* Rotate READ Rotate WRITE SetRotate)
  Q_PROPERTY(THandleAppearance* Custom READ Custom WRITE SetCustom)
  Q_PROPERTY(THandleAppearance* RotCenter READ RotCenter WRITE SetRotCenter)
public:
  THandlesAppearance();
  ~THandlesAppearance() override;

  THandleAppearance* Size() const { return FSize.get(); }
  void SetSize(const THandleAppearance* look) { FSize->Assign(look); }
  THandleAppearance* Rotate() const { return FRotate.get(); }
  void SetRotate(const THandleAppearance* look) { FRotate->Assign(look); }
  THandleAppearance* Custom() const { return FCustom.get(); }
  void SetCustom(const THandleAppearance* look) { FCustom->Assign(look); }
  THandleAppearance* RotCenter() const { return FRotCenter.get(); }
  void SetRotCenter(const THandleAppearance* look) { FRotCenter->Assign(look); }

  void Assign(const TPersistent* source) override;

  // Sets the looks a diagram's handles style asks for (member: the element is a group
  // member, which the Visio style marks with grey outlines and crosses). Settings the style
  // does not name keep their values.
  void ResetForStyle(TDiagramHandlesStyle style, bool member);

private:
  std::unique_ptr<THandleAppearance> FCustom;
  std::unique_ptr<THandleAppearance> FRotate;
  std::unique_ptr<THandleAppearance> FRotCenter;
  std::unique_ptr<THandleAppearance> FSize;
};
