#include "platform/ControlKeys.h"

#include <QGuiApplication>
#include <array>
#include <utility>

namespace {

// Named keys that map one to one, outside the letter, digit and function-key ranges.
constexpr std::array<std::pair<int, int>, 33> NamedKeys{{
    {Qt::Key_Backspace, VK_BACK},   {Qt::Key_Tab, VK_TAB},          {Qt::Key_Clear, VK_CLEAR},
    {Qt::Key_Return, VK_RETURN},    {Qt::Key_Shift, VK_SHIFT},      {Qt::Key_Control, VK_CONTROL},
    {Qt::Key_Alt, VK_MENU},         {Qt::Key_Pause, VK_PAUSE},      {Qt::Key_CapsLock, VK_CAPITAL},
    {Qt::Key_Escape, VK_ESCAPE},    {Qt::Key_Space, VK_SPACE},      {Qt::Key_PageUp, VK_PRIOR},
    {Qt::Key_PageDown, VK_NEXT},    {Qt::Key_End, VK_END},          {Qt::Key_Home, VK_HOME},
    {Qt::Key_Left, VK_LEFT},        {Qt::Key_Up, VK_UP},            {Qt::Key_Right, VK_RIGHT},
    {Qt::Key_Down, VK_DOWN},        {Qt::Key_Select, VK_SELECT},    {Qt::Key_Printer, VK_PRINT},
    {Qt::Key_Print, VK_SNAPSHOT},   {Qt::Key_Insert, VK_INSERT},    {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_Help, VK_HELP},        {Qt::Key_Meta, VK_LWIN},        {Qt::Key_Super_L, VK_LWIN},
    {Qt::Key_Super_R, VK_RWIN},     {Qt::Key_Menu, VK_APPS},        {Qt::Key_NumLock, VK_NUMLOCK},
    {Qt::Key_ScrollLock, VK_SCROLL}, {Qt::Key_Enter, VK_RETURN},    {Qt::Key_Backtab, VK_TAB},
}};

// Punctuation keys of a US layout, unshifted and shifted symbol for each.
constexpr std::array<std::pair<int, int>, 22> SymbolKeys{{
    {Qt::Key_Semicolon, VK_OEM_1},   {Qt::Key_Colon, VK_OEM_1},       {Qt::Key_Equal, VK_OEM_PLUS},
    {Qt::Key_Plus, VK_OEM_PLUS},     {Qt::Key_Comma, VK_OEM_COMMA},   {Qt::Key_Less, VK_OEM_COMMA},
    {Qt::Key_Minus, VK_OEM_MINUS},   {Qt::Key_Underscore, VK_OEM_MINUS}, {Qt::Key_Period, VK_OEM_PERIOD},
    {Qt::Key_Greater, VK_OEM_PERIOD}, {Qt::Key_Slash, VK_OEM_2},      {Qt::Key_Question, VK_OEM_2},
    {Qt::Key_QuoteLeft, VK_OEM_3},   {Qt::Key_AsciiTilde, VK_OEM_3},  {Qt::Key_BracketLeft, VK_OEM_4},
    {Qt::Key_BraceLeft, VK_OEM_4},   {Qt::Key_Backslash, VK_OEM_5},   {Qt::Key_Bar, VK_OEM_5},
    {Qt::Key_BracketRight, VK_OEM_6}, {Qt::Key_BraceRight, VK_OEM_6}, {Qt::Key_Apostrophe, VK_OEM_7},
    {Qt::Key_QuoteDbl, VK_OEM_7},
}};

// Shifted digits of a US layout: ')' is Shift+0, '!' Shift+1 and so on.
constexpr std::array<int, 10> ShiftedDigits{Qt::Key_ParenRight, Qt::Key_Exclam, Qt::Key_At, Qt::Key_NumberSign,
                                            Qt::Key_Dollar, Qt::Key_Percent, Qt::Key_AsciiCircum,
                                            Qt::Key_Ampersand, Qt::Key_Asterisk, Qt::Key_ParenLeft};

template <size_t N>
int Lookup(const std::array<std::pair<int, int>, N>& table, int qtKey) {
  for (const auto& [qt, vk] : table)
    if (qt == qtKey) return vk;
  return 0;
}

template <size_t N>
int ReverseLookup(const std::array<std::pair<int, int>, N>& table, int virtualKey) {
  for (const auto& [qt, vk] : table)
    if (vk == virtualKey) return qt;
  return 0;
}

int KeypadVirtualKey(int qtKey) {
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return VK_NUMPAD0 + (qtKey - Qt::Key_0);
  switch (qtKey) {
    case Qt::Key_Asterisk: return VK_MULTIPLY;
    case Qt::Key_Plus: return VK_ADD;
    case Qt::Key_Minus: return VK_SUBTRACT;
    case Qt::Key_Period:
    case Qt::Key_Comma: return VK_DECIMAL;
    case Qt::Key_Slash: return VK_DIVIDE;
    default: return 0;
  }
}

int KeypadQtKey(int virtualKey) {
  if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD0 + 9) return Qt::Key_0 + (virtualKey - VK_NUMPAD0);
  switch (virtualKey) {
    case VK_MULTIPLY: return Qt::Key_Asterisk;
    case VK_ADD: return Qt::Key_Plus;
    case VK_SUBTRACT: return Qt::Key_Minus;
    case VK_DECIMAL: return Qt::Key_Period;
    case VK_DIVIDE: return Qt::Key_Slash;
    default: return 0;
  }
}

int DigitOfShiftedSymbol(int qtKey) {
  for (size_t i = 0; i < ShiftedDigits.size(); ++i)
    if (ShiftedDigits[i] == qtKey) return static_cast<int>(i);
  return -1;
}

}  // namespace

int VirtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers) {
  if (modifiers.testFlag(Qt::KeypadModifier))
    if (const int vk = KeypadVirtualKey(qtKey)) return vk;
  if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) return qtKey;
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return VK_F1 + (qtKey - Qt::Key_F1);
  if (const int vk = Lookup(NamedKeys, qtKey)) return vk;
  if (const int vk = Lookup(SymbolKeys, qtKey)) return vk;
  if (const int digit = DigitOfShiftedSymbol(qtKey); digit >= 0) return '0' + digit;
  return 0;
}

QKeyCombination QtKeyFromVirtualKey(int virtualKey) {
  if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9'))
    return QKeyCombination(static_cast<Qt::Key>(virtualKey));
  if (virtualKey >= VK_F1 && virtualKey <= VK_F24)
    return QKeyCombination(static_cast<Qt::Key>(Qt::Key_F1 + (virtualKey - VK_F1)));
  if (const int qt = KeypadQtKey(virtualKey)) return QKeyCombination(Qt::KeypadModifier, static_cast<Qt::Key>(qt));
  if (const int qt = ReverseLookup(NamedKeys, virtualKey)) return QKeyCombination(static_cast<Qt::Key>(qt));
  if (const int qt = ReverseLookup(SymbolKeys, virtualKey)) return QKeyCombination(static_cast<Qt::Key>(qt));
  return QKeyCombination(Qt::Key_unknown);
}

QKeySequence ShortCutToKeySequence(int shortCut) {
  const QKeyCombination key = QtKeyFromVirtualKey(shortCut & 0xFF);
  if (shortCut == 0 || key.key() == Qt::Key_unknown) return QKeySequence();
  Qt::KeyboardModifiers modifiers = key.keyboardModifiers();
  if (shortCut & scShift) modifiers |= Qt::ShiftModifier;
  if (shortCut & scCtrl) modifiers |= Qt::ControlModifier;
  if (shortCut & scAlt) modifiers |= Qt::AltModifier;
  return QKeySequence(QKeyCombination(modifiers, key.key()));
}

TShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
  TShiftState state;
  if (modifiers.testFlag(Qt::ShiftModifier)) state |= ssShift;
  if (modifiers.testFlag(Qt::AltModifier)) state |= ssAlt;
  if (modifiers.testFlag(Qt::ControlModifier)) state |= ssCtrl;
  if (buttons.testFlag(Qt::LeftButton)) state |= ssLeft;
  if (buttons.testFlag(Qt::RightButton)) state |= ssRight;
  if (buttons.testFlag(Qt::MiddleButton)) state |= ssMiddle;
  return state;
}

TShiftState KeyboardShiftState() {
  return ShiftStateFromQt(QGuiApplication::queryKeyboardModifiers());
}
