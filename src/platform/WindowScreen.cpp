#include "platform/WindowScreen.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <array>
#include <cmath>
#include <utility>

namespace {

constexpr int DefaultPixelsPerInch = 96;

constexpr std::array<std::pair<TCursor, Qt::CursorShape>, 23> BuiltInCursors{{
    {crDefault, Qt::ArrowCursor},       {crNone, Qt::BlankCursor},          {crArrow, Qt::ArrowCursor},
    {crCross, Qt::CrossCursor},         {crIBeam, Qt::IBeamCursor},         {crSize, Qt::SizeAllCursor},
    {crSizeNESW, Qt::SizeBDiagCursor},  {crSizeNS, Qt::SizeVerCursor},      {crSizeNWSE, Qt::SizeFDiagCursor},
    {crSizeWE, Qt::SizeHorCursor},      {crUpArrow, Qt::UpArrowCursor},     {crHourGlass, Qt::WaitCursor},
    {crDrag, Qt::DragMoveCursor},       {crNoDrop, Qt::ForbiddenCursor},    {crHSplit, Qt::SplitHCursor},
    {crVSplit, Qt::SplitVCursor},       {crMultiDrag, Qt::DragCopyCursor},  {crSQLWait, Qt::WaitCursor},
    {crNo, Qt::ForbiddenCursor},        {crAppStart, Qt::BusyCursor},       {crHelp, Qt::WhatsThisCursor},
    {crHandPoint, Qt::PointingHandCursor}, {crSizeAll, Qt::SizeAllCursor},
}};

int DotsPerInchOf(const QScreen* screen) {
  if (!screen) return DefaultPixelsPerInch;
  const double dpi = screen->logicalDotsPerInch();
  if (!std::isfinite(dpi) || dpi < 1) return DefaultPixelsPerInch;
  return static_cast<int>(std::lround(dpi));
}

}  // namespace

Qt::CursorShape CursorShapeFor(TCursor cursor) {
  for (const auto& [number, shape] : BuiltInCursors)
    if (number == cursor) return shape;
  return Qt::ArrowCursor;
}

QCursor TScreen::CursorFor(TCursor cursor) const {
  const auto it = FCustomCursors.constFind(cursor);
  if (it != FCustomCursors.constEnd()) return it.value();
  return QCursor(CursorShapeFor(cursor));
}

void TScreen::RegisterCursor(int number, const QCursor& cursor) {
  if (number > 0) FCustomCursors.insert(number, cursor);
}

void TScreen::SetCursor(TCursor cursor) {
  if (cursor == FCursor) return;
  FCursor = cursor;
  if (cursor == crDefault) {
    if (FOverrideActive) QGuiApplication::restoreOverrideCursor();
    FOverrideActive = false;
  } else if (FOverrideActive) {
    QGuiApplication::changeOverrideCursor(CursorFor(cursor));
  } else {
    QGuiApplication::setOverrideCursor(CursorFor(cursor));
    FOverrideActive = true;
  }
}

int TScreen::PixelsPerInch() const { return DotsPerInchOf(QGuiApplication::primaryScreen()); }

int TScreen::PixelsPerInchOf(const QWidget* widget) {
  return DotsPerInchOf(widget ? widget->screen() : QGuiApplication::primaryScreen());
}

int TScreen::ScrollBarThickness(const QWidget* widget) {
  const QStyle* style = widget ? widget->style() : QApplication::style();
  return style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, widget);
}

TScreen& Screen() {
  static TScreen screen;
  return screen;
}
