#include "platform/Control.h"

#include "platform/ControlKeys.h"
#include "platform/Exceptions.h"
#include "platform/WindowApplication.h"
#include "platform/WindowScreen.h"

#include <QCoreApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>
#include <qdrawutil.h>
#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr int WheelNotch = 120;

bool ButtonFromQt(Qt::MouseButton qtButton, TMouseButton& button) {
  switch (qtButton) {
    case Qt::LeftButton: button = mbLeft; return true;
    case Qt::RightButton: button = mbRight; return true;
    case Qt::MiddleButton: button = mbMiddle; return true;
    default: return false;
  }
}

QPoint PixelOf(const QPointF& position) {
  return QPoint(static_cast<int>(std::floor(position.x())), static_cast<int>(std::floor(position.y())));
}

TPoint ToTPoint(const QPoint& point) { return TPoint{point.x(), point.y()}; }

// The largest position of a bar: Max - Page + 1, never below Min.
int LastPosition(const TScrollInfo& info) {
  const qint64 last = static_cast<qint64>(info.Max) - std::max(info.Page - 1, 0);
  return static_cast<int>(std::max<qint64>(info.Min, last));
}

bool IsNeeded(const TScrollInfo& info) {
  return info.Min < info.Max && static_cast<qint64>(info.Page) <= static_cast<qint64>(info.Max) - info.Min;
}

bool IsArrowKey(int qtKey) {
  return qtKey == Qt::Key_Left || qtKey == Qt::Key_Right || qtKey == Qt::Key_Up || qtKey == Qt::Key_Down;
}

}  // namespace

// The client area: shows the backing image and hands every event to the control.
class TDgrCustomControl::TClientArea : public QWidget {
public:
  explicit TClientArea(TDgrCustomControl* control) : QWidget(control), FControl(control) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusProxy(control);
  }
  void Detach() { FControl = nullptr; }

protected:
  bool event(QEvent* event) override {
    if (FControl && FControl->ClientEvent(event)) return true;
    return QWidget::event(event);
  }

private:
  TDgrCustomControl* FControl;
};

// A scroll bar that reports the end of every user action and leaves the wheel to the control.
class TDgrCustomControl::TBarWidget : public QScrollBar {
public:
  TBarWidget(Qt::Orientation orientation, TDgrCustomControl* control, TScrollBarKind kind)
      : QScrollBar(orientation, control), FControl(control), FKind(kind) {
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::NoContextMenu);
    setTracking(false);
  }
  void Detach() { FControl = nullptr; }

protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    QScrollBar::mouseReleaseEvent(event);
    if (FControl) FControl->BarMouseReleased(FKind);
  }
  void wheelEvent(QWheelEvent* event) override {
    if (!FControl) return;
    const QPoint clientPos = FControl->FClient->mapFromParent(mapToParent(PixelOf(event->position())));
    event->setAccepted(FControl->HandleWheel(event, clientPos));
  }

private:
  TDgrCustomControl* FControl;
  TScrollBarKind FKind;
};

TDgrCustomControl::TDgrCustomControl(QWidget* parent) : QWidget(parent), FOwner(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  FClient = new TClientArea(this);
  const std::array<Qt::Orientation, 2> orientations{Qt::Horizontal, Qt::Vertical};
  for (TScrollBarKind kind : {sbHorizontal, sbVertical}) {
    auto* bar = new TBarWidget(orientations[kind], this, kind);
    Bar(kind).Widget = bar;
    bar->hide();
    connect(bar, &QAbstractSlider::actionTriggered, this, [this, kind](int action) { BarAction(kind, action); });
    connect(bar, &QAbstractSlider::sliderMoved, this, [this, kind](int pos) { BarThumbMoved(kind, pos); });
    connect(bar, &QAbstractSlider::sliderReleased, this, [this, kind] { BarThumbReleased(kind); });
  }
  resize(200, 200);
  UpdateLayout();
}

TDgrCustomControl::~TDgrCustomControl() {
  ReleaseCapture();
  FFeedbackPainter.reset();
  // The children outlive this destructor's body; make sure they no longer call back.
  FClient->Detach();
  for (TBarState& bar : FBars) static_cast<TBarWidget*>(bar.Widget)->Detach();
  delete FClient;
  FClient = nullptr;
}

// --- Component identity ---------------------------------------------------------------

void TDgrCustomControl::SetName(const QString& name) {
  if (name == objectName()) return;
  if (!name.isEmpty() && !IsValidIdent(name))
    throw EComponentError(QStringLiteral("''%1'' is not a valid component name").arg(name));
  if (!name.isEmpty() && Owner()) {
    QObject* other = FindOwnedComponent(Owner(), name);
    if (other && other != this)
      throw EComponentError(QStringLiteral("A component named %1 already exists").arg(name));
  }
  setObjectName(name);
}

QString TDgrCustomControl::ClassName() const { return QString::fromLatin1(metaObject()->className()); }

// --- Window and layout ------------------------------------------------------------------

QWidget* TDgrCustomControl::ClientArea() const { return FClient; }

int TDgrCustomControl::BorderWidth() const {
  if (FBorderStyle == bsNone) return 0;
  return FCtl3D ? 2 : 1;
}

QRect TDgrCustomControl::ClientGeometry() const {
  const int border = BorderWidth();
  QRect client = rect().adjusted(border, border, -border, -border);
  const int thickness = TScreen::ScrollBarThickness(this);
  if (ScrollBarShown(sbHorizontal)) client.setHeight(client.height() - thickness);
  if (ScrollBarShown(sbVertical)) client.setWidth(client.width() - thickness);
  client.setWidth(std::max(0, client.width()));
  client.setHeight(std::max(0, client.height()));
  return client;
}

void TDgrCustomControl::UpdateLayout() {
  const QRect client = ClientGeometry();
  const int thickness = TScreen::ScrollBarThickness(this);
  FClient->setGeometry(client);
  QScrollBar* horz = ScrollBar(sbHorizontal);
  QScrollBar* vert = ScrollBar(sbVertical);
  horz->setGeometry(client.left(), client.top() + client.height(), client.width(), thickness);
  vert->setGeometry(client.left() + client.width(), client.top(), thickness, client.height());
  horz->setVisible(ScrollBarShown(sbHorizontal));
  vert->setVisible(ScrollBarShown(sbVertical));
  update();
  if (client.size() == FLastClientSize) return;
  FLastClientSize = client.size();
  Invalidate();
  if (Accepting()) RunGuarded([this] { Resize(); });
}

void TDgrCustomControl::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  UpdateLayout();
}

void TDgrCustomControl::SetBorderStyle(TBorderStyle value) {
  if (value == FBorderStyle) return;
  FBorderStyle = value;
  UpdateLayout();
  if (FWindowCreated) WindowCreated();
}

void TDgrCustomControl::SetCtl3D(bool value) {
  if (value == FCtl3D) return;
  FCtl3D = value;
  UpdateLayout();
  if (FWindowCreated && FBorderStyle == bsSingle) WindowCreated();
}

void TDgrCustomControl::RepaintBorder() { repaint(); }

QColor TDgrCustomControl::FlatBorderColor() const { return palette().color(QPalette::Dark); }

void TDgrCustomControl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect client = FClient->geometry();
  if (ScrollBarShown(sbHorizontal) && ScrollBarShown(sbVertical)) {
    const int thickness = TScreen::ScrollBarThickness(this);
    painter.fillRect(QRect(client.right() + 1, client.bottom() + 1, thickness, thickness),
                     palette().color(QPalette::Window));
  }
  if (FBorderStyle == bsNone) return;
  if (FCtl3D) {
    qDrawWinPanel(&painter, rect(), palette(), true);
  } else {
    painter.setPen(QPen(FlatBorderColor(), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

bool TDgrCustomControl::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::ShortcutOverride: {
      // Arrow keys belong to the control, not to shortcuts or focus navigation.
      auto* key = static_cast<QKeyEvent*>(event);
      if (IsArrowKey(key->key())) {
        event->accept();
        return true;
      }
      break;
    }
    case QEvent::Show:
      if (!FWindowCreated) {
        FWindowCreated = true;
        if (Accepting()) RunGuarded([this] { WindowCreated(); });
      }
      break;
    default:
      break;
  }
  return QWidget::event(event);
}

void TDgrCustomControl::SetFocus() { setFocus(Qt::OtherFocusReason); }

int TDgrCustomControl::PixelsPerInch() const { return TScreen::PixelsPerInchOf(this); }

bool TDgrCustomControl::Accepting() const { return !IsDestroying(); }

// --- Painting -----------------------------------------------------------------------------

void TDgrCustomControl::Invalidate() {
  FImageStale = true;
  FClient->update();
}

void TDgrCustomControl::Repaint() {
  FImageStale = true;
  EnsureBackingPainted();
  FClient->repaint();
}

QImage& TDgrCustomControl::BackingImage() {
  const qreal ratio = FClient->devicePixelRatioF();
  const QSize size = (ClientGeometry().size() * ratio).expandedTo(QSize(1, 1));
  if (FImage.size() != size || FImage.devicePixelRatio() != ratio) {
    FImage = QImage(size, QImage::Format_RGB32);
    FImage.setDevicePixelRatio(ratio);
    const int dotsPerMeter = static_cast<int>(std::lround(PixelsPerInch() / 0.0254));
    FImage.setDotsPerMeterX(dotsPerMeter);
    FImage.setDotsPerMeterY(dotsPerMeter);
    FImage.fill(palette().color(QPalette::Base));
    FImageStale = true;
  }
  return FImage;
}

void TDgrCustomControl::EnsureBackingPainted() {
  BackingImage();
  if (!FImageStale || FPainting || FFeedbackDepth > 0 || !Accepting()) return;
  // Cleared first: an Invalidate from inside Paint asks for one more pass.
  FImageStale = false;
  FPainting = true;
  RunGuarded([this] { Paint(); });
  FPainting = false;
}

void TDgrCustomControl::ShowBackingImage(const QRect& area) {
  if (area.isEmpty())
    FClient->update();
  else
    FClient->update(area);
}

QPainter* TDgrCustomControl::BeginFeedbackPainting() {
  if (FFeedbackDepth == 0) {
    EnsureBackingPainted();
    FFeedbackPainter = std::make_unique<QPainter>(&BackingImage());
  }
  ++FFeedbackDepth;
  return FFeedbackPainter.get();
}

void TDgrCustomControl::EndFeedbackPainting(const QRect& touched) {
  if (FFeedbackDepth == 0) return;
  if (--FFeedbackDepth == 0) FFeedbackPainter.reset();
  ShowBackingImage(touched);
}

void TDgrCustomControl::Paint() {
  QPainter painter(&BackingImage());
  painter.fillRect(ClientRect(), palette().color(QPalette::Base));
  painter.end();
  if (OnPaint) OnPaint(this);
}

void TDgrCustomControl::ClientPaint(QPaintEvent* event) {
  EnsureBackingPainted();
  QPainter painter(FClient);
  painter.setClipRegion(event->region());
  painter.drawImage(QPoint(0, 0), FImage);
}

// --- Events from the client area ----------------------------------------------------------

bool TDgrCustomControl::ClientEvent(QEvent* event) {
  if (!Accepting()) return false;
  switch (event->type()) {
    case QEvent::Paint:
      ClientPaint(static_cast<QPaintEvent*>(event));
      return true;
    case QEvent::MouseButtonPress:
      ClientMousePress(static_cast<QMouseEvent*>(event), false);
      return true;
    case QEvent::MouseButtonDblClick:
      ClientMousePress(static_cast<QMouseEvent*>(event), true);
      return true;
    case QEvent::MouseMove:
      ClientMouseMove(static_cast<QMouseEvent*>(event));
      return true;
    case QEvent::MouseButtonRelease:
      ClientMouseRelease(static_cast<QMouseEvent*>(event));
      return true;
    case QEvent::Wheel: {
      auto* wheel = static_cast<QWheelEvent*>(event);
      wheel->setAccepted(HandleWheel(wheel, PixelOf(wheel->position())));
      return true;
    }
    case QEvent::Leave:
      RunGuarded([this] { MouseLeave(); });
      return false;
    case QEvent::ToolTip:
      return ClientHint(static_cast<QHelpEvent*>(event));
    default:
      return false;
  }
}

void TDgrCustomControl::ClientMousePress(QMouseEvent* event, bool isDouble) {
  TMouseButton button;
  if (!ButtonFromQt(event->button(), button)) return;
  TShiftState shift = ShiftStateFromQt(event->modifiers(), event->buttons());
  if (isDouble) shift |= ssDouble;
  const QPoint pos = PixelOf(event->position());
  RunGuarded([&] {
    if (isDouble && button == mbLeft) DblClick();
    MouseDown(button, shift, pos.x(), pos.y());
  });
}

void TDgrCustomControl::ClientMouseMove(QMouseEvent* event) {
  const TShiftState shift = ShiftStateFromQt(event->modifiers(), event->buttons());
  const QPoint pos = PixelOf(event->position());
  RunGuarded([&] { MouseMove(shift, pos.x(), pos.y()); });
}

void TDgrCustomControl::ClientMouseRelease(QMouseEvent* event) {
  TMouseButton button;
  if (!ButtonFromQt(event->button(), button)) return;
  const TShiftState shift = ShiftStateFromQt(event->modifiers(), event->buttons());
  const QPoint pos = PixelOf(event->position());
  RunGuarded([&] { MouseUp(button, shift, pos.x(), pos.y()); });
}

bool TDgrCustomControl::HandleWheel(QWheelEvent* event, const QPoint& clientPos) {
  const int delta = event->angleDelta().y();
  if (delta == 0 || !Accepting()) return false;
  const TShiftState shift = ShiftStateFromQt(event->modifiers(), event->buttons());
  bool handled = false;
  RunGuarded([&] { handled = MouseWheel(shift, delta, ToTPoint(clientPos)); });
  return handled;
}

bool TDgrCustomControl::HintAt(const QPoint& pos, QString& text, QRect& area) {
  TRect valid;
  bool found = false;
  if (FShowHint && Accepting()) RunGuarded([&] { found = GetHint(ToTPoint(pos), text, valid); });
  if (!found || text.isEmpty()) return false;
  area = QRect(valid.Left, valid.Top, valid.Width(), valid.Height());
  return true;
}

bool TDgrCustomControl::ClientHint(QHelpEvent* event) {
  QString text;
  QRect area;
  if (!HintAt(event->pos(), text, area)) {
    QToolTip::hideText();
    event->ignore();
    return true;
  }
  QToolTip::showText(event->globalPos(), text, FClient, area);
  return true;
}

void TDgrCustomControl::keyPressEvent(QKeyEvent* event) {
  int key = VirtualKeyFromQt(event->key(), event->modifiers());
  if (key == 0 || !Accepting()) {
    event->ignore();
    return;
  }
  const TShiftState shift = ShiftStateFromQt(event->modifiers());
  RunGuarded([&] { KeyDown(key, shift); });
  event->setAccepted(key == 0);
}

// --- Default hooks ---------------------------------------------------------------------

void TDgrCustomControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TDgrCustomControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TDgrCustomControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TDgrCustomControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TDgrCustomControl::MouseLeave() {
  if (OnMouseLeave) OnMouseLeave(this);
}

void TDgrCustomControl::KeyDown(int& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

bool TDgrCustomControl::MouseWheel(TShiftState shift, int wheelDelta, TPoint pos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, shift, wheelDelta, pos, handled);
  if (handled) return true;
  // Whole notches only; a fine-grained wheel adds up until one is complete.
  FWheelAccumulator += wheelDelta;
  while (std::abs(FWheelAccumulator) >= WheelNotch) {
    if (FWheelAccumulator < 0) {
      FWheelAccumulator += WheelNotch;
      handled = MouseWheelDown(shift, pos) || handled;
    } else {
      FWheelAccumulator -= WheelNotch;
      handled = MouseWheelUp(shift, pos) || handled;
    }
  }
  return handled;
}

bool TDgrCustomControl::MouseWheelDown(TShiftState shift, TPoint pos) {
  bool handled = false;
  if (OnMouseWheelDown) OnMouseWheelDown(this, shift, pos, handled);
  return handled;
}

bool TDgrCustomControl::MouseWheelUp(TShiftState shift, TPoint pos) {
  bool handled = false;
  if (OnMouseWheelUp) OnMouseWheelUp(this, shift, pos, handled);
  return handled;
}

void TDgrCustomControl::Resize() {
  if (OnResize) OnResize(this);
}

bool TDgrCustomControl::GetHint(TPoint, QString&, TRect&) { return false; }

void TDgrCustomControl::ScrollRequest(TScrollBarKind, TScrollCode, int) {}

// --- Mouse capture and cursor ---------------------------------------------------------------

void TDgrCustomControl::SetCapture() { FClient->grabMouse(); }

void TDgrCustomControl::ReleaseCapture() {
  if (HasCapture()) FClient->releaseMouse();
}

bool TDgrCustomControl::HasCapture() const { return FClient && QWidget::mouseGrabber() == FClient; }

void TDgrCustomControl::SetControlCursor(TCursor cursor) {
  FCursor = cursor;
  if (cursor == crDefault)
    FClient->unsetCursor();
  else
    FClient->setCursor(Screen().CursorFor(cursor));
}

// --- Scroll bars ---------------------------------------------------------------------------

bool TDgrCustomControl::ScrollBarShown(TScrollBarKind kind) const {
  return Bar(kind).Allowed && IsNeeded(Bar(kind).Info);
}

void TDgrCustomControl::SetScrollInfo(TScrollBarKind kind, const TScrollInfo& info) {
  TScrollInfo& current = Bar(kind).Info;
  current.Min = info.Min;
  current.Max = std::max(info.Min, info.Max);
  current.Page = std::max(0, info.Page);
  current.Pos = std::clamp(info.Pos, current.Min, LastPosition(current));
  SyncBarWidget(kind);
  UpdateLayout();
}

void TDgrCustomControl::SetScrollPos(TScrollBarKind kind, int pos) {
  TScrollInfo& info = Bar(kind).Info;
  info.Pos = std::clamp(pos, info.Min, LastPosition(info));
  SyncBarWidget(kind);
}

void TDgrCustomControl::SetScrollBarAllowed(TScrollBarKind kind, bool allowed) {
  if (Bar(kind).Allowed == allowed) return;
  Bar(kind).Allowed = allowed;
  UpdateLayout();
}

void TDgrCustomControl::SyncBarWidget(TScrollBarKind kind) {
  const TScrollInfo& info = Bar(kind).Info;
  QScrollBar* bar = Bar(kind).Widget;
  const QSignalBlocker blocker(bar);
  bar->setRange(info.Min, LastPosition(info));
  bar->setPageStep(std::max(info.Page, 1));
  bar->setSingleStep(1);
  bar->setValue(info.Pos);
  bar->setSliderPosition(info.Pos);
}

void TDgrCustomControl::SendScrollRequest(TScrollBarKind kind, TScrollCode code, int pos) {
  if (!Accepting()) return;
  RunGuarded([&] { ScrollRequest(kind, code, pos); });
}

void TDgrCustomControl::BarAction(TScrollBarKind kind, int action) {
  QScrollBar* bar = Bar(kind).Widget;
  const int requested = bar->sliderPosition();
  // The bar must not move by itself: put the thumb back; the request decides.
  bar->setSliderPosition(Bar(kind).Info.Pos);
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: SendScrollRequest(kind, scLineUp, ScrollPos(kind)); break;
    case QAbstractSlider::SliderSingleStepAdd: SendScrollRequest(kind, scLineDown, ScrollPos(kind)); break;
    case QAbstractSlider::SliderPageStepSub: SendScrollRequest(kind, scPageUp, ScrollPos(kind)); break;
    case QAbstractSlider::SliderPageStepAdd: SendScrollRequest(kind, scPageDown, ScrollPos(kind)); break;
    case QAbstractSlider::SliderToMinimum: SendScrollRequest(kind, scTop, ScrollPos(kind)); break;
    case QAbstractSlider::SliderToMaximum: SendScrollRequest(kind, scBottom, ScrollPos(kind)); break;
    case QAbstractSlider::SliderMove:
      if (!bar->isSliderDown()) SendScrollRequest(kind, scPosition, requested);
      break;
    default: break;
  }
}

void TDgrCustomControl::BarThumbMoved(TScrollBarKind kind, int pos) {
  if (Bar(kind).Tracking) SendScrollRequest(kind, scTrack, pos);
}

void TDgrCustomControl::BarThumbReleased(TScrollBarKind kind) {
  QScrollBar* bar = Bar(kind).Widget;
  SendScrollRequest(kind, scPosition, bar->sliderPosition());
  // Keeps the bar from applying the dragged position itself after this signal.
  bar->setSliderPosition(ScrollPos(kind));
}

void TDgrCustomControl::BarMouseReleased(TScrollBarKind kind) { SendScrollRequest(kind, scEndScroll, ScrollPos(kind)); }
