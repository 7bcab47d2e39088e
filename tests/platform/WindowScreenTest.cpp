#include "platform/WindowScreen.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <gtest/gtest.h>
#include <cmath>

namespace {

struct TCursorCase {
  TCursor Cursor;
  Qt::CursorShape Shape;
};

TEST(WindowScreen, CursorNumbersMapToQtShapes) {
  const TCursorCase cases[] = {
      {crDefault, Qt::ArrowCursor},        {crNone, Qt::BlankCursor},           {crArrow, Qt::ArrowCursor},
      {crCross, Qt::CrossCursor},          {crIBeam, Qt::IBeamCursor},          {crSize, Qt::SizeAllCursor},
      {crSizeNESW, Qt::SizeBDiagCursor},   {crSizeNS, Qt::SizeVerCursor},       {crSizeNWSE, Qt::SizeFDiagCursor},
      {crSizeWE, Qt::SizeHorCursor},       {crUpArrow, Qt::UpArrowCursor},      {crHourGlass, Qt::WaitCursor},
      {crDrag, Qt::DragMoveCursor},        {crNoDrop, Qt::ForbiddenCursor},     {crHSplit, Qt::SplitHCursor},
      {crVSplit, Qt::SplitVCursor},        {crMultiDrag, Qt::DragCopyCursor},   {crSQLWait, Qt::WaitCursor},
      {crNo, Qt::ForbiddenCursor},         {crAppStart, Qt::BusyCursor},        {crHelp, Qt::WhatsThisCursor},
      {crHandPoint, Qt::PointingHandCursor}, {crSizeAll, Qt::SizeAllCursor},
      {static_cast<TCursor>(-99), Qt::ArrowCursor}, {static_cast<TCursor>(7), Qt::ArrowCursor},
  };
  for (const auto& c : cases) EXPECT_EQ(CursorShapeFor(c.Cursor), c.Shape) << c.Cursor;
}

TEST(WindowScreen, ScreenCursorOverridesUntilSetBackToDefault) {
  ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
  Screen().SetCursor(crHourGlass);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  Screen().SetCursor(crHandPoint);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
  Screen().SetCursor(crHandPoint);
  Screen().SetCursor(crDefault);
  EXPECT_EQ(Screen().Cursor(), crDefault);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);  // one push, one pop
  Screen().SetCursor(crDefault);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(WindowScreen, RegisteredCustomCursorsTakePrecedence) {
  Screen().RegisterCursor(5, QCursor(Qt::OpenHandCursor));
  EXPECT_EQ(Screen().CursorFor(static_cast<TCursor>(5)).shape(), Qt::OpenHandCursor);
  Screen().RegisterCursor(-21, QCursor(Qt::OpenHandCursor));  // built-in numbers stay built in
  EXPECT_EQ(Screen().CursorFor(crHandPoint).shape(), Qt::PointingHandCursor);
}

TEST(WindowScreen, PixelsPerInchAndScrollBarThickness) {
  const QScreen* primary = QGuiApplication::primaryScreen();
  const int expected = primary ? static_cast<int>(std::lround(primary->logicalDotsPerInch())) : 96;
  EXPECT_EQ(Screen().PixelsPerInch(), expected);
  QScrollBar bar(Qt::Vertical);
  EXPECT_EQ(TScreen::ScrollBarThickness(), bar.sizeHint().width());
  EXPECT_GT(TScreen::ScrollBarThickness(), 0);
}

}  // namespace
