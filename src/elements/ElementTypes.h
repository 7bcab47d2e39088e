#pragma once
// Enumerations and parameter records shared by the elements and the diagram that holds them.

#include "drawing/DgrClasses.h"
#include "geometry/DiagramTypes.h"

#include <QFlags>
#include <QObject>

class TCanvas;
class TBlockDrawer;
class TDgrBlockDrawer;
class TStretchHandle;
class TLinkPoint;
class TDiagramControl;
class TCustomDiagram;

namespace ElementEnums {
Q_NAMESPACE

enum TControlRestriction {
  crNoMove = 1 << 0, crNoResize = 1 << 1, crNoRotation = 1 << 2, crNoEdit = 1 << 3,
  crNoDelete = 1 << 4, crKeepRatio = 1 << 5, crNoClipboard = 1 << 6, crNoSelect = 1 << 7,
  crNoRotCenterMove = 1 << 8, crNoLink = 1 << 9,
};
Q_DECLARE_FLAGS(TControlRestrictions, TControlRestriction)
Q_FLAG_NS(TControlRestrictions)

enum TInsertStyle { isInsert, isDraw };
Q_ENUM_NS(TInsertStyle)
enum TDControlPaintMode { pmNormal, pmNormalCursor, pmCursorOnly };
Q_ENUM_NS(TDControlPaintMode)
enum TLinkPointStyle { ptNone, ptEllipse, ptRectangle, ptDiamond, ptCross, ptImplicit };
Q_ENUM_NS(TLinkPointStyle)
enum TAnchorOrientation { aoNone, aoHorz, aoVert, aoUp, aoDown, aoLeft, aoRight };
Q_ENUM_NS(TAnchorOrientation)
enum TLinkConstraint { lcAll, lcSourceOnly, lcTargetOnly, lcNone };
Q_ENUM_NS(TLinkConstraint)
enum TAnchorChange { acPosition, acRemoval };
Q_ENUM_NS(TAnchorChange)
enum THandleStyle { hsSize, hsRotate, hsRotCenter, hsCustom };
Q_ENUM_NS(THandleStyle)
enum TDiagramHandlesStyle { hsClassic, hsVisio };
Q_ENUM_NS(TDiagramHandlesStyle)
enum THandleAppearanceStyle { hhRectangle, hhEllipse, hhDiamond, hhCrossedEllipse, hhRectangleX, hhEllipseX };
Q_ENUM_NS(THandleAppearanceStyle)
enum TDiagramDesignMode { ddmEditable, ddmNonEditable };
Q_ENUM_NS(TDiagramDesignMode)
enum TPaintStyle { psScreen, psPreview, psPrint, psBitmap };
Q_ENUM_NS(TPaintStyle)
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
Q_ENUM_NS(TAlignment)
// Mirrors of geometry enums, for published properties only (geometry stays free of Qt).
// Their enumerators stay inside this namespace; code uses the geometry ones.
enum TVertAlign { vaTop, vaBottom, vaCenter };
Q_ENUM_NS(TVertAlign)
enum TBlockShape { bsNoShape, bsRectangle, bsEllipse, bsRoundRect, bsDiamond, bsSquareRound };
Q_ENUM_NS(TBlockShape)

}  // namespace ElementEnums

using ElementEnums::TControlRestriction;
using ElementEnums::TControlRestrictions;
using enum ElementEnums::TControlRestriction;
using ElementEnums::TInsertStyle;
using enum ElementEnums::TInsertStyle;
using ElementEnums::TDControlPaintMode;
using enum ElementEnums::TDControlPaintMode;
using ElementEnums::TLinkPointStyle;
using enum ElementEnums::TLinkPointStyle;
using ElementEnums::TAnchorOrientation;
using enum ElementEnums::TAnchorOrientation;
using ElementEnums::TLinkConstraint;
using enum ElementEnums::TLinkConstraint;
using ElementEnums::TAnchorChange;
using enum ElementEnums::TAnchorChange;
using ElementEnums::THandleStyle;
using enum ElementEnums::THandleStyle;
using ElementEnums::TDiagramHandlesStyle;
using enum ElementEnums::TDiagramHandlesStyle;
using ElementEnums::THandleAppearanceStyle;
using enum ElementEnums::THandleAppearanceStyle;
using ElementEnums::TDiagramDesignMode;
using enum ElementEnums::TDiagramDesignMode;
using ElementEnums::TPaintStyle;
using enum ElementEnums::TPaintStyle;
using ElementEnums::TAlignment;
using enum ElementEnums::TAlignment;

Q_DECLARE_OPERATORS_FOR_FLAGS(ElementEnums::TControlRestrictions)


// What a paint pass hands to an element.
struct TDiagramDrawInfo {
  TCanvas* Canvas = nullptr;
  TBlockDrawer* Drawer = nullptr;
  TDgrBlockDrawer* DgrDrawer = nullptr;
};

// The block rectangle in canvas coordinates and its angle.
struct TDiagramDrawBlockInfo {
  TSquare Rect;
  double Angle = 0;
};

enum TControlMoveAction { caEraseCursor, caDrawCursor, caMoved, caPositionCursor };
enum THandleMoveAction { haEraseCursor, haDrawCursor, haMoved, haPositionCursor };
enum TControlInsertAction { iaEraseCursor, iaDrawCursor, iaInserted };
enum TControlDrawAction { daEraseCursor, daDrawCursor, daStart, daStep, daInserted };

struct TControlMoveInfo {
  TCanvas* Canvas = nullptr;
  TStretchHandle* AHandle = nullptr;
  TControlMoveAction Action = caEraseCursor;
  TLinkPoint* AnchorPoint = nullptr;
  TLinkPoint* LinkPoint = nullptr;
  TDot Delta;
};

struct THandleMoveInfo {
  TCanvas* Canvas = nullptr;
  TStretchHandle* AHandle = nullptr;
  THandleMoveAction Action = haEraseCursor;
  TLinkPoint* AnchorPoint = nullptr;
  TDiagramControl* DControl = nullptr;
  TDot Delta;
};

struct TControlInsertInfo {
  TCustomDiagram* Diagram = nullptr;
  TCanvas* Canvas = nullptr;
  TControlInsertAction Action = iaEraseCursor;
  TLinkPoint* AnchorPoint1 = nullptr;
  TLinkPoint* AnchorPoint2 = nullptr;
  TDiagramControl* DControl = nullptr;
  TDot P1, P2;
  bool Clicked = false;
};

struct TControlDrawInfo {
  TCustomDiagram* Diagram = nullptr;
  TCanvas* Canvas = nullptr;
  TControlDrawAction Action = daEraseCursor;
  TLinkPoint* AnchorPoint1 = nullptr;
  TLinkPoint* AnchorPoint2 = nullptr;
  TDiagramControl* DControl = nullptr;
  TDot P1, P2;
};
