#pragma once
// Virtual-key codes (the Windows numbering the diagram's keyboard handling and the stored
// shortcuts use), their translation from and to Qt keys, and shift states from Qt's
// modifiers and buttons.
//
// Qt reports a shifted symbol key by the symbol it types (Shift+1 arrives as '!'); virtual
// keys name the physical key, so such symbols are mapped back to their key on a US layout.

#include "platform/ControlTypes.h"

#include <QKeyCombination>
#include <QKeySequence>
#include <Qt>

inline constexpr int VK_BACK = 0x08, VK_TAB = 0x09, VK_CLEAR = 0x0C, VK_RETURN = 0x0D;
inline constexpr int VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14;
inline constexpr int VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23;
inline constexpr int VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28;
inline constexpr int VK_SELECT = 0x29, VK_PRINT = 0x2A, VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D;
inline constexpr int VK_DELETE = 0x2E, VK_HELP = 0x2F;
// '0'..'9' are 0x30..0x39 and 'A'..'Z' are 0x41..0x5A.
inline constexpr int VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_APPS = 0x5D;
inline constexpr int VK_NUMPAD0 = 0x60;  // ..VK_NUMPAD9 = 0x69
inline constexpr int VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SEPARATOR = 0x6C, VK_SUBTRACT = 0x6D;
inline constexpr int VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F;
inline constexpr int VK_F1 = 0x70;  // ..VK_F24 = 0x87
inline constexpr int VK_F24 = 0x87;
inline constexpr int VK_NUMLOCK = 0x90, VK_SCROLL = 0x91;
inline constexpr int VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD;
inline constexpr int VK_OEM_PERIOD = 0xBE, VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB;
inline constexpr int VK_OEM_5 = 0xDC, VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE;

// Modifier bits of a stored shortcut (key code | modifiers).
inline constexpr int scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;

// The virtual key of a Qt key (with Qt::KeypadModifier for the numeric keypad); 0 when
// the key has none.
int VirtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// The Qt key of a virtual key (keypad keys carry Qt::KeypadModifier); Qt::Key_unknown
// when there is none.
QKeyCombination QtKeyFromVirtualKey(int virtualKey);
// A stored shortcut (virtual key plus scShift/scCtrl/scAlt) as a key sequence; empty for 0
// or an unknown key.
QKeySequence ShortCutToKeySequence(int shortCut);

TShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = Qt::NoButton);
// The Shift, Ctrl and Alt keys held right now.
TShiftState KeyboardShiftState();
