// Polygon blocks under the mouse: moving, dragging the block handles and the point
// handles, the drag outlines, and drawing a new polygon point by point.

#include "elements/BlockPaintGuards.h"
#include "elements/CustomDiagram.h"
#include "elements/PolygonBlocks.h"
#include "elements/StretchHandles.h"
#include "geometry/PolygonGeometry.h"
#include "platform/Canvas.h"

namespace {

TPoint CanvasPoint(const TCustomDiagram* diagram, const TDot& client) {
  return DotToPoint(diagram ? diagram->ClientToCanvas(client) : client);
}

}  // namespace

// --- Drag outlines ----------------------------------------------------------------------

void TCustomPolygonBlock::DrawPolygonCursor(TCanvas* canvas, const TPolygonPoints& points) const {
  if (!canvas || points.Count() == 0) return;
  TPenBrushSaver saver(*canvas);
  canvas->Brush()->SetStyle(bsClear);
  canvas->Pen()->SetMode(pmNot);
  canvas->Pen()->SetStyle(psDot);
  TPointArray pixels;
  for (const TDot& p : points.ClosedPoints()) pixels.push_back(DotToPoint(ToCanvas(p)));
  canvas->Polygon(pixels);
}

// --- Moving -----------------------------------------------------------------------------

void TCustomPolygonBlock::ControlMoving(TControlMoveInfo& info) {
  const TSquare r = OffsetSquare(BoundsRect(), info.Delta);
  switch (info.Action) {
    case caEraseCursor:
    case caDrawCursor:
      // The moving outline is drawn without the block's rotation.
      FTempPolygon->CopyFrom(*FPolygon);
      FitPolygon(*FTempPolygon, r);
      DrawPolygonCursor(info.Canvas, *FTempPolygon);
      break;
    case caMoved: SetBoundsRect(r); break;
    case caPositionCursor:
      FCursorPolygon->CopyFrom(*FPolygon);
      FitPolygon(*FCursorPolygon, r);
      SetCursorGeometry(r, Angle(), RotationCenter());
      break;
  }
}

// --- Handles ----------------------------------------------------------------------------

void TCustomPolygonBlock::MovedPointPolygon(TPolygonPoints& into, int index, const TDot& delta) const {
  into.CopyFrom(*FPolygon);
  RotatePolygon(into, nullptr, Angle());
  TPolygonPoint* point = into.Point(index);
  point->SetP(AddDots(point->P(), delta));
  RotatePolygon(into, nullptr, -Angle());
}

TDot TCustomPolygonBlock::NewRotationCenter(const TDot& delta) const {
  if (!CanMoveRotCenter()) return RotationCenter();
  TDotArray moved{AddDots(RotationCenterPoint(), delta)};
  RotatePolygon(moved, -Angle(), CentreOfBounds());
  const TSquare b = BoundsRect();
  return {moved.front().X - b.Left, moved.front().Y - b.Top};
}

void TCustomPolygonBlock::PointHandleMoving(THandleMoveInfo& info, int index) {
  const TDot d = info.Delta;
  if (!IsFinite(d)) return;
  switch (info.Action) {
    case haEraseCursor:
    case haDrawCursor: {
      FTempPolygon->CopyFrom(*FPolygon);
      RotatePolygon(*FTempPolygon, nullptr, Angle());
      TPolygonPoint* point = FTempPolygon->Point(index);
      point->SetP(AddDots(point->P(), d));
      DrawPolygonCursor(info.Canvas, *FTempPolygon);
      break;
    }
    case haMoved: {
      MovedPointPolygon(*FTempPolygon, index, d);
      for (int i = 0; i < FPolygon->Count(); ++i) FPolygon->Point(i)->SetP(FTempPolygon->Point(i)->P());
      const TSquare box = PolygonBounds(*FPolygon);
      ReframePolygon(box);
      SetBoundsRect(box);
      UpdatePolygon();
      // An inner point may move without changing the box, so no bounds change reports it.
      if (TCustomDiagram* diagram = Diagram()) diagram->Modified();
      Redraw();
      break;
    }
    case haPositionCursor: {
      MovedPointPolygon(*FCursorPolygon, index, d);
      const TSquare box = PolygonBounds(*FCursorPolygon);
      SetCursorGeometry(box, Angle(), RotationCenterIn(box));
      break;
    }
  }
}

void TCustomPolygonBlock::HandleMoving(THandleMoveInfo& info) {
  TStretchHandle* handle = info.AHandle;
  if (!handle) return;
  if (const int index = FPolygon->IndexOfHandle(handle); index >= 0) {
    PointHandleMoving(info, index);
    return;
  }
  const TDragGeometry geometry = HandleDragResult(handle, info.Delta);
  switch (handle->Style()) {
    case hsSize:
    case hsRotate: {
      const bool rotating = handle->Style() == hsRotate;
      switch (info.Action) {
        case haEraseCursor:
        case haDrawCursor:
          FTempPolygon->CopyFrom(*FPolygon);
          FitPolygon(*FTempPolygon, geometry.Rect);
          RotatePolygon(*FTempPolygon, nullptr, geometry.Angle);
          DrawPolygonCursor(info.Canvas, *FTempPolygon);
          break;
        case haMoved:
          SetBoundsRect(geometry.Rect);
          if (rotating) SetAngle(geometry.Angle);
          break;
        case haPositionCursor: {
          FCursorPolygon->CopyFrom(*FPolygon);
          FitPolygon(*FCursorPolygon, geometry.Rect);
          const TSquare box = PolygonBounds(*FCursorPolygon);
          SetCursorGeometry(box, geometry.Angle, rotating ? RotationCenter() : RotationCenterIn(box));
          break;
        }
      }
      break;
    }
    case hsRotCenter: {
      const TDot centre = NewRotationCenter(info.Delta);
      switch (info.Action) {
        case haEraseCursor:
        case haDrawCursor: break;
        case haMoved: SetRotationCenter(centre); break;
        case haPositionCursor:
          FCursorPolygon->CopyFrom(*FPolygon);
          SetCursorGeometry(PolygonBounds(*FCursorPolygon), Angle(), centre);
          break;
      }
      break;
    }
    case hsCustom: TCustomDiagramBlock::HandleMoving(info); break;
  }
}

// --- Drawing a new polygon --------------------------------------------------------------

void TCustomPolygonBlock::DrawRubberBand(TCanvas* canvas, const TCustomDiagram* diagram) const {
  if (!canvas || FPolygon->Count() == 0) return;
  TPenBrushSaver saver(*canvas);
  canvas->Brush()->SetStyle(bsClear);
  canvas->Pen()->SetMode(pmNot);
  canvas->Pen()->SetStyle(psDot);
  const TPoint from = CanvasPoint(diagram, FPolygon->Point(FPolygon->Count() - 1)->P());
  const TPoint to = CanvasPoint(diagram, FTempPolygonPoint);
  canvas->MoveTo(from.X, from.Y);
  canvas->LineTo(to.X, to.Y);
}

void TCustomPolygonBlock::DrawLastSegment(TCanvas* canvas, const TCustomDiagram* diagram) const {
  const int n = FPolygon->Count();
  if (!canvas || n < 2) return;
  TPenBrushSaver saver(*canvas);
  canvas->SetPen(Pen());
  const TPoint from = CanvasPoint(diagram, FPolygon->Point(n - 2)->P());
  const TPoint to = CanvasPoint(diagram, FPolygon->Point(n - 1)->P());
  canvas->MoveTo(from.X, from.Y);
  canvas->LineTo(to.X, to.Y);
}

void TCustomPolygonBlock::ControlDrawing(TControlDrawInfo& info) {
  // The template is not attached yet: positions convert through the info's diagram.
  const TCustomDiagram* diagram = info.Diagram ? info.Diagram : Diagram();
  switch (info.Action) {
    case daStart:
      FPolygon->Clear();
      FPolygon->Add(info.P1.X, info.P1.Y);
      break;
    case daDrawCursor:
      FTempPolygonPoint = info.P2;
      DrawRubberBand(info.Canvas, diagram);
      break;
    case daEraseCursor: DrawRubberBand(info.Canvas, diagram); break;
    case daStep:
      FPolygon->Add(info.P2.X, info.P2.Y);
      DrawLastSegment(info.Canvas, diagram);
      break;
    case daInserted: {
      const TSquare box = PolygonBounds(*FPolygon);
      ReframePolygon(box);
      SetBoundsRect(box);
      UpdatePolygon();
      break;
    }
  }
}
