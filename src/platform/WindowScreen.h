#pragma once
// The screen: cursor numbers turned into Qt cursors, the global (screen) cursor, the
// screen's pixels per inch and the scroll-bar thickness of the system.
//
// The screen cursor overrides every window's own cursor while it is not crDefault, as the
// global cursor of the original design does; it sits on Qt's override-cursor stack and is
// taken off again when set back to crDefault.

#include "platform/ControlTypes.h"
#include "platform/GraphicsTypes.h"

#include <QCursor>
#include <QHash>

class QWidget;

// The Qt shape of a built-in cursor number; the arrow for crDefault and unknown numbers.
Qt::CursorShape CursorShapeFor(TCursor cursor);

class TScreen {
public:
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor cursor);
  // A cursor for a number: a registered custom cursor, else the built-in shape.
  QCursor CursorFor(TCursor cursor) const;
  // Registers a custom cursor under a positive number (replacing an earlier one).
  void RegisterCursor(int number, const QCursor& cursor);

  // Logical pixels per inch of the primary screen, 96 without one.
  int PixelsPerInch() const;
  // Logical pixels per inch of the screen a widget is on, 96 without one.
  static int PixelsPerInchOf(const QWidget* widget);
  // Thickness of a horizontal bar's height or a vertical bar's width, in pixels.
  static int ScrollBarThickness(const QWidget* widget = nullptr);

private:
  TCursor FCursor = crDefault;
  bool FOverrideActive = false;
  QHash<int, QCursor> FCustomCursors;
};

// The process-wide screen.
TScreen& Screen();
