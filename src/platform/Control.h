#pragma once
// TDgrCustomControl: the windowed control the diagram derives from.
//
// Structure. The control is a plain QWidget that lays out three children itself: the
// client area (a child widget that receives mouse input and shows the picture) and two
// QScrollBars, inside an optional border that the control paints. We do not use
// QAbstractScrollArea: its scroll bars move and scroll on their own (wheel, keys, clicks,
// kinetic scrolling) and it lays out its children only on resize events, which a hidden
// widget does not get. Here the geometry is a pure function of the widget size, the border
// and the bar states, so ClientWidth/ClientHeight are right even before the first show,
// and a bar never moves unless the derived class sets its position in ScrollRequest.
//
// Painting. The client area shows a backing image (a QImage of the client size, scaled
// by the device pixel ratio). When the control has been invalidated, the next paint event
// first runs the Paint hook, which draws into BackingImage(); every paint event then
// copies the image to the screen. Drag feedback drawn outside a paint event (rubber bands
// and drag outlines drawn twice in an inverting mode to erase them) goes into the same
// image through BeginFeedbackPainting/EndFeedbackPainting, and the touched area is copied
// to the screen without running Paint. We invert on the backing image rather than on a
// transparent overlay because inverting needs the pixels underneath: an overlay cannot
// invert what another widget layer shows, and a second buffer would have to be composed
// on every step anyway. Exposure (a window uncovered) costs a copy of the image, not a
// diagram paint pass. Qt itself double-buffers the window, so no flicker reaches the screen.
//
// Input. Mouse, wheel, key and hint requests arrive at virtual hooks in client pixels with
// the shift state; the default hooks fire the matching On... callbacks. A hook that throws
// does not unwind through Qt's event loop: the exception goes to the application exception
// handler (WindowApplication.h).
//
// Published properties. The class carries the published-root marker, so only properties
// declared from here down are streamed. It publishes Name (never stored, like TComponent);
// a derived class publishes the window properties it wants stored, for instance
//   Q_PROPERTY(ControlTypes::TBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)

#include "geometry/DiagramTypes.h"
#include "platform/Component.h"
#include "platform/ControlTypes.h"
#include "platform/GraphicsTypes.h"

#include <QImage>
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <array>
#include <memory>

class QPainter;
class QScrollBar;
class QMouseEvent;
class QWheelEvent;
class QHelpEvent;
class QKeyEvent;

class TDgrCustomControl : public QWidget, public TStreamHooks {
  Q_OBJECT
  DGR_PUBLISHED_ROOT
  // Published but never written as a property: the object record carries the name.
  Q_PROPERTY(QString Name READ Name WRITE SetName STORED false)

public:
  explicit TDgrCustomControl(QWidget* parent = nullptr);
  ~TDgrCustomControl() override;

  // --- Component identity -------------------------------------------------------------
  QString Name() const { return objectName(); }
  // Raises EComponentError for an invalid identifier or a name taken under the same owner.
  virtual void SetName(const QString& name);
  // The component owner (for name lookup); the parent widget given at construction unless
  // set otherwise. It need not be the parent widget.
  QObject* Owner() const { return FOwner; }
  void SetOwner(QObject* owner) { FOwner = owner; }
  QString ClassName() const;

  // --- Window ---------------------------------------------------------------------------
  int ClientWidth() const { return ClientRect().width(); }
  int ClientHeight() const { return ClientRect().height(); }
  // The client rectangle in client coordinates: (0, 0, ClientWidth, ClientHeight).
  QRect ClientRect() const { return QRect(QPoint(0, 0), ClientGeometry().size()); }
  QWidget* ParentWindow() const { return parentWidget(); }
  // The child widget that shows the picture and receives the mouse.
  QWidget* ClientArea() const;
  // Repaint later (the Paint hook runs at the next paint event) / now.
  void Invalidate();
  void Repaint();
  // True while the Paint hook runs.
  bool IsPainting() const { return FPainting; }
  void SetFocus();
  bool Focused() const { return hasFocus(); }

  TBorderStyle BorderStyle() const { return FBorderStyle; }
  virtual void SetBorderStyle(TBorderStyle value);
  // With a single border: sunken edge (true) or a flat line in FlatBorderColor (false).
  bool Ctl3D() const { return FCtl3D; }
  virtual void SetCtl3D(bool value);
  // Width in pixels of the border on each side: 0, 1 (flat) or 2 (sunken).
  int BorderWidth() const;
  // Repaints the border at once (after its colour changed).
  void RepaintBorder();

  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool value) { FShowHint = value; }
  // The hint at a client position through GetHint, with its rectangle as a QRect; false
  // when hints are off or there is none.
  bool HintAt(const QPoint& pos, QString& text, QRect& area);

  // Logical pixels per inch of the screen the control is on (96 without a screen).
  int PixelsPerInch() const;

  // --- Scroll bars ----------------------------------------------------------------------
  void SetScrollInfo(TScrollBarKind kind, const TScrollInfo& info);
  TScrollInfo ScrollInfo(TScrollBarKind kind) const { return Bar(kind).Info; }
  // Moves the thumb; the position is clamped to the bar's range. Paints nothing else.
  void SetScrollPos(TScrollBarKind kind, int pos);
  int ScrollPos(TScrollBarKind kind) const { return Bar(kind).Info.Pos; }
  // Whether the bar may be shown at all; a bar is shown when allowed and needed.
  void SetScrollBarAllowed(TScrollBarKind kind, bool allowed);
  bool ScrollBarAllowed(TScrollBarKind kind) const { return Bar(kind).Allowed; }
  bool ScrollBarShown(TScrollBarKind kind) const;
  // Whether dragging the thumb sends scTrack requests (on by default).
  void SetThumbTracking(TScrollBarKind kind, bool tracking) { Bar(kind).Tracking = tracking; }
  bool ThumbTracking(TScrollBarKind kind) const { return Bar(kind).Tracking; }
  QScrollBar* ScrollBar(TScrollBarKind kind) const { return Bar(kind).Widget; }

  // --- Mouse ----------------------------------------------------------------------------
  // Explicit capture: every mouse event goes to this control until released. (A press
  // captures implicitly until its release, as the windowing system does.)
  void SetCapture();
  void ReleaseCapture();
  bool HasCapture() const;
  // The cursor shown over the client area (crDefault: the arrow).
  void SetControlCursor(TCursor cursor);
  TCursor ControlCursor() const { return FCursor; }

  // --- Backing image and drag feedback ------------------------------------------------
  // The picture of the client area, sized to it; Paint draws into it.
  QImage& BackingImage();
  // Runs the Paint hook now if the picture is out of date.
  void EnsureBackingPainted();
  // Copies an area of the image (all of it when empty) to the screen at the next paint
  // event, without running Paint: for drawing done on BackingImage() outside Paint.
  void ShowBackingImage(const QRect& area = QRect());
  // A painter on the up-to-date picture for drawing outside Paint (nested calls share
  // it). End copies the touched area (all when empty) to the screen.
  QPainter* BeginFeedbackPainting();
  void EndFeedbackPainting(const QRect& touched = QRect());
  bool IsFeedbackPainting() const { return FFeedbackDepth > 0; }

  // --- Events (fired by the default hooks) --------------------------------------------
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnMouseLeave;
  TKeyEvent OnKeyDown;
  TMouseWheelEvent OnMouseWheel;
  TMouseWheelUpDownEvent OnMouseWheelDown;
  TMouseWheelUpDownEvent OnMouseWheelUp;
  TNotifyEvent OnResize;
  TNotifyEvent OnPaint;

protected:
  // Draws the client area into BackingImage(). The default fills it with the window colour
  // and fires OnPaint.
  virtual void Paint();
  // Mouse positions are client pixels.
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  // A left double click; the MouseDown with ssDouble follows.
  virtual void DblClick();
  virtual void MouseLeave();
  // key is a virtual-key code (ControlKeys.h); set it to 0 to mark the key handled,
  // otherwise it travels on to the parent widgets (and their shortcuts).
  virtual void KeyDown(int& key, TShiftState shift);
  // wheelDelta is in 1/120 notch units (positive: away from the user); pos in client
  // pixels. The default fires OnMouseWheel and, unless handled, adds the delta up and
  // calls MouseWheelDown/MouseWheelUp once per whole notch. Answers whether it was handled.
  virtual bool MouseWheel(TShiftState shift, int wheelDelta, TPoint pos);
  virtual bool MouseWheelDown(TShiftState shift, TPoint pos);
  virtual bool MouseWheelUp(TShiftState shift, TPoint pos);
  // The client size changed.
  virtual void Resize();
  // The hint at a client position: true with the text and the client rectangle in which
  // it stays valid, false for no hint. The default has none.
  virtual bool GetHint(TPoint pos, QString& text, TRect& validRect);
  // The user acted on a scroll bar; pos is the thumb position for scPosition and scTrack
  // and the current position otherwise. The bar moves only if this sets its position.
  virtual void ScrollRequest(TScrollBarKind kind, TScrollCode code, int pos);
  // Colour of the flat single border (Ctl3D off).
  virtual QColor FlatBorderColor() const;
  // The window was created (first show) or recreated (border change): set up the bars.
  virtual void WindowCreated() {}

  // QWidget
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;

private:
  class TClientArea;
  class TBarWidget;
  friend class TClientArea;
  friend class TBarWidget;

  struct TBarState {
    QScrollBar* Widget = nullptr;
    TScrollInfo Info;
    bool Allowed = true;
    bool Tracking = true;
  };

  TBarState& Bar(TScrollBarKind kind) { return FBars[kind]; }
  const TBarState& Bar(TScrollBarKind kind) const { return FBars[kind]; }
  QRect ClientGeometry() const;
  void UpdateLayout();
  void SyncBarWidget(TScrollBarKind kind);
  bool Accepting() const;

  // Event plumbing from the client area and the bars.
  bool ClientEvent(QEvent* event);
  void ClientPaint(QPaintEvent* event);
  void ClientMousePress(QMouseEvent* event, bool isDouble);
  void ClientMouseMove(QMouseEvent* event);
  void ClientMouseRelease(QMouseEvent* event);
  bool HandleWheel(QWheelEvent* event, const QPoint& clientPos);
  bool ClientHint(QHelpEvent* event);
  void BarAction(TScrollBarKind kind, int action);
  void BarThumbMoved(TScrollBarKind kind, int pos);
  void BarThumbReleased(TScrollBarKind kind);
  void BarMouseReleased(TScrollBarKind kind);
  void SendScrollRequest(TScrollBarKind kind, TScrollCode code, int pos);

  TClientArea* FClient = nullptr;
  std::array<TBarState, 2> FBars;
  QPointer<QObject> FOwner;
  TBorderStyle FBorderStyle = bsSingle;
  bool FCtl3D = false;
  bool FShowHint = true;
  TCursor FCursor = crDefault;
  QImage FImage;
  bool FImageStale = true;
  bool FPainting = false;
  bool FWindowCreated = false;
  int FFeedbackDepth = 0;
  std::unique_ptr<QPainter> FFeedbackPainter;
  QSize FLastClientSize;
  int FWheelAccumulator = 0;
};
