#include "platform/Control.h"
#include "platform/ControlKeys.h"
#include "platform/Exceptions.h"
#include "platform/Published.h"
#include "platform/WindowApplication.h"
#include "platform/WindowScreen.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string ShiftText(TShiftState shift) {
  static const std::pair<TShiftStateFlag, const char*> names[] = {
      {ssShift, "Shift"}, {ssAlt, "Alt"}, {ssCtrl, "Ctrl"}, {ssLeft, "Left"},
      {ssRight, "Right"}, {ssMiddle, "Middle"}, {ssDouble, "Double"}};
  std::string text;
  for (const auto& [flag, name] : names)
    if (shift.testFlag(flag)) text += (text.empty() ? "" : ",") + std::string(name);
  return "[" + text + "]";
}

const char* ButtonText(TMouseButton button) {
  switch (button) {
    case mbLeft: return "L";
    case mbRight: return "R";
    case mbMiddle: return "M";
  }
  return "?";
}

const char* CodeText(TScrollCode code) {
  static const char* names[] = {"LineUp", "LineDown", "PageUp", "PageDown", "Position",
                                "Track",  "Top",      "Bottom", "EndScroll"};
  return names[code];
}

}  // namespace

// Records every hook call as a line of text.
class TProbeControl : public TDgrCustomControl {
  Q_OBJECT
public:
  explicit TProbeControl(QWidget* parent = nullptr) : TDgrCustomControl(parent) {}

  std::vector<std::string> Log;
  int PaintCount = 0;
  int ResizeCount = 0;
  int CreatedCount = 0;
  bool HandleWheel = true;
  int KeyToLeave = -1;  // KeyDown clears the key unless it is this one
  int LineStep = 0;     // when not 0, line requests move the bar by this much
  bool ThrowOnMouseDown = false;
  QColor PaintColor = Qt::white;

  using TDgrCustomControl::BackingImage;

protected:
  void Paint() override {
    ++PaintCount;
    BackingImage().fill(PaintColor);
  }
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override {
    if (ThrowOnMouseDown) throw EInvalidOperation(QStringLiteral("Diagram not specified."));
    Log.push_back("Down " + std::string(ButtonText(button)) + " " + ShiftText(shift) + " " + Pos(x, y));
  }
  void MouseMove(TShiftState shift, int x, int y) override {
    Log.push_back("Move " + ShiftText(shift) + " " + Pos(x, y));
  }
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override {
    Log.push_back("Up " + std::string(ButtonText(button)) + " " + ShiftText(shift) + " " + Pos(x, y));
  }
  void DblClick() override { Log.push_back("DblClick"); }
  void MouseLeave() override { Log.push_back("Leave"); }
  void KeyDown(int& key, TShiftState shift) override {
    Log.push_back("Key " + std::to_string(key) + " " + ShiftText(shift));
    if (key != KeyToLeave) key = 0;
  }
  bool MouseWheelDown(TShiftState shift, TPoint pos) override {
    Log.push_back("WheelDown " + ShiftText(shift) + " " + Pos(pos.X, pos.Y));
    return HandleWheel;
  }
  bool MouseWheelUp(TShiftState shift, TPoint pos) override {
    Log.push_back("WheelUp " + ShiftText(shift) + " " + Pos(pos.X, pos.Y));
    return HandleWheel;
  }
  void Resize() override { ++ResizeCount; }
  void WindowCreated() override { ++CreatedCount; }
  bool GetHint(TPoint pos, QString& text, TRect& validRect) override {
    const TRect block{10, 10, 50, 40};
    if (pos.X < block.Left || pos.X >= block.Right || pos.Y < block.Top || pos.Y >= block.Bottom) return false;
    text = QStringLiteral("Block1");
    validRect = block;
    return true;
  }
  void ScrollRequest(TScrollBarKind kind, TScrollCode code, int pos) override {
    Log.push_back(std::string(kind == sbHorizontal ? "H " : "V ") + CodeText(code) + " " + std::to_string(pos));
    if (LineStep != 0 && code == scLineDown) SetScrollPos(kind, ScrollPos(kind) + LineStep);
  }

private:
  static std::string Pos(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
};

// Publishes a window property the way a derived control does.
class TPublishingControl : public TDgrCustomControl {
  Q_OBJECT
  Q_PROPERTY(ControlTypes::TBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
public:
  using TDgrCustomControl::TDgrCustomControl;
};

namespace {

void SendMouse(QWidget* target, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QMouseEvent event(type, QPointF(pos), target->mapToGlobal(QPointF(pos)), button, buttons, modifiers);
  QCoreApplication::sendEvent(target, &event);
}

bool SendWheel(QWidget* target, QPoint pos, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QWheelEvent event(QPointF(pos), target->mapToGlobal(QPointF(pos)), QPoint(), QPoint(0, delta), Qt::NoButton,
                    modifiers, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(target, &event);
  return event.isAccepted();
}

bool SendKey(QWidget* target, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent event(type, key, modifiers);
  event.ignore();
  QCoreApplication::sendEvent(target, &event);
  return event.isAccepted();
}

class WindowControl : public ::testing::Test {
protected:
  void SetUp() override {
    Control = std::make_unique<TProbeControl>();
    Control->resize(300, 200);
    Control->show();
    Client = Control->ClientArea();
    Control->Log.clear();
  }
  std::unique_ptr<TProbeControl> Control;
  QWidget* Client = nullptr;
};

// --- Mouse -------------------------------------------------------------------------------

struct TButtonCase {
  Qt::MouseButton QtButton;
  const char* Down;
  const char* Up;
};

TEST_F(WindowControl, MousePressMoveReleaseReachTheHooksInClientPixels) {
  const TButtonCase cases[] = {
      {Qt::LeftButton, "Down L [Shift,Left] 10,20", "Up L [Shift] 12,25"},
      {Qt::RightButton, "Down R [Shift,Right] 10,20", "Up R [Shift] 12,25"},
      {Qt::MiddleButton, "Down M [Shift,Middle] 10,20", "Up M [Shift] 12,25"},
  };
  for (const auto& c : cases) {
    Control->Log.clear();
    SendMouse(Client, QEvent::MouseButtonPress, {10, 20}, c.QtButton, c.QtButton, Qt::ShiftModifier);
    SendMouse(Client, QEvent::MouseMove, {11, 22}, Qt::NoButton, c.QtButton, Qt::ControlModifier);
    SendMouse(Client, QEvent::MouseButtonRelease, {12, 25}, c.QtButton, Qt::NoButton, Qt::ShiftModifier);
    ASSERT_EQ(Control->Log.size(), 3u);
    EXPECT_EQ(Control->Log[0], c.Down);
    EXPECT_EQ(Control->Log[1].substr(0, 11), "Move [Ctrl,");
    EXPECT_EQ(Control->Log[2], c.Up);
  }
}

TEST_F(WindowControl, ClientPixelsStartInsideTheBorder) {
  Control->SetBorderStyle(bsSingle);
  Control->SetCtl3D(false);
  EXPECT_EQ(Client->geometry().topLeft(), QPoint(1, 1));
  EXPECT_EQ(Control->ClientWidth(), 298);
  EXPECT_EQ(Control->ClientHeight(), 198);
  Control->SetCtl3D(true);
  EXPECT_EQ(Client->geometry().topLeft(), QPoint(2, 2));
  EXPECT_EQ(Control->ClientWidth(), 296);
  Control->SetBorderStyle(bsNone);
  EXPECT_EQ(Client->geometry().topLeft(), QPoint(0, 0));
  EXPECT_EQ(Control->ClientWidth(), 300);
}

TEST_F(WindowControl, DoubleClickCallsDblClickThenAPressWithTheDoubleFlag) {
  SendMouse(Client, QEvent::MouseButtonPress, {5, 6}, Qt::LeftButton, Qt::LeftButton);
  SendMouse(Client, QEvent::MouseButtonRelease, {5, 6}, Qt::LeftButton, Qt::NoButton);
  SendMouse(Client, QEvent::MouseButtonDblClick, {5, 6}, Qt::LeftButton, Qt::LeftButton);
  SendMouse(Client, QEvent::MouseButtonRelease, {5, 6}, Qt::LeftButton, Qt::NoButton);
  const std::vector<std::string> expected{"Down L [Left] 5,6", "Up L [] 5,6", "DblClick",
                                          "Down L [Left,Double] 5,6", "Up L [] 5,6"};
  EXPECT_EQ(Control->Log, expected);
}

TEST_F(WindowControl, RightDoubleClickHasTheFlagButNoDblClick) {
  SendMouse(Client, QEvent::MouseButtonDblClick, {5, 6}, Qt::RightButton, Qt::RightButton);
  EXPECT_EQ(Control->Log, std::vector<std::string>{"Down R [Right,Double] 5,6"});
}

TEST_F(WindowControl, LeavingTheClientAreaNotifies) {
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(Client, &leave);
  EXPECT_EQ(Control->Log, std::vector<std::string>{"Leave"});
}

TEST_F(WindowControl, CaptureIsSetReleasedAndDroppedWithTheControl) {
  EXPECT_FALSE(Control->HasCapture());
  Control->SetCapture();
  EXPECT_TRUE(Control->HasCapture());
  EXPECT_EQ(QWidget::mouseGrabber(), Client);
  Control->ReleaseCapture();
  EXPECT_FALSE(Control->HasCapture());
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
  Control->SetCapture();
  Control.reset();
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST_F(WindowControl, ExceptionInAHookGoesToTheApplicationHandler) {
  QString message;
  const TExceptionHandler previous = SetApplicationExceptionHandler([&](const std::exception& error) {
    if (const auto* own = dynamic_cast<const Exception*>(&error)) message = own->Message();
  });
  Control->ThrowOnMouseDown = true;
  EXPECT_NO_THROW(SendMouse(Client, QEvent::MouseButtonPress, {1, 1}, Qt::LeftButton, Qt::LeftButton));
  SetApplicationExceptionHandler(previous);
  EXPECT_EQ(message, QStringLiteral("Diagram not specified."));
}

// --- Wheel -------------------------------------------------------------------------------

TEST_F(WindowControl, WheelStepsCarryTheCtrlStateAndClientPosition) {
  EXPECT_TRUE(SendWheel(Client, {7, 8}, -120, Qt::ControlModifier));
  EXPECT_TRUE(SendWheel(Client, {7, 8}, 240));
  const std::vector<std::string> expected{"WheelDown [Ctrl] 7,8", "WheelUp [] 7,8", "WheelUp [] 7,8"};
  EXPECT_EQ(Control->Log, expected);
}

TEST_F(WindowControl, FineWheelDeltasAddUpToWholeNotches) {
  SendWheel(Client, {1, 1}, 60);
  EXPECT_TRUE(Control->Log.empty());
  SendWheel(Client, {1, 1}, 60);
  EXPECT_EQ(Control->Log, std::vector<std::string>{"WheelUp [] 1,1"});
}

TEST_F(WindowControl, UnhandledWheelIsLeftToTheParent) {
  Control->HandleWheel = false;
  EXPECT_FALSE(SendWheel(Client, {1, 1}, -120));
}

TEST_F(WindowControl, WheelOverAScrollBarGoesToTheControl) {
  Control->SetScrollInfo(sbVertical, {0, 1000, 101, 0});
  QScrollBar* bar = Control->ScrollBar(sbVertical);
  ASSERT_TRUE(bar->isVisible());
  SendWheel(bar, {2, 3}, -120);
  const QPoint expected = Client->mapFromParent(bar->mapToParent(QPoint(2, 3)));
  EXPECT_EQ(Control->Log, std::vector<std::string>{"WheelDown [] " + std::to_string(expected.x()) + "," +
                                                   std::to_string(expected.y())});
  EXPECT_EQ(Control->ScrollPos(sbVertical), 0);
}

// --- Keyboard ------------------------------------------------------------------------------

TEST_F(WindowControl, KeyDownGetsTheVirtualKeyAndShiftState) {
  EXPECT_TRUE(SendKey(Control.get(), QEvent::KeyPress, Qt::Key_Left, Qt::ShiftModifier));
  EXPECT_TRUE(SendKey(Control.get(), QEvent::KeyPress, Qt::Key_Escape));
  const std::vector<std::string> expected{"Key 37 [Shift]", "Key 27 []"};
  EXPECT_EQ(Control->Log, expected);
}

TEST_F(WindowControl, KeysTheHookLeavesTravelOn) {
  Control->KeyToLeave = VK_DELETE;
  EXPECT_FALSE(SendKey(Control.get(), QEvent::KeyPress, Qt::Key_Delete));
  EXPECT_EQ(Control->Log, std::vector<std::string>{"Key 46 []"});
}

TEST_F(WindowControl, ArrowKeysAreClaimedBeforeShortcuts) {
  EXPECT_TRUE(SendKey(Control.get(), QEvent::ShortcutOverride, Qt::Key_Right));
  EXPECT_TRUE(SendKey(Control.get(), QEvent::ShortcutOverride, Qt::Key_Up, Qt::ControlModifier));
  EXPECT_FALSE(SendKey(Control.get(), QEvent::ShortcutOverride, Qt::Key_Delete));
  EXPECT_FALSE(SendKey(Control.get(), QEvent::ShortcutOverride, Qt::Key_S, Qt::ControlModifier));
}

// --- Scroll bars ----------------------------------------------------------------------------

TEST_F(WindowControl, ScrollInfoRoundTripsAndClampsThePosition) {
  Control->SetScrollInfo(sbHorizontal, {0, 1000, 101, 50});
  EXPECT_EQ(Control->ScrollInfo(sbHorizontal), (TScrollInfo{0, 1000, 101, 50}));
  Control->SetScrollPos(sbHorizontal, 2000);
  EXPECT_EQ(Control->ScrollPos(sbHorizontal), 900);  // Max - Page + 1
  Control->SetScrollPos(sbHorizontal, -5);
  EXPECT_EQ(Control->ScrollPos(sbHorizontal), 0);
  Control->SetScrollInfo(sbHorizontal, {0, 1000, 101, 950});
  EXPECT_EQ(Control->ScrollPos(sbHorizontal), 900);
  QScrollBar* bar = Control->ScrollBar(sbHorizontal);
  EXPECT_EQ(bar->minimum(), 0);
  EXPECT_EQ(bar->maximum(), 900);
  EXPECT_EQ(bar->pageStep(), 101);
  EXPECT_EQ(bar->value(), 900);
}

struct TVisibilityCase {
  TScrollInfo Info;
  bool Allowed;
  bool Shown;
};

TEST_F(WindowControl, ABarShowsWhileThePageDoesNotCoverTheRange) {
  const TVisibilityCase cases[] = {
      {{0, 1000, 101, 0}, true, true},  {{0, 100, 101, 0}, true, false}, {{0, 100, 100, 0}, true, true},
      {{0, 0, 0, 0}, true, false},      {{0, 1000, 0, 0}, true, true},   {{0, 1000, 101, 0}, false, false},
  };
  for (const auto& c : cases) {
    Control->SetScrollBarAllowed(sbVertical, c.Allowed);
    Control->SetScrollInfo(sbVertical, c.Info);
    EXPECT_EQ(Control->ScrollBarShown(sbVertical), c.Shown) << c.Info.Max << " " << c.Info.Page;
    EXPECT_EQ(Control->ScrollBar(sbVertical)->isVisible(), c.Shown);
    const int thickness = TScreen::ScrollBarThickness(Control.get());
    EXPECT_EQ(Control->ClientWidth(), 298 - (c.Shown ? thickness : 0));
  }
}

TEST_F(WindowControl, ResizingTheWindowTellsTheControlAndMarksThePictureStale) {
  Control->Repaint();
  const int resized = Control->ResizeCount;
  const int painted = Control->PaintCount;
  Control->resize(250, 150);
  EXPECT_EQ(Control->ResizeCount, resized + 1);
  EXPECT_EQ(Control->ClientWidth(), 248);
  EXPECT_EQ(Control->ClientHeight(), 148);
  Client->grab();
  EXPECT_EQ(Control->PaintCount, painted + 1);
}

TEST(WindowControlHidden, GeometryIsKnownBeforeTheFirstShow) {
  TProbeControl control;
  control.resize(400, 300);
  control.SetScrollInfo(sbVertical, {0, 1000, 200, 0});
  EXPECT_FALSE(control.isVisible());
  EXPECT_EQ(control.ClientWidth(), 398 - TScreen::ScrollBarThickness(&control));
  EXPECT_EQ(control.ClientHeight(), 298);
}

TEST_F(WindowControl, ShowingABarResizesTheClientAndTellsTheControl) {
  const int before = Control->ResizeCount;
  Control->SetScrollInfo(sbHorizontal, {0, 1000, 101, 0});
  EXPECT_EQ(Control->ResizeCount, before + 1);
  EXPECT_EQ(Control->ClientHeight(), 198 - TScreen::ScrollBarThickness(Control.get()));
  Control->SetScrollPos(sbHorizontal, 10);
  EXPECT_EQ(Control->ResizeCount, before + 1);
}

struct TActionCase {
  QAbstractSlider::SliderAction Action;
  const char* Request;
};

TEST_F(WindowControl, EachBarActionBecomesAScrollRequestAndMovesNothingByItself) {
  const TActionCase cases[] = {
      {QAbstractSlider::SliderSingleStepSub, "V LineUp 500"}, {QAbstractSlider::SliderSingleStepAdd, "V LineDown 500"},
      {QAbstractSlider::SliderPageStepSub, "V PageUp 500"},   {QAbstractSlider::SliderPageStepAdd, "V PageDown 500"},
      {QAbstractSlider::SliderToMinimum, "V Top 500"},        {QAbstractSlider::SliderToMaximum, "V Bottom 500"},
  };
  Control->SetScrollInfo(sbVertical, {0, 1000, 101, 500});
  QScrollBar* bar = Control->ScrollBar(sbVertical);
  for (const auto& c : cases) {
    Control->Log.clear();
    bar->triggerAction(c.Action);
    EXPECT_EQ(Control->Log, std::vector<std::string>{c.Request});
    EXPECT_EQ(Control->ScrollPos(sbVertical), 500);
    EXPECT_EQ(bar->value(), 500);
    EXPECT_EQ(bar->sliderPosition(), 500);
  }
}

TEST_F(WindowControl, TheRequestHandlerMovesTheBar) {
  Control->LineStep = 8;
  Control->SetScrollInfo(sbHorizontal, {0, 1000, 101, 100});
  QScrollBar* bar = Control->ScrollBar(sbHorizontal);
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(Control->ScrollPos(sbHorizontal), 108);
  EXPECT_EQ(bar->value(), 108);
  EXPECT_EQ(bar->sliderPosition(), 108);
}

TEST_F(WindowControl, DraggingTheThumbTracksThenReportsThePosition) {
  Control->SetScrollInfo(sbVertical, {0, 1000, 101, 50});
  QScrollBar* bar = Control->ScrollBar(sbVertical);
  bar->setSliderDown(true);
  bar->setSliderPosition(300);
  bar->setSliderPosition(310);
  bar->setSliderDown(false);
  const std::vector<std::string> expected{"V Track 300", "V Track 310", "V Position 310"};
  EXPECT_EQ(Control->Log, expected);
  EXPECT_EQ(Control->ScrollPos(sbVertical), 50);
  EXPECT_EQ(bar->value(), 50);
  EXPECT_EQ(bar->sliderPosition(), 50);
}

TEST_F(WindowControl, ThumbPositionsBeyondSixteenBitsArriveWhole) {
  Control->SetScrollInfo(sbHorizontal, {0, 5000000, 300, 0});
  QScrollBar* bar = Control->ScrollBar(sbHorizontal);
  bar->setSliderDown(true);
  bar->setSliderPosition(4000000);
  bar->setSliderDown(false);
  const std::vector<std::string> expected{"H Track 4000000", "H Position 4000000"};
  EXPECT_EQ(Control->Log, expected);
}

TEST_F(WindowControl, WithoutThumbTrackingOnlyTheReleasedPositionIsReported) {
  Control->SetScrollInfo(sbVertical, {0, 1000, 101, 50});
  Control->SetThumbTracking(sbVertical, false);
  QScrollBar* bar = Control->ScrollBar(sbVertical);
  bar->setSliderDown(true);
  bar->setSliderPosition(300);
  bar->setSliderDown(false);
  EXPECT_EQ(Control->Log, std::vector<std::string>{"V Position 300"});
}

TEST_F(WindowControl, ReleasingTheMouseOnABarEndsTheScroll) {
  Control->SetScrollInfo(sbVertical, {0, 1000, 101, 50});
  QScrollBar* bar = Control->ScrollBar(sbVertical);
  const QPoint bottomArrow(bar->width() / 2, bar->height() - 3);
  SendMouse(bar, QEvent::MouseButtonPress, bottomArrow, Qt::LeftButton, Qt::LeftButton);
  SendMouse(bar, QEvent::MouseButtonRelease, bottomArrow, Qt::LeftButton, Qt::NoButton);
  const std::vector<std::string> expected{"V LineDown 50", "V EndScroll 50"};
  EXPECT_EQ(Control->Log, expected);
}

// --- Cursor, hint, border, screen ---------------------------------------------------------

TEST_F(WindowControl, ControlCursorShowsOverTheClientArea) {
  Control->SetControlCursor(crHandPoint);
  EXPECT_EQ(Control->ControlCursor(), crHandPoint);
  EXPECT_EQ(Client->cursor().shape(), Qt::PointingHandCursor);
  Control->SetControlCursor(crDefault);
  EXPECT_FALSE(Client->testAttribute(Qt::WA_SetCursor));
}

TEST_F(WindowControl, HintShowsTheTextAndStaysInTheReturnedRectangle) {
  QString text;
  QRect area;
  ASSERT_TRUE(Control->HintAt({20, 20}, text, area));
  EXPECT_EQ(text, QStringLiteral("Block1"));
  EXPECT_EQ(area, QRect(10, 10, 40, 30));  // right and bottom edges excluded
  EXPECT_TRUE(area.contains(49, 39));
  EXPECT_FALSE(area.contains(50, 40));
  EXPECT_FALSE(Control->HintAt({60, 20}, text, area));

  QHelpEvent help(QEvent::ToolTip, QPoint(20, 20), Client->mapToGlobal(QPoint(20, 20)));
  QCoreApplication::sendEvent(Client, &help);
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), QStringLiteral("Block1"));
  QToolTip::hideText();
}

TEST_F(WindowControl, NoHintWhenHintsAreOff) {
  Control->SetShowHint(false);
  QString text;
  QRect area;
  EXPECT_FALSE(Control->HintAt({20, 20}, text, area));
}

TEST_F(WindowControl, FlatBorderIsDrawnInTheBorderColour) {
  Control->SetBorderStyle(bsSingle);
  Control->SetCtl3D(false);
  const QImage shot = Control->grab().toImage();
  const QRgb border = Control->palette().color(QPalette::Dark).rgb();
  EXPECT_EQ(shot.pixel(0, 0), border);
  EXPECT_EQ(shot.pixel(299, 199), border);
  EXPECT_EQ(shot.pixel(150, 0), border);
  EXPECT_EQ(shot.pixel(150, 1), QColor(Qt::white).rgb());
}

TEST_F(WindowControl, WindowCreatedRunsOnFirstShowAndOnBorderChanges) {
  EXPECT_EQ(Control->CreatedCount, 1);
  Control->hide();
  Control->show();
  EXPECT_EQ(Control->CreatedCount, 1);
  Control->SetBorderStyle(bsNone);
  EXPECT_EQ(Control->CreatedCount, 2);
  Control->SetCtl3D(true);  // no border: nothing to recreate
  EXPECT_EQ(Control->CreatedCount, 2);
  Control->SetBorderStyle(bsSingle);
  Control->SetCtl3D(false);
  EXPECT_EQ(Control->CreatedCount, 4);
}

TEST_F(WindowControl, PixelsPerInchIsTheScreensLogicalResolution) {
  const QScreen* screen = Control->screen();
  const int expected = screen ? static_cast<int>(std::lround(screen->logicalDotsPerInch())) : 96;
  EXPECT_EQ(Control->PixelsPerInch(), expected);
  EXPECT_GT(Control->PixelsPerInch(), 0);
}

// --- Painting -------------------------------------------------------------------------------

TEST_F(WindowControl, InvalidateRepaintsAtTheNextPaintEventAndOnlyThen) {
  Control->Repaint();
  const int painted = Control->PaintCount;
  Client->grab();  // a paint event without invalidation copies the picture
  EXPECT_EQ(Control->PaintCount, painted);
  Control->PaintColor = Qt::blue;
  Control->Invalidate();
  const QImage shot = Client->grab().toImage();
  EXPECT_EQ(Control->PaintCount, painted + 1);
  EXPECT_EQ(shot.pixel(5, 5), QColor(Qt::blue).rgb());
}

TEST_F(WindowControl, RepaintPaintsAtOnce) {
  const int before = Control->PaintCount;
  Control->PaintColor = Qt::green;
  Control->Repaint();
  EXPECT_EQ(Control->PaintCount, before + 1);
  EXPECT_EQ(Control->BackingImage().pixel(3, 3), QColor(Qt::green).rgb());
}

TEST_F(WindowControl, BackingImageFollowsTheClientSize) {
  EXPECT_EQ(Control->BackingImage().size(), QSize(298, 198) * Client->devicePixelRatioF());
  Control->resize(120, 90);
  EXPECT_EQ(Control->BackingImage().size(), QSize(118, 88) * Client->devicePixelRatioF());
}

TEST_F(WindowControl, InvertingFeedbackTwiceRestoresThePictureWithoutRepainting) {
  Control->PaintColor = QColor(200, 100, 50);
  Control->Repaint();
  const QImage original = Control->BackingImage().copy();
  const int painted = Control->PaintCount;
  const QRect band(20, 30, 60, 40);

  auto drawBand = [&] {
    QPainter* painter = Control->BeginFeedbackPainting();
    ASSERT_NE(painter, nullptr);
    painter->save();
    painter->setCompositionMode(QPainter::RasterOp_NotDestination);
    painter->setPen(QPen(Qt::black, 1, Qt::SolidLine));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(band);
    painter->restore();
    Control->EndFeedbackPainting(band.adjusted(0, 0, 1, 1));
  };

  drawBand();
  EXPECT_FALSE(Control->IsFeedbackPainting());
  const QImage shown = Client->grab().toImage();
  EXPECT_EQ(Control->PaintCount, painted);
  EXPECT_EQ(shown.pixel(20, 30), qRgb(55, 155, 205));     // inverted corner reaches the screen
  EXPECT_EQ(shown.pixel(40, 50), qRgb(200, 100, 50));     // inside the band untouched
  EXPECT_NE(Control->BackingImage(), original);

  drawBand();
  EXPECT_EQ(Control->BackingImage(), original);
  EXPECT_EQ(Client->grab().toImage().pixel(20, 30), qRgb(200, 100, 50));
  EXPECT_EQ(Control->PaintCount, painted);
}

TEST_F(WindowControl, FeedbackDrawsOnAnUpToDatePicture) {
  Control->Repaint();
  Control->PaintColor = Qt::red;
  Control->Invalidate();
  const int painted = Control->PaintCount;
  QPainter* outer = Control->BeginFeedbackPainting();
  QPainter* inner = Control->BeginFeedbackPainting();
  EXPECT_EQ(outer, inner);
  EXPECT_EQ(Control->PaintCount, painted + 1);
  EXPECT_EQ(Control->BackingImage().pixel(1, 1), QColor(Qt::red).rgb());
  Control->EndFeedbackPainting();
  EXPECT_TRUE(Control->IsFeedbackPainting());
  Control->EndFeedbackPainting();
  EXPECT_FALSE(Control->IsFeedbackPainting());
}

// --- Component side ----------------------------------------------------------------------------

TEST(WindowControlComponent, PublishesOnlyItsOwnProperties) {
  QStringList names;
  for (const auto& p : PublishedProperties(&TDgrCustomControl::staticMetaObject)) names << p.Name;
  EXPECT_EQ(names, QStringList{"Name"});
  names.clear();
  for (const auto& p : PublishedProperties(&TPublishingControl::staticMetaObject)) names << p.Name;
  EXPECT_EQ(names, (QStringList{"Name", "BorderStyle"}));
  EXPECT_EQ(PublishedProperties(&TPublishingControl::staticMetaObject)[1].Kind, TPropertyKind::Enumeration);
  EXPECT_FALSE(PublishedProperties(&TDgrCustomControl::staticMetaObject)[0].Meta.isStored());
}

TEST(WindowControlComponent, NamesAreValidatedAndUniqueUnderTheOwner) {
  QWidget owner;
  auto* first = Create<TProbeControl>(&owner);
  auto* second = Create<TProbeControl>(&owner);
  first->SetName(QStringLiteral("Diagram1"));
  EXPECT_EQ(first->Name(), QStringLiteral("Diagram1"));
  EXPECT_EQ(first->Owner(), &owner);
  try {
    second->SetName(QStringLiteral("diagram1"));
    FAIL() << "duplicate name accepted";
  } catch (const EComponentError& error) {
    EXPECT_EQ(error.Message(), QStringLiteral("A component named diagram1 already exists"));
  }
  try {
    second->SetName(QStringLiteral("1st"));
    FAIL() << "invalid name accepted";
  } catch (const EComponentError& error) {
    EXPECT_EQ(error.Message(), QStringLiteral("''1st'' is not a valid component name"));
  }
  Free(second);
  EXPECT_EQ(owner.findChildren<TProbeControl*>().size(), 1);
}

}  // namespace

#include "WindowControlTest.moc"
