#pragma once
// Enumerations and the route request shared by the line classes and their routers.

#include "elements/ElementTypes.h"
#include "geometry/DiagramTypes.h"

#include <QObject>

class TLinkPoint;
class TStretchHandle;

namespace LineEnums {
Q_NAMESPACE

enum TDiagramLineStyle { lsLine, lsSideLine, lsParabolicArc, lsCircularArc, lsBezier };
Q_ENUM_NS(TDiagramLineStyle)
enum TTextCellsMode { tmSegments, tmSingle, tmManual, tmSpecific };
Q_ENUM_NS(TTextCellsMode)
enum TArrowShape { asNone, asSolidArrow, asLineArrow, asDiamond, asRectangle, asEllipse, asHalfLine, asAngledDiamond };
Q_ENUM_NS(TArrowShape)
enum TArcType { atParabolic, atCircular };
Q_ENUM_NS(TArcType)

}  // namespace LineEnums

using LineEnums::TDiagramLineStyle;
using enum LineEnums::TDiagramLineStyle;
using LineEnums::TTextCellsMode;
using enum LineEnums::TTextCellsMode;
using LineEnums::TArrowShape;
using enum LineEnums::TArrowShape;
using LineEnums::TArcType;
using enum LineEnums::TArcType;

// Why a line's handles are being built.
enum class TRouteKind {
  Create,       // creation or a change of the line style
  Insert,       // the line is being inserted
  ControlMove,  // the whole line moves
  HandleMove,   // one handle is dragged
  Reroute,      // an end or an anchored element moved
};

// What RouteHandles builds a line's handles from.
struct TRouteRequest {
  TDot P1;                               // start point, client units
  TDot P2;                               // end point
  TLinkPoint* SourceAnchor = nullptr;    // the link point the start is anchored to
  TLinkPoint* TargetAnchor = nullptr;    // the link point the end is anchored to
  TStretchHandle* DraggedHandle = nullptr;
  TDot Delta;                            // drag displacement
  TRouteKind Kind = TRouteKind::Reroute;
};
