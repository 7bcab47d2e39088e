#pragma once
// Types of the windowed-control layer that the diagram, the elements and the interaction
// code share: mouse buttons, the shift state, scroll bar kinds and scroll requests, the
// border style, and the event callback signatures of a windowed control.
//
// TShiftState is a set in the Delphi sense: bit n is the member with ordinal n, so it can
// be published as a Q_FLAG and streamed like any other set.

#include "geometry/DiagramTypes.h"

#include <QFlags>
#include <QObject>
#include <QString>
#include <functional>

namespace ControlTypes {
Q_NAMESPACE

enum TMouseButton { mbLeft, mbRight, mbMiddle };
Q_ENUM_NS(TMouseButton)

enum TShiftStateFlag {
  ssShift = 1 << 0,
  ssAlt = 1 << 1,
  ssCtrl = 1 << 2,
  ssLeft = 1 << 3,
  ssRight = 1 << 4,
  ssMiddle = 1 << 5,
  ssDouble = 1 << 6,
};
Q_DECLARE_FLAGS(TShiftState, TShiftStateFlag)
Q_FLAG_NS(TShiftState)

enum TScrollBarKind { sbHorizontal, sbVertical };
Q_ENUM_NS(TScrollBarKind)

// What the user asked a scroll bar to do. scPosition is the thumb released at a position,
// scTrack the thumb being dragged; scEndScroll closes every user action on a bar.
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
Q_ENUM_NS(TScrollCode)

enum TBorderStyle { bsNone, bsSingle };
Q_ENUM_NS(TBorderStyle)

}  // namespace ControlTypes

Q_DECLARE_OPERATORS_FOR_FLAGS(ControlTypes::TShiftState)

using ControlTypes::TMouseButton;
using enum ControlTypes::TMouseButton;
using ControlTypes::TShiftStateFlag;
using enum ControlTypes::TShiftStateFlag;
using ControlTypes::TShiftState;
using ControlTypes::TScrollBarKind;
using enum ControlTypes::TScrollBarKind;
using ControlTypes::TScrollCode;
using enum ControlTypes::TScrollCode;
using ControlTypes::TBorderStyle;
using enum ControlTypes::TBorderStyle;

// The state of one scroll bar, in the usual windowing convention: positions run from Min
// to Max - Page + 1 (Page 0 counts as 1), and the bar is shown only while Min < Max and
// Page <= Max - Min, that is while the page does not cover the whole range.
struct TScrollInfo {
  int Min = 0;
  int Max = 0;
  int Page = 0;
  int Pos = 0;
  friend bool operator==(const TScrollInfo&, const TScrollInfo&) = default;
};

// Event callbacks of a windowed control; the first argument is the sender.
using TNotifyEvent = std::function<void(QObject* sender)>;
using TMouseEvent = std::function<void(QObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(QObject* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(QObject* sender, int& key, TShiftState shift)>;
using TMouseWheelEvent =
    std::function<void(QObject* sender, TShiftState shift, int wheelDelta, TPoint pos, bool& handled)>;
using TMouseWheelUpDownEvent = std::function<void(QObject* sender, TShiftState shift, TPoint pos, bool& handled)>;
