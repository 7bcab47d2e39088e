#pragma once
// The engine-neutral drawing layer: chief header.
//
// How an element draws
// --------------------
// Plain mode (the element's engine in force is dglGDI): the element draws on the raster
// canvas (TCanvas) through its TBlockDrawer, in canvas pixels, with integer coordinates.
//
// Path mode (dglGDIPlus, ...): the element owns a TDgrBlockDrawer made by
// CreateBlockDrawer(lib) and a scratch path made by the drawer's CreatePath. Before drawing:
//   drawer->SetSourceRect(OriginalRect)          // the shape's own space, e.g. (0,0,100,100)
//   drawer->SetDestRect(BoundsRect)              // diagram client units (doubles)
//   drawer->SetRotationCenter(centre of BoundsRect); drawer->SetAngle(Angle)
//   drawer->SetPaintEngine(engine)               // the paint's TDgrPaintEngine
// then builds an outline in source coordinates on the path, calls
// drawer->TransformPath(path) (map SourceRect -> DestRect, then rotate), and draws it on
// drawer->Canvas(): Path(path) fills with Brush() and outlines with Pen(); DrawPath only
// outlines. Outlines built directly in client coordinates only need RotatePath. The engine
// maps client units to device pixels (zoom, scroll); the element never sees device pixels.
// Pen()->SetTransparency(100) hides the outline, Brush()->SetBrushMode(bmClear) the fill.
// Platform pens and brushes are taken with Assign (TPen: colour, width, dash, psClear hides;
// TBrush: solid, clear or hatch with an invisible background). Text: Canvas()->DrawString.
// Clip to an outline with TDgrOutlineClip (Gradient.h). Save and restore the canvas pen and
// brush around the layers that change them (TDgrCanvasStyleSaver, Gradient.h). After
// drawing, SetPaintEngine(nullptr).
//
// Transparency everywhere is a percentage (0 opaque, 100 invisible), turned into alpha by
// TransparencyToAlpha.

#include "drawing/DgrCanvas.h"
#include "drawing/DgrImages.h"
#include "drawing/DgrObjects.h"
#include "drawing/DgrPath.h"
#include "drawing/DgrTypes.h"

#include <functional>
#include <memory>

class TCanvas;

// Engines register a maker for their block drawers; dglGDI has none.
using TBlockDrawerMaker = std::function<std::unique_ptr<TDgrBlockDrawer>()>;
void RegisterBlockDrawerMaker(TDgrGraphicLib lib, TBlockDrawerMaker maker);
// nullptr when the engine has no block drawer (dglGDI) or none is registered.
std::unique_ptr<TDgrBlockDrawer> CreateBlockDrawer(TDgrGraphicLib lib);

// Engines register a maker for their paint engines.
using TPaintEngineMaker = std::function<std::unique_ptr<TDgrPaintEngine>(QPainter* painter, const TRect& rect)>;
void RegisterPaintEngineMaker(TDgrGraphicLib lib, TPaintEngineMaker maker);
// The paint engine of lib drawing through painter (rect: the area painted). nullptr for
// dglGDI; raises EDirect2DException ("Direct2D not supported.") for an engine this build
// does not offer.
std::unique_ptr<TDgrPaintEngine> CreatePaintEngine(TDgrGraphicLib lib, QPainter* painter, const TRect& rect);
std::unique_ptr<TDgrPaintEngine> CreatePaintEngine(TDgrGraphicLib lib, TCanvas* canvas, const TRect& rect);
// Whether lib has a paint engine in this build (dglGDI needs none and answers true).
bool IsGraphicLibAvailable(TDgrGraphicLib lib);

// Registers the engine's graphic class for the picture files "jpg", "gif", "png", "tif" and
// "tiff", so pictures loaded from them keep their file bytes. Called once at program start.
void RegisterDgrPictureFormats();

// Registers the built-in engines; the registry functions above call it themselves.
void RegisterBuiltInEngines();
