#pragma once
// Blocks: the shapes a diagram holds.
//
// TCustomDiagramBlock is a rectangle in client units (Left, Top, Width, Height, doubles)
// turned by Angle degrees (clockwise on screen) about its centre. Everything it shows or
// offers (handles, link points, text cells, the outline) is laid out in the reference space
// of its drawer, (0, 0, 100, 100) for every block but polygon blocks, and mapped onto the
// current rectangle, so the block can be resized and rotated freely.
//
// Painting runs in layers, each one call of DrawShape with pen and brush prepared for it:
// shadow, fill, gradient, pattern brush, pictures (bitmap, metafile, picture), outline;
// then the text cells. The raster route draws through the block's TBlockDrawer on the
// raster canvas in canvas pixels.
//
// Geometry input is checked: non-finite coordinates and angles are refused (the value stays
// as it was), angles are kept in [0, 360).
//
// TCustomDiagramBlock publishes nothing itself, so every published class chooses its own
// list and order (families leave out Shape or LinkPoints, for example). The stored
// predicates and the owner-level defaults of the sub-objects are declared here and found by
// every derived class.

#include "elements/DiagramControl.h"
#include "elements/LinkPoints.h"
#include "elements/TextCells.h"
#include "drawing/Gradient.h"
#include "geometry/BlockDrawer.h"
#include "platform/Graphics.h"
#include "platform/Pictures.h"
#include "platform/Strings.h"

#include <memory>
#include <optional>
#include <utility>

namespace BlockEnums {
Q_NAMESPACE
enum TBitmapMode { bmStretch, bmCenter, bmTile };
Q_ENUM_NS(TBitmapMode)
enum TPictureMode { pmStretch, pmCenter, pmTile };
Q_ENUM_NS(TPictureMode)
}  // namespace BlockEnums
using BlockEnums::TBitmapMode;
using enum BlockEnums::TBitmapMode;
using BlockEnums::TPictureMode;
using enum BlockEnums::TPictureMode;

// At most this many tiles are drawn for one tiled picture; larger counts draw bigger tiles.
inline constexpr int MaxPictureTiles = 4096;

class TCustomDiagramBlock : public TDiagramControl {
  Q_OBJECT
  DGR_STORED(Angle, IsAngleStored)
  DGR_STORED(Font, IsFontStored)
  DGR_STORED(ShowHint, IsShowHintStored)
  // The block's brushes start clear and black, unlike a brush's own defaults.
  DGR_DEFAULT(Brush.Color, 0)
  DGR_DEFAULT(Brush.Style, bsClear)
  DGR_DEFAULT(SelBrush.Color, 0)
  DGR_DEFAULT(SelBrush.Style, bsClear)
public:
  explicit TCustomDiagramBlock(QObject* owner = nullptr);
  ~TCustomDiagramBlock() override;
  void AfterConstruction() override;

  bool IsBlock() const override { return true; }
  bool ReportsBoundsChanges() const override { return true; }

  // --- Geometry -----------------------------------------------------------------------
  double Left() const { return FLeft; }
  void SetLeft(double value) { SetBoundsRect({value, FTop, value + FWidth, FTop + FHeight}); }
  double Top() const { return FTop; }
  void SetTop(double value) { SetBoundsRect({FLeft, value, FLeft + FWidth, value + FHeight}); }
  double Width() const { return FWidth; }
  void SetWidth(double value) { SetBoundsRect({FLeft, FTop, FLeft + value, FTop + FHeight}); }
  double Height() const { return FHeight; }
  void SetHeight(double value) { SetBoundsRect({FLeft, FTop, FLeft + FWidth, FTop + value}); }
  double Right() const { return FLeft + FWidth; }
  double Bottom() const { return FTop + FHeight; }
  TSquare BoundsRect() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
  // Stored as given (no normalisation); a rectangle with a non-finite side is refused.
  void SetBoundsRect(const TSquare& rect);
  // Kept in [0, 360); a non-finite angle is refused.
  void SetAngle(double angle);
  // Source space (0..100 of the block).
  TDot RotationCenter() const { return FRotCenter; }
  void SetRotationCenter(const TDot& center);
  // Kept within 1..180.
  int RotationStep() const { return FRotationStep; }
  void SetRotationStep(int step);
  // At least 5.
  int MinWidth() const { return FMinWidth; }
  void SetMinWidth(int value);
  int MinHeight() const { return FMinHeight; }
  void SetMinHeight(int value);

  // --- Looks --------------------------------------------------------------------------
  ElementEnums::TBlockShape Shape() const { return static_cast<ElementEnums::TBlockShape>(FShape); }
  void SetShape(ElementEnums::TBlockShape shape);
  TBlockShape OutlineShape() const { return FShape; }
  TBrush* Brush() const { return FBrush.get(); }
  void SetBrush(const TBrush* brush) { FBrush->Assign(brush); }
  TBrush* SelBrush() const { return FSelBrush.get(); }
  void SetSelBrush(const TBrush* brush) { FSelBrush->Assign(brush); }
  TPen* Pen() const { return FPen.get(); }
  void SetPen(const TPen* pen) { FPen->Assign(pen); }
  TColor Color() const { return FColor; }
  void SetColor(TColor color);
  TColor SelColor() const { return FSelColor; }
  void SetSelColor(TColor color);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  bool ClipText() const { return FClipText; }
  void SetClipText(bool value);
  TBlockShadow* Shadow() const { return FShadow.get(); }
  void SetShadow(const TBlockShadow* shadow) { FShadow->Assign(shadow); }
  TDiagramGradient* Gradient() const { return FGradient.get(); }
  void SetGradient(const TDiagramGradient* gradient) { FGradient->Assign(gradient); }

  // --- Pictures -----------------------------------------------------------------------
  TBitmap* Bitmap() const { return FBitmap.get(); }
  void SetBitmap(const TBitmap* bitmap);
  TBitmapMode BitmapMode() const { return FBitmapMode; }
  void SetBitmapMode(TBitmapMode mode);
  // The bitmap's own transparency flag.
  bool BitmapTransparent() const { return FBitmap->Transparent(); }
  void SetBitmapTransparent(bool value);
  TMetafile* Metafile() const { return FMetafile.get(); }
  void SetMetafile(const TMetafile* metafile);
  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(const TPicture* picture);
  TPictureMode PictureMode() const { return FPictureMode; }
  void SetPictureMode(TPictureMode mode);

  // --- The default text cell's view ---------------------------------------------------
  // The default cell's text as lines (refreshed on every read; empty without a cell).
  TStrings* Strings() const;
  void SetStrings(const TStrings* strings);
  ElementEnums::TAlignment Alignment() const;
  void SetAlignment(ElementEnums::TAlignment value);
  ElementEnums::TVertAlign VertAlign() const;
  void SetVertAlign(ElementEnums::TVertAlign value);
  bool WordWrap() const;
  void SetWordWrap(bool value);
  bool RotateFont() const;
  void SetRotateFont(bool value);

  // --- Stored predicates --------------------------------------------------------------
  Q_INVOKABLE bool IsAngleStored() const { return Angle() != 0; }
  Q_INVOKABLE bool IsFontStored() const { return !DiagramFont(); }
  Q_INVOKABLE bool IsShowHintStored() const { return !ParentShowHint(); }

  // --- Operations ---------------------------------------------------------------------
  // Creates missing handles 1..10 and lays them out for the diagram's handle style.
  void UpdateBlockHandles();
  // Paints the block body (DrawBlock) into rect at the block's angle (previews, palettes).
  void DrawBlockInCanvas(TCanvas* canvas, const TRect& rect);
  // Whether the drag outline shows the shape instead of the rectangle.
  bool ShapeCursor() const { return FShapeCursor; }
  // The corner handle facing a size handle (1..8), nullptr for any other data.
  TStretchHandle* OppositeHandle(int data) const;
  // The rotated outline polygon in client units (cached; rebuilt when the geometry changes).
  const TDotArray& SurroundPoints() const;

  // --- Virtual operations added by blocks ---------------------------------------------
  // The rotation centre in client units.
  virtual TDot RotationCenterPoint() const;
  virtual void PenChanged() {}
  virtual void BoundsChanged(const TSquare& oldBounds, const TSquare& newBounds);
  virtual void UpdateBlock() {}
  virtual void DoMouseEnter() {}
  virtual void DoMouseLeave() {}
  // The outline polygon in client units, rotated. Empty with an engine drawer.
  virtual void GetSurroundPoints(TDotArray& points) const;
  // Path route. GetBlockPath adds the outline in the drawer's source space; GetDgrPath maps
  // and turns it onto the block (bsSquareRound is built on the block directly);
  // GetSurroundPath is GetDgrPath, or the block's rectangle when that is empty. Each hook
  // receives the path after the step of its name.
  virtual void GetBlockPath(TDgrGraphicsPath& path, TDgrBlockDrawer& drawer) const;
  virtual void GetDgrPath(TDgrGraphicsPath& path, TDgrBlockDrawer& drawer) const;
  virtual void GetSurroundPath(TDgrGraphicsPath& path, TDgrBlockDrawer& drawer) const;
  virtual void BlockPathCreated(TDgrGraphicsPath& path) const {}
  virtual void DgrPathCreated(TDgrGraphicsPath& path) const {}
  virtual void SurroundPathCreated(TDgrGraphicsPath& path) const {}
  virtual void DrawCursor(const TDiagramDrawInfo& info, const TDiagramDrawBlockInfo& blockInfo);
  virtual void DrawShape(const TDiagramDrawInfo& info, const TDiagramDrawBlockInfo& blockInfo);
  virtual void DrawBlock(const TDiagramDrawInfo& info, const TDiagramDrawBlockInfo& blockInfo);

  // --- Overrides of the element base --------------------------------------------------
  void DefineProperties(TFiler& filer) override;
  void Loaded() override;
  void ApplyCursorGeometry() override;
  void RestoreSavedGeometry() override;
  void SetupDrawer(TBlockDrawer* drawer) override;
  // Source rectangle, destination = the bounds (client units), angle, centre of the bounds.
  void SetupDgrDrawer(TDgrBlockDrawer* drawer) override;
  void RecreateDgrDrawer() override;
  TSquare SourceRectToClient(const TSquare& rect) const override;
  void RotationChanged() override;
  void AnchorLinkChanged(TLinkPoint*) override {}
  void LinkedAnchorChanged(TLinkPoint*, TAnchorChange) override {}
  void DrawControl(const TDiagramDrawInfo& info) override;
  bool PointInControl(const TPoint& pos) override;
  void MoveBy(double dx, double dy) override;
  TSquare ControlRect() const override { return BoundsRect(); }
  TSquare SurroundRect() const override;
  void StartMoving() override {}
  void ControlMoving(TControlMoveInfo& info) override;
  void ControlInserting(TControlInsertInfo& info) override;
  void ControlDrawing(TControlDrawInfo&) override {}
  void StartHandleMoving() override {}
  void HandleMoving(THandleMoveInfo& info) override;
  void DrawHandles(const TDiagramDrawInfo& info) override;
  TDot HandleClientPoint(const TStretchHandle* handle) const override;
  TDot LinkPointClientPoint(const TLinkPoint* linkPoint) const override;
  void DiagramChanged(TCustomDiagram* oldDiagram, TCustomDiagram* newDiagram) override;
  void SelectedChanged() override;

  // The geometry a drag would produce, for tests and the interaction code.
  struct TDragGeometry {
    TSquare Rect;
    double Angle = 0;
    TDot RotCenter;
  };
  TDragGeometry HandleDragResult(const TStretchHandle* handle, const TDot& delta) const;

protected:
  void SetShapeCursor(bool value) { FShapeCursor = value; }
  // For blocks whose drag geometry is more than bounds and angle: the cursor geometry that
  // ApplyCursorGeometry swaps in, and the rotation centre set without notifications.
  void SetCursorGeometry(const TSquare& rect, double angle, const TDot& rotCenter) {
    StoreCursorGeometry(rect, angle, rotCenter);
  }
  void SetRotationCenterField(const TDot& center) { FRotCenter = center; }
  // Stores the bounds without the bounds-changed rules (rectangles computed from others).
  void SetBoundsFields(const TSquare& rect) {
    FLeft = rect.Left;
    FTop = rect.Top;
    FWidth = rect.Right - rect.Left;
    FHeight = rect.Bottom - rect.Top;
  }
  // Families whose outline depends on more than bounds, angle and shape call this when it
  // changes, so the cached outline is rebuilt.
  void InvalidateOutline() { ++FOutlineRevision; }
  // Client -> canvas through the diagram; unchanged without one.
  TDot ToCanvas(const TDot& point) const;
  TDot ToClient(const TDot& point) const;
  // The scratch drawer set to the bounds (reference rectangle of the block drawer), the
  // angle and rotation about the bounds centre.
  TBlockDrawer& ScratchDrawer() const;

private:
  struct TOutlineKey {
    TSquare Bounds;
    double Angle = 0;
    TBlockShape Shape = bsNoShape;
    TSquare Reference;
    const TDgrBlockDrawer* Engine = nullptr;
    uint64_t Revision = 0;
    bool operator==(const TOutlineKey&) const = default;
  };
  // The engine drawer when the block paints through one, else nullptr.
  TDgrBlockDrawer* ActiveDgrDrawer() const;
  // The cached outline path of the engine drawer (hit tests); nullptr without one.
  const TDgrGraphicsPath* SurroundPathCached() const;
  TOutlineKey CurrentOutlineKey() const;
  // The outline in whole client units, from the diagram's hook or the cache.
  const TPointArray& HitPolygon(TPointArray& scratch) const;
  void GraphicChanged();
  void StringsChanged();
  void CursorRingFollowsAngle();
  void DrawCursorAt(TCanvas* canvas, const TSquare& clientRect, double angle);
  void StoreCursorGeometry(const TSquare& rect, double angle, const TDot& rotCenter);
  TSquare ResizeResult(const TStretchHandle* handle, const TDot& delta) const;
  TDragGeometry RotateResult(const TStretchHandle* handle, const TDot& delta) const;
  TDot RotCenterResult(const TStretchHandle* handle, const TDot& delta) const;
  // Painting layers (BlockPainting.cpp).
  void DrawShadowLayer(const TDiagramDrawInfo& info, const TDiagramDrawBlockInfo& blockInfo);
  void DrawFillLayer(const TDiagramDrawInfo& info, const TDiagramDrawBlockInfo& blockInfo);
  void DrawGradientLayer(const TDiagramDrawInfo& info, const TDiagramDrawBlockInfo& blockInfo);
  void DrawPatternLayer(const TDiagramDrawInfo& info, const TDiagramDrawBlockInfo& blockInfo);
  void DrawPictureLayers(const TDiagramDrawInfo& info);
  void DrawOutlineLayer(const TDiagramDrawInfo& info, const TDiagramDrawBlockInfo& blockInfo);
  enum class TPlacement { Stretch, Center, Tile };
  void DrawGraphic(TCanvas& canvas, const TGraphic& graphic, TPlacement placement);
  // The path route of the body (BlockPaintingPath.cpp).
  void DrawBlockPath(const TDiagramDrawInfo& info, const TDiagramDrawBlockInfo& blockInfo);
  void DrawGraphicPath(TDgrBlockDrawer& drawer, const TGraphic& graphic, TPlacement placement, bool transparentBitmap);
  std::unique_ptr<TDgrGraphicsPath> SurroundPathOf(TDgrBlockDrawer& drawer) const;
  // The outline region in canvas pixels; empty when there is no outline.
  TRegion OutlineRegion() const;
  void DrawCellsClipped(const TDiagramDrawInfo& info);

  double FHeight = 0;
  double FWidth = 0;
  double FLeft = 0;
  double FTop = 0;
  double FCursorAngle = 0;
  TSquare FCursorRect;
  TDot FCursorRotCenter;
  TBlockShape FShape = bsNoShape;
  std::unique_ptr<TBrush> FBrush;
  std::unique_ptr<TBrush> FSelBrush;
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TStringList> FStrings;
  bool FClipText = false;
  int FMinWidth = 40;
  int FMinHeight = 40;
  std::unique_ptr<TBlockShadow> FShadow;
  std::unique_ptr<TDiagramGradient> FGradient;
  std::unique_ptr<TBitmap> FBitmap;
  TBitmapMode FBitmapMode = bmStretch;
  TPictureMode FPictureMode = pmStretch;
  std::unique_ptr<TMetafile> FMetafile;
  std::unique_ptr<TPicture> FPicture;
  bool FShapeCursor = false;
  TColor FSelColor = clWhite;
  TColor FColor = clWhite;
  bool FTransparent = false;
  int FRotationStep = 5;
  double FSaveAngle = 0;
  TSquare FSaveRect;
  TDot FSaveRotCenter;
  TDot FRotCenter{50, 50};
  // Reading Strings refreshes the list without copying it back into the cell.
  bool FRefreshingStrings = false;
  uint64_t FOutlineRevision = 0;
  // The hit-test outline, kept between queries.
  mutable TOutlineKey FOutlineKey;
  mutable bool FOutlineValid = false;
  mutable TDotArray FOutline;
  mutable TPointArray FOutlinePoints;
  // The pixels the outline polygon can cover: left, top inclusive; right, bottom exclusive.
  mutable TRect FOutlineBox;
  mutable std::unique_ptr<TDgrGraphicsPath> FOutlinePath;
  // The outline region in canvas pixels, kept for the outline and the canvas mapping it was
  // made for (a whole-diagram view clips every gradient to it on every pass).
  struct TRegionMemo {
    TOutlineKey Outline;
    TCanvasMapping Mapping;
    TRegion Region;
  };
  mutable std::optional<TRegionMemo> FRegionMemo;
  // Which optional layers the block has, kept while what the block writes stays the same:
  // asking the shadow, the gradient and the pictures is a visit to each of them.
  struct TLayerFacts {
    bool Shadow = false;
    bool Gradient = false;
    bool Pictures = false;
    friend bool operator==(const TLayerFacts&, const TLayerFacts&) = default;
  };
  mutable std::optional<std::pair<quint64, TLayerFacts>> FLayerFacts;
  TLayerFacts LayerFacts() const;
};

// The general-purpose block: publishes the block's whole property list.
class TDiagramBlock : public TCustomDiagramBlock {
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
  explicit TDiagramBlock(QObject* owner = nullptr);
  void AfterConstruction() override;

  // The collection copies the given items.
  void SetLinkPoints(const TLinkPoints* points) { LinkPoints()->Assign(points); }
};

// Registers the block classes with the class registry (streams create them by name).
// Safe to call more than once.
void RegisterBlockClasses();
