// The path route's outlines: the block shapes as engine paths, the engine drawer's set-up
// and the outline path used to clip and to hit-test.

#include "elements/Blocks.h"
#include "geometry/BlockShapes.h"

TDgrBlockDrawer* TCustomDiagramBlock::ActiveDgrDrawer() const {
  return EffectiveGraphicLib() != dglGDI ? DgrDrawer() : nullptr;
}

void TCustomDiagramBlock::SetupDgrDrawer(TDgrBlockDrawer* drawer) {
  if (!drawer) return;
  const TSquare b = BoundsRect();
  drawer->SetSourceRect(Drawer()->OriginalRect());
  drawer->SetDestRect(b);
  drawer->SetAngle(Angle());
  drawer->SetRotationCenter({(b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2});
}

void TCustomDiagramBlock::RecreateDgrDrawer() {
  TDiagramControl::RecreateDgrDrawer();
  // The cached outline path belongs to the old drawer's engine.
  FOutlinePath.reset();
  FOutlineValid = false;
}

void TCustomDiagramBlock::GetBlockPath(TDgrGraphicsPath& path, TDgrBlockDrawer& drawer) const {
  const TSquare r = drawer.SourceRect();
  switch (FShape) {
    case bsRectangle: path.AddRectangle(r); break;
    case bsEllipse: path.AddEllipse(r.Left, r.Top, r.Width(), r.Height()); break;
    case bsRoundRect:
      path.AddRoundRect(r.Left, r.Top, r.Right, r.Bottom, r.Width() / 4, r.Height() / 4);
      path.CloseFigure();
      break;
    case bsDiamond: path.AddPolygon(DiamondPoints(r)); break;
    case bsSquareRound:
    case bsNoShape: break;
  }
  BlockPathCreated(path);
}

void TCustomDiagramBlock::GetDgrPath(TDgrGraphicsPath& path, TDgrBlockDrawer& drawer) const {
  if (FShape == bsSquareRound) {
    // Semicircular ends: the corner is as wide and high as the block is high.
    const TSquare d = drawer.DestRect();
    path.AddRoundRect(d.Left, d.Top, d.Right, d.Bottom, d.Height(), d.Height());
    path.CloseFigure();
    drawer.RotatePath(path);
  } else {
    GetBlockPath(path, drawer);
    drawer.TransformPath(path);
  }
  DgrPathCreated(path);
}

void TCustomDiagramBlock::GetSurroundPath(TDgrGraphicsPath& path, TDgrBlockDrawer& drawer) const {
  GetDgrPath(path, drawer);
  SurroundPathCreated(path);
  if (path.GetPointCount() == 0) {
    path.AddRectangle(drawer.SourceRect());
    drawer.TransformPath(path);
  }
}

std::unique_ptr<TDgrGraphicsPath> TCustomDiagramBlock::SurroundPathOf(TDgrBlockDrawer& drawer) const {
  const_cast<TCustomDiagramBlock*>(this)->SetupDgrDrawer(&drawer);
  std::unique_ptr<TDgrGraphicsPath> path = drawer.CreatePath();
  GetSurroundPath(*path, drawer);
  return path;
}
