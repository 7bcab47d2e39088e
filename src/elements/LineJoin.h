#pragma once
// TDiagramLineJoin: a small block that sits on another element's link point and carries the
// line ends attached to its own centre point along when that link point moves.

#include "elements/Blocks.h"

class TDiagramLineJoin : public TCustomDiagramBlock {
  Q_OBJECT
  Q_PROPERTY(TBrush* Brush READ Brush WRITE SetBrush)
  Q_PROPERTY(TBrush* SelBrush READ SelBrush WRITE SetSelBrush)
  Q_PROPERTY(TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(TColor SelColor READ SelColor WRITE SetSelColor)
  Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
  Q_PROPERTY(TDiagramControl* Anchor READ Anchor WRITE SetAnchor)
  Q_PROPERTY(int AnchorIndex READ AnchorIndex WRITE SetAnchorIndex)
  Q_PROPERTY(ElementEnums::TAnchorOrientation Orientation READ Orientation WRITE SetOrientation)
public:
  // Size of the join and of its layout space.
  static constexpr double JoinSize = 20;

  explicit TDiagramLineJoin(QObject* owner = nullptr);
  void AfterConstruction() override;

  // Link point 0's anchor: the element and the index of the link point the join sits on.
  TDiagramControl* Anchor() const;
  void SetAnchor(TDiagramControl* anchor);
  int AnchorIndex() const;
  void SetAnchorIndex(int index);
  TAnchorOrientation Orientation() const;
  void SetOrientation(TAnchorOrientation orientation);
  // Where the anchor link point was when the join last followed it (client units).
  TDot OldAnchorPos() const { return FOldAnchorPos; }

  void AnchorLinkChanged(TLinkPoint* linkPoint) override;
  void LinkedAnchorChanged(TLinkPoint* linkPoint, TAnchorChange change) override;
  void Loaded() override;

private:
  TLinkPoint* JoinPoint() const;
  // Moves the join so that its centre lies on the anchor link point.
  void CentreOnAnchor();

  TDot FOldAnchorPos;
};
