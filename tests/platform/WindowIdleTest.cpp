#include "platform/Exceptions.h"
#include "platform/WindowApplication.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

// Counts the custom events it receives.
class TEventSink : public QObject {
public:
  int Received = 0;

protected:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::User) {
      ++Received;
      return true;
    }
    return QObject::event(event);
  }
};

void SendInput(QWidget& target) {
  QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
  QCoreApplication::sendEvent(&target, &key);
}

void SendPaint(QWidget& target) {
  QPaintEvent paint(QRect(0, 0, 1, 1));
  QCoreApplication::sendEvent(&target, &paint);
}

class WindowIdle : public ::testing::Test {
protected:
  void SetUp() override { QCoreApplication::processEvents(); }
  void TearDown() override {
    for (const int id : Ids) TIdleHooks::Remove(id);
    TIdleHooks::SetThrottleInterval(100);
  }
  int Add(TIdleHooks::THook hook) {
    Ids.push_back(TIdleHooks::Add(std::move(hook)));
    return Ids.back();
  }
  std::vector<int> Ids;
  QWidget Target;
};

TEST_F(WindowIdle, HookRunsAfterTheEventsAlreadyQueued) {
  TEventSink sink;
  int runs = 0;
  int seenBySink = -1;
  Add([&] {
    ++runs;
    seenBySink = sink.Received;
  });
  QCoreApplication::postEvent(&sink, new QEvent(QEvent::User));
  SendInput(Target);
  EXPECT_EQ(runs, 0);  // not inside the event
  QCoreApplication::processEvents();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(seenBySink, 1);
  QCoreApplication::processEvents();
  EXPECT_EQ(runs, 1);  // nothing happened since: no run
}

TEST_F(WindowIdle, ActivityOtherThanInputIsThrottled) {
  int runs = 0;
  Add([&] { ++runs; });
  TIdleHooks::SetThrottleInterval(60 * 60 * 1000);
  SendInput(Target);
  QCoreApplication::processEvents();
  ASSERT_EQ(runs, 1);
  SendPaint(Target);  // e.g. a repaint the hook itself caused
  QCoreApplication::processEvents();
  EXPECT_EQ(runs, 1);
  SendInput(Target);  // input still runs the hooks at once
  QCoreApplication::processEvents();
  EXPECT_EQ(runs, 2);
}

TEST_F(WindowIdle, HooksRunInOrderAndMayRemoveThemselves) {
  std::vector<std::string> calls;
  int selfId = 0;
  Add([&] { calls.push_back("first"); });
  selfId = Add([&] {
    calls.push_back("once");
    TIdleHooks::Remove(selfId);
  });
  Add([&] { calls.push_back("last"); });
  TIdleHooks::RunNow();
  TIdleHooks::RunNow();
  const std::vector<std::string> expected{"first", "once", "last", "first", "last"};
  EXPECT_EQ(calls, expected);
}

TEST_F(WindowIdle, AFailingHookDoesNotStopTheOthers) {
  QString message;
  const TExceptionHandler previous = SetApplicationExceptionHandler([&](const std::exception& error) {
    if (const auto* own = dynamic_cast<const Exception*>(&error)) message = own->Message();
  });
  int after = 0;
  Add([] { throw EInvalidOperation(QStringLiteral("Diagram not specified.")); });
  Add([&] { ++after; });
  EXPECT_NO_THROW(TIdleHooks::RunNow());
  SetApplicationExceptionHandler(previous);
  EXPECT_EQ(message, QStringLiteral("Diagram not specified."));
  EXPECT_EQ(after, 1);
}

TEST_F(WindowIdle, HooksOfADestroyedContextAreRemoved) {
  const int before = TIdleHooks::Count();
  int runs = 0;
  auto context = std::make_unique<QObject>();
  TIdleHooks::Add(context.get(), [&] { ++runs; });
  EXPECT_EQ(TIdleHooks::Count(), before + 1);
  context.reset();
  EXPECT_EQ(TIdleHooks::Count(), before);
  TIdleHooks::RunNow();
  EXPECT_EQ(runs, 0);
}

}  // namespace
