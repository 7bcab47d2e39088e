#include "platform/ControlKeys.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMetaEnum>
#include <QWidget>
#include <QtTest/qtestspontaneevent.h>
#include <gtest/gtest.h>

namespace {

struct TKeyCase {
  int QtKey;
  Qt::KeyboardModifiers Modifiers;
  int VirtualKey;
};

TEST(WindowKeys, QtKeysMapToVirtualKeys) {
  const TKeyCase cases[] = {
      {Qt::Key_Left, {}, VK_LEFT},          {Qt::Key_Up, {}, VK_UP},
      {Qt::Key_Right, {}, VK_RIGHT},        {Qt::Key_Down, {}, VK_DOWN},
      {Qt::Key_PageUp, {}, VK_PRIOR},       {Qt::Key_PageDown, {}, VK_NEXT},
      {Qt::Key_Home, {}, VK_HOME},          {Qt::Key_End, {}, VK_END},
      {Qt::Key_Escape, {}, VK_ESCAPE},      {Qt::Key_Delete, {}, VK_DELETE},
      {Qt::Key_Insert, {}, VK_INSERT},      {Qt::Key_Tab, {}, VK_TAB},
      {Qt::Key_Backtab, Qt::ShiftModifier, VK_TAB},
      {Qt::Key_Return, {}, VK_RETURN},      {Qt::Key_Enter, Qt::KeypadModifier, VK_RETURN},
      {Qt::Key_Backspace, {}, VK_BACK},     {Qt::Key_Space, {}, VK_SPACE},
      {Qt::Key_F1, {}, 0x70},               {Qt::Key_F2, {}, 0x71},
      {Qt::Key_F11, {}, 0x7A},              {Qt::Key_F12, {}, 0x7B},
      {Qt::Key_A, {}, 'A'},                 {Qt::Key_Z, Qt::ShiftModifier, 'Z'},
      {Qt::Key_0, {}, '0'},                 {Qt::Key_9, {}, '9'},
      {Qt::Key_Exclam, Qt::ShiftModifier, '1'}, {Qt::Key_ParenRight, Qt::ShiftModifier, '0'},
      {Qt::Key_0, Qt::KeypadModifier, VK_NUMPAD0}, {Qt::Key_7, Qt::KeypadModifier, VK_NUMPAD0 + 7},
      {Qt::Key_Plus, Qt::KeypadModifier, VK_ADD}, {Qt::Key_Minus, Qt::KeypadModifier, VK_SUBTRACT},
      {Qt::Key_Plus, {}, VK_OEM_PLUS},      {Qt::Key_Minus, {}, VK_OEM_MINUS},
      {Qt::Key_Left, Qt::KeypadModifier, VK_LEFT},
      {Qt::Key_Shift, Qt::ShiftModifier, VK_SHIFT}, {Qt::Key_Control, Qt::ControlModifier, VK_CONTROL},
      {Qt::Key_Alt, Qt::AltModifier, VK_MENU},
      {Qt::Key_unknown, {}, 0},             {Qt::Key_MediaPlay, {}, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(VirtualKeyFromQt(c.QtKey, c.Modifiers), c.VirtualKey) << "Qt key 0x" << std::hex << c.QtKey;
}

TEST(WindowKeys, VirtualKeysMapBackToQtKeys) {
  const int virtualKeys[] = {VK_LEFT,   VK_UP,     VK_RIGHT, VK_DOWN,  VK_PRIOR, VK_NEXT, VK_HOME,
                             VK_END,    VK_ESCAPE, VK_DELETE, VK_INSERT, VK_TAB, VK_RETURN, VK_F1,
                             VK_F1 + 10, 'A',      'Q',      '5',      VK_NUMPAD0 + 3, VK_ADD, VK_OEM_COMMA};
  for (const int vk : virtualKeys) {
    const QKeyCombination key = QtKeyFromVirtualKey(vk);
    ASSERT_NE(key.key(), Qt::Key_unknown) << vk;
    EXPECT_EQ(VirtualKeyFromQt(key.key(), key.keyboardModifiers()), vk) << vk;
  }
  EXPECT_EQ(QtKeyFromVirtualKey(0xFF).key(), Qt::Key_unknown);
}

TEST(WindowKeys, StoredShortcutsBecomeKeySequences) {
  EXPECT_EQ(ShortCutToKeySequence(scCtrl | 'X'), QKeySequence(Qt::CTRL | Qt::Key_X));
  EXPECT_EQ(ShortCutToKeySequence(scCtrl | VK_DELETE), QKeySequence(Qt::CTRL | Qt::Key_Delete));
  EXPECT_EQ(ShortCutToKeySequence(scCtrl | scShift | 'Z'), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
  EXPECT_EQ(ShortCutToKeySequence(VK_F1 + 1), QKeySequence(Qt::Key_F2));
  EXPECT_EQ(ShortCutToKeySequence(scAlt | (VK_F1 + 3)), QKeySequence(Qt::ALT | Qt::Key_F4));
  EXPECT_TRUE(ShortCutToKeySequence(0).isEmpty());
  EXPECT_TRUE(ShortCutToKeySequence(scCtrl | 0xFF).isEmpty());
}

struct TShiftCase {
  Qt::KeyboardModifiers Modifiers;
  Qt::MouseButtons Buttons;
  TShiftState Expected;
};

TEST(WindowKeys, ShiftStateCombinesModifiersAndButtons) {
  const TShiftCase cases[] = {
      {Qt::NoModifier, Qt::NoButton, TShiftState()},
      {Qt::ShiftModifier, Qt::NoButton, ssShift},
      {Qt::ControlModifier | Qt::AltModifier, Qt::NoButton, TShiftState(ssCtrl) | ssAlt},
      {Qt::KeypadModifier, Qt::NoButton, TShiftState()},
      {Qt::NoModifier, Qt::LeftButton | Qt::RightButton, TShiftState(ssLeft) | ssRight},
      {Qt::ShiftModifier, Qt::MiddleButton, TShiftState(ssShift) | ssMiddle},
  };
  for (const auto& c : cases) EXPECT_EQ(ShiftStateFromQt(c.Modifiers, c.Buttons), c.Expected);
}

TEST(WindowKeys, ShiftStateIsAQFlagWithOrdinalBits) {
  const QMetaEnum meta = QMetaEnum::fromType<TShiftState>();
  ASSERT_TRUE(meta.isFlag());
  EXPECT_EQ(meta.keyToValue("ssShift"), 1);
  EXPECT_EQ(meta.keyToValue("ssDouble"), 1 << 6);
  EXPECT_EQ(QByteArray(meta.valueToKeys(ssCtrl | ssLeft)), QByteArray("ssCtrl|ssLeft"));
}

TEST(WindowKeys, KeyboardShiftStateFollowsTheKeysHeldDown) {
  // A real display answers with the physical keyboard; only the offscreen platform keeps
  // the state of the last key event delivered.
  if (QGuiApplication::platformName() != QStringLiteral("offscreen")) GTEST_SKIP();
  QWidget target;
  auto deliver = [&](QEvent::Type type, int key, Qt::KeyboardModifiers modifiers) {
    QKeyEvent event(type, key, modifiers);
    QSpontaneKeyEvent::setSpontaneous(&event);  // as if it came from the window system
    QApplication::instance()->notify(&target, &event);
  };
  deliver(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(KeyboardShiftState(), TShiftState(ssCtrl) | ssShift);
  deliver(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
  EXPECT_EQ(KeyboardShiftState(), TShiftState());
}

}  // namespace
