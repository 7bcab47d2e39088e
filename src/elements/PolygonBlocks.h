#pragma once
// Text blocks and polygon blocks.
//
// TTextBlock is a block for free text: no outline, no rotation, "Text block" to start with.
//
// TCustomPolygonBlock is a block whose outline is a free polygon. Its points are client
// units and stored unrotated; after every rebuild (UpdatePolygon) the bounding box of the
// points, the drawer's reference rectangle (OrRect) and the block's bounds are the same
// rectangle, and Angle turns the polygon about its centre. Every point has its own size
// handle (Data -1), so the outline can be reshaped point by point, while the block still
// moves, resizes and rotates like any block. RotationCenter is the offset of the rotation
// centre from the top-left corner of the bounds, in client units. Text cells and link
// points keep the 0..100 space of other blocks.

#include "elements/Blocks.h"
#include "platform/Collection.h"

#include <QPointer>
#include <memory>

class TStretchHandle;

// --- Point collections ------------------------------------------------------------------

class TDrawPoint : public TCollectionItem {
  Q_OBJECT
  Q_PROPERTY(double X READ X WRITE SetX)
  Q_PROPERTY(double Y READ Y WRITE SetY)
public:
  explicit TDrawPoint(TCollection* collection);

  // The setters only store; nobody is told.
  double X() const { return FX; }
  void SetX(double x) { FX = x; }
  double Y() const { return FY; }
  void SetY(double y) { FY = y; }
  TDot P() const { return {FX, FY}; }
  void SetP(const TDot& p) {
    FX = p.X;
    FY = p.Y;
  }

  void Assign(const TPersistent* source) override;

private:
  double FX = 0;
  double FY = 0;
};

class TDrawPoints : public TCollection {
  Q_OBJECT
public:
  explicit TDrawPoints(QObject* owner);

  TDrawPoint* Point(int index) const { return ItemAs<TDrawPoint>(index); }
  TDrawPoint* Add() { return static_cast<TDrawPoint*>(TCollection::Add()); }
  TDrawPoint* Add(double x, double y);
  // Adds a copy of every point of points, in order, at the end.
  void Append(const TDrawPoints* points);
  TDotArray Dots() const;
  // Writes the coordinates back point by point; dots must have Count() entries.
  void SetDots(const TDotArray& dots);

protected:
  TDrawPoints(QObject* owner, TItemFactory factory);
};

class TPolygonPoint : public TDrawPoint {
  Q_OBJECT
public:
  explicit TPolygonPoint(TCollection* collection);

  // The block handle that represents the point, or nullptr.
  TStretchHandle* Handle() const { return FHandle; }
  void SetHandle(TStretchHandle* handle) { FHandle = handle; }

  // Copies X and Y only.
  void Assign(const TPersistent* source) override;

private:
  // The handle belongs to the block's handle collection; a handle freed there reads nullptr.
  QPointer<TStretchHandle> FHandle;
};

class TPolygonPoints : public TDrawPoints {
  Q_OBJECT
public:
  // destroyObjects: the collection of the block's own polygon, whose points' handles are
  // freed with the points; working copies only carry the references.
  TPolygonPoints(QObject* owner, bool destroyObjects);

  bool DestroyObjects() const { return FDestroyObjects; }
  TPolygonPoint* Point(int index) const { return ItemAs<TPolygonPoint>(index); }
  TPolygonPoint* Add() { return static_cast<TPolygonPoint*>(TCollection::Add()); }
  TPolygonPoint* Add(double x, double y);
  // The first point whose Handle is handle; nullptr when none (or for nullptr).
  TPolygonPoint* FindByHandle(const TStretchHandle* handle) const;
  int IndexOfHandle(const TStretchHandle* handle) const;
  // The points followed by the first one again (n + 1 entries); empty without points.
  TDotArray ClosedPoints() const;
  // A working copy: coordinates, and the handle references by index.
  void CopyFrom(const TPolygonPoints& source);

protected:
  void Notify(TCollectionItem* item, TCollectionNotification action) override;

private:
  bool FDestroyObjects;
};

// (min X, min Y, max X, max Y) of the points; (0, 0, 0, 0) for none.
TSquare PolygonBounds(const TDrawPoints& points);
// Stretches the points from their own box onto rect (block mapping, vertical offsets rounded).
void FitPolygon(TDrawPoints& points, const TSquare& rect);
// Turns the points by angle about the centre of ref's box, or of their own box without ref.
void RotatePolygon(TDrawPoints& points, const TDrawPoints* ref, double angle);

// --- Blocks -----------------------------------------------------------------------------

class TCustomPolygonBlock : public TCustomDiagramBlock {
  Q_OBJECT
  DGR_DEFAULT(PointColor, 0x00FF00)
public:
  explicit TCustomPolygonBlock(QObject* owner = nullptr);
  ~TCustomPolygonBlock() override;
  void AfterConstruction() override;

  // Code may change the points and then call ChangePolygon (the argument is not used): it
  // rebuilds handles and the reference rectangle but leaves the bounds as they are.
  TPolygonPoints* Polygon() const { return FPolygon.get(); }
  void ChangePolygon(TPolygonPoints* polygon = nullptr);
  // Reframes onto the points' box, lays the block handles out on it and gives every point
  // a handle (Data -1).
  void UpdatePolygon();

  TColor PointColor() const { return FPointColor; }
  void SetPointColor(TColor color);
  // The mouse position while the polygon is being drawn.
  TDot TempPolygonPoint() const { return FTempPolygonPoint; }
  // The polygon a drag would produce (valid after a position-cursor action).
  const TPolygonPoints* CursorPolygon() const { return FCursorPolygon.get(); }
  // The drawer's reference rectangle: the points' box after every rebuild.
  TSquare OrRect() const;

  // --- Overrides ----------------------------------------------------------------------
  void DefineProperties(TFiler& filer) override;
  void Loaded() override;
  void ApplyCursorGeometry() override;
  void RestoreSavedGeometry() override;
  TSquare SourceRectToClient(const TSquare& rect) const override;
  void ControlMoving(TControlMoveInfo& info) override;
  void ControlDrawing(TControlDrawInfo& info) override;
  void HandleMoving(THandleMoveInfo& info) override;
  void DrawHandle(const TDiagramDrawInfo& info, TStretchHandle* handle) override;
  TDot HandleClientPoint(const TStretchHandle* handle) const override;
  TDot LinkPointClientPoint(const TLinkPoint* linkPoint) const override;
  TDot RotationCenterPoint() const override;
  void BoundsChanged(const TSquare& oldBounds, const TSquare& newBounds) override;
  void GetSurroundPoints(TDotArray& points) const override;
  void GetDgrPath(TDgrGraphicsPath& path, TDgrBlockDrawer& drawer) const override;
  void GetSurroundPath(TDgrGraphicsPath& path, TDgrBlockDrawer& drawer) const override;
  void DrawShape(const TDiagramDrawInfo& info, const TDiagramDrawBlockInfo& blockInfo) override;

private:
  bool IsPointHandle(const TStretchHandle* handle) const;
  // Carries the rotation centre from OrRect into box (the offset it would have there).
  TDot RotationCenterIn(const TSquare& box) const;
  void ReframePolygon(const TSquare& box);
  TDot CentreOfBounds() const;
  // Copy of Polygon turned by Angle, point index moved by delta, turned back about the
  // centre of its new box.
  void MovedPointPolygon(TPolygonPoints& into, int index, const TDot& delta) const;
  void PointHandleMoving(THandleMoveInfo& info, int index);
  // The drag outline: dotted, inverting, unfilled, points in client units.
  void DrawPolygonCursor(TCanvas* canvas, const TPolygonPoints& points) const;
  // Drawing a new polygon: the inverting line to the mouse, the segment just added.
  void DrawRubberBand(TCanvas* canvas, const TCustomDiagram* diagram) const;
  void DrawLastSegment(TCanvas* canvas, const TCustomDiagram* diagram) const;
  TDot NewRotationCenter(const TDot& delta) const;

  std::unique_ptr<TPolygonPoints> FPolygon;
  std::unique_ptr<TPolygonPoints> FTempPolygon;
  std::unique_ptr<TPolygonPoints> FCursorPolygon;
  std::unique_ptr<TPolygonPoints> FSavePolygon;
  TDot FTempPolygonPoint;
  TColor FPointColor = static_cast<TColor>(0x00FF00);
};

class TPolygonBlock : public TCustomPolygonBlock {
  Q_OBJECT
  Q_PROPERTY(double Left READ Left WRITE SetLeft)
  Q_PROPERTY(double Top READ Top WRITE SetTop)
  Q_PROPERTY(double Width READ Width WRITE SetWidth)
  Q_PROPERTY(double Height READ Height WRITE SetHeight)
  Q_PROPERTY(double Angle READ Angle WRITE SetAngle)
  Q_PROPERTY(TBrush* Brush READ Brush WRITE SetBrush)
  Q_PROPERTY(TBrush* SelBrush READ SelBrush WRITE SetSelBrush)
  Q_PROPERTY(TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(TColor SelColor READ SelColor WRITE SetSelColor)
  Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
  Q_PROPERTY(TLinkPoints* LinkPoints READ LinkPoints WRITE SetLinkPoints)
  Q_PROPERTY(TStrings* Strings READ Strings WRITE SetStrings STORED false)
  Q_PROPERTY(ElementEnums::TAlignment Alignment READ Alignment WRITE SetAlignment STORED false)
  Q_PROPERTY(ElementEnums::TVertAlign VertAlign READ VertAlign WRITE SetVertAlign STORED false)
  Q_PROPERTY(bool ClipText READ ClipText WRITE SetClipText)
  Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap STORED false)
  Q_PROPERTY(TTextCells* TextCells READ TextCells WRITE SetTextCells)
  Q_PROPERTY(ElementEnums::TControlRestrictions Restrictions READ Restrictions WRITE SetRestrictions)
  Q_PROPERTY(TFont* Font READ Font WRITE SetFont)
  Q_PROPERTY(bool DiagramFont READ DiagramFont WRITE SetDiagramFont)
  Q_PROPERTY(int MinWidth READ MinWidth WRITE SetMinWidth)
  Q_PROPERTY(int MinHeight READ MinHeight WRITE SetMinHeight)
  Q_PROPERTY(TBlockShadow* Shadow READ Shadow WRITE SetShadow)
  Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)
  Q_PROPERTY(bool ParentShowHint READ ParentShowHint WRITE SetParentShowHint)
  Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
  Q_PROPERTY(TDiagramGradient* Gradient READ Gradient WRITE SetGradient)
  Q_PROPERTY(TBitmap* Bitmap READ Bitmap WRITE SetBitmap)
  Q_PROPERTY(BlockEnums::TBitmapMode BitmapMode READ BitmapMode WRITE SetBitmapMode)
  Q_PROPERTY(bool BitmapTransparent READ BitmapTransparent WRITE SetBitmapTransparent)
  Q_PROPERTY(TMetafile* Metafile READ Metafile WRITE SetMetafile)
  Q_PROPERTY(TPicture* Picture READ Picture WRITE SetPicture)
  Q_PROPERTY(BlockEnums::TPictureMode PictureMode READ PictureMode WRITE SetPictureMode)
  Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
  Q_PROPERTY(TCursor Cursor READ Cursor WRITE SetCursor)
  Q_PROPERTY(QString StringData READ StringData WRITE SetStringData)
  Q_PROPERTY(int Transparency READ Transparency WRITE SetTransparency)
  Q_PROPERTY(TColor PointColor READ PointColor WRITE SetPointColor)
  Q_PROPERTY(QString LayerName READ LayerName WRITE SetLayerName)
public:
  explicit TPolygonBlock(QObject* owner = nullptr);

  void SetLinkPoints(const TLinkPoints* points) { LinkPoints()->Assign(points); }
};

// A block for free text: publishes the list of TDiagramBlock.
class TTextBlock : public TCustomDiagramBlock {
  Q_OBJECT
  Q_PROPERTY(double Left READ Left WRITE SetLeft)
  Q_PROPERTY(double Top READ Top WRITE SetTop)
  Q_PROPERTY(double Width READ Width WRITE SetWidth)
  Q_PROPERTY(double Height READ Height WRITE SetHeight)
  Q_PROPERTY(double Angle READ Angle WRITE SetAngle)
  Q_PROPERTY(TBrush* Brush READ Brush WRITE SetBrush)
  Q_PROPERTY(TBrush* SelBrush READ SelBrush WRITE SetSelBrush)
  Q_PROPERTY(TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(TColor SelColor READ SelColor WRITE SetSelColor)
  Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
  Q_PROPERTY(ElementEnums::TBlockShape Shape READ Shape WRITE SetShape)
  Q_PROPERTY(TLinkPoints* LinkPoints READ LinkPoints WRITE SetLinkPoints)
  Q_PROPERTY(TStrings* Strings READ Strings WRITE SetStrings STORED false)
  Q_PROPERTY(ElementEnums::TAlignment Alignment READ Alignment WRITE SetAlignment STORED false)
  Q_PROPERTY(ElementEnums::TVertAlign VertAlign READ VertAlign WRITE SetVertAlign STORED false)
  Q_PROPERTY(bool ClipText READ ClipText WRITE SetClipText)
  Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap STORED false)
  Q_PROPERTY(TTextCells* TextCells READ TextCells WRITE SetTextCells)
  Q_PROPERTY(ElementEnums::TControlRestrictions Restrictions READ Restrictions WRITE SetRestrictions)
  Q_PROPERTY(TFont* Font READ Font WRITE SetFont)
  Q_PROPERTY(bool DiagramFont READ DiagramFont WRITE SetDiagramFont)
  Q_PROPERTY(int MinWidth READ MinWidth WRITE SetMinWidth)
  Q_PROPERTY(int MinHeight READ MinHeight WRITE SetMinHeight)
  Q_PROPERTY(TBlockShadow* Shadow READ Shadow WRITE SetShadow)
  Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)
  Q_PROPERTY(bool ParentShowHint READ ParentShowHint WRITE SetParentShowHint)
  Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
  Q_PROPERTY(TDiagramGradient* Gradient READ Gradient WRITE SetGradient)
  Q_PROPERTY(TBitmap* Bitmap READ Bitmap WRITE SetBitmap)
  Q_PROPERTY(BlockEnums::TBitmapMode BitmapMode READ BitmapMode WRITE SetBitmapMode)
  Q_PROPERTY(bool BitmapTransparent READ BitmapTransparent WRITE SetBitmapTransparent)
  Q_PROPERTY(TMetafile* Metafile READ Metafile WRITE SetMetafile)
  Q_PROPERTY(TPicture* Picture READ Picture WRITE SetPicture)
  Q_PROPERTY(BlockEnums::TPictureMode PictureMode READ PictureMode WRITE SetPictureMode)
  Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
  Q_PROPERTY(TCursor Cursor READ Cursor WRITE SetCursor)
  Q_PROPERTY(QString StringData READ StringData WRITE SetStringData)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_PROPERTY(int Layer READ Layer WRITE SetLayer)
  Q_PROPERTY(QString LayerName READ LayerName WRITE SetLayerName)
  Q_PROPERTY(int Transparency READ Transparency WRITE SetTransparency)
public:
  explicit TTextBlock(QObject* owner = nullptr);
  void AfterConstruction() override;

  void SetLinkPoints(const TLinkPoints* points) { LinkPoints()->Assign(points); }
};

// Registers TTextBlock and TPolygonBlock with the class registry. Safe to call more than once.
void RegisterPolygonBlockClasses();
