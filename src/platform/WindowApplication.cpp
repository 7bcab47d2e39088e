#include "platform/WindowApplication.h"

#include "platform/Exceptions.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QtGlobal>
#include <algorithm>
#include <utility>
#include <vector>

namespace {

struct TIdleRegistry {
  std::vector<std::pair<int, TIdleHooks::THook>> Hooks;
  int NextId = 1;
  int ThrottleMs = 100;
};

TIdleRegistry& Registry() {
  static TIdleRegistry registry;
  return registry;
}

bool IsInputEvent(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::Close:
    case QEvent::Shortcut:
      return true;
    default:
      return false;
  }
}

bool IsActivityEvent(QEvent::Type type) {
  return type == QEvent::Paint || type == QEvent::Timer || type == QEvent::MetaCall;
}

// Watches the application's events and runs the hooks once the queue has drained.
class TIdleScheduler : public QObject {
public:
  explicit TIdleScheduler(QObject* parent) : QObject(parent) {
    FTimer.setSingleShot(true);
    connect(&FTimer, &QTimer::timeout, this, [this] { Run(); });
    FSinceRun.start();
    parent->installEventFilter(this);
  }

  void Run() {
    FSinceRun.restart();
    TIdleHooks::RunNow();
  }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &FTimer || watched == this) return false;
    if (IsInputEvent(event->type()))
      ScheduleIn(0);
    else if (IsActivityEvent(event->type()))
      ScheduleIn(std::max<qint64>(0, Registry().ThrottleMs - FSinceRun.elapsed()));
    return false;
  }

private:
  void ScheduleIn(qint64 milliseconds) {
    if (Registry().Hooks.empty()) return;
    if (FTimer.isActive() && FTimer.remainingTime() <= milliseconds) return;
    FTimer.start(static_cast<int>(std::min<qint64>(milliseconds, Registry().ThrottleMs)));
  }

  QTimer FTimer;
  QElapsedTimer FSinceRun;
};

void EnsureScheduler() {
  static QPointer<TIdleScheduler> scheduler;
  if (!scheduler && QCoreApplication::instance()) scheduler = new TIdleScheduler(QCoreApplication::instance());
}

TExceptionHandler& CurrentHandler() {
  static TExceptionHandler handler;
  return handler;
}

}  // namespace

int TIdleHooks::Add(THook hook) {
  EnsureScheduler();
  TIdleRegistry& registry = Registry();
  const int id = registry.NextId++;
  registry.Hooks.emplace_back(id, std::move(hook));
  return id;
}

int TIdleHooks::Add(QObject* context, THook hook) {
  const int id = Add(std::move(hook));
  if (context) QObject::connect(context, &QObject::destroyed, [id] { Remove(id); });
  return id;
}

void TIdleHooks::Remove(int id) {
  auto& hooks = Registry().Hooks;
  hooks.erase(std::remove_if(hooks.begin(), hooks.end(), [id](const auto& entry) { return entry.first == id; }),
              hooks.end());
}

int TIdleHooks::Count() { return static_cast<int>(Registry().Hooks.size()); }

void TIdleHooks::RunNow() {
  // Hooks may change the list while they run: walk the ids present at the start and look
  // each up again, and call a copy so a hook that removes itself stays alive until it returns.
  std::vector<int> ids;
  for (const auto& entry : Registry().Hooks) ids.push_back(entry.first);
  for (const int id : ids) {
    const auto& hooks = Registry().Hooks;
    const auto it = std::find_if(hooks.begin(), hooks.end(), [id](const auto& entry) { return entry.first == id; });
    if (it == hooks.end() || !it->second) continue;
    const THook hook = it->second;
    RunGuarded(hook);
  }
}

void TIdleHooks::SetThrottleInterval(int milliseconds) { Registry().ThrottleMs = std::max(0, milliseconds); }

int TIdleHooks::ThrottleInterval() { return Registry().ThrottleMs; }

TExceptionHandler SetApplicationExceptionHandler(TExceptionHandler handler) {
  return std::exchange(CurrentHandler(), std::move(handler));
}

void HandleApplicationException(const std::exception& error) {
  if (const TExceptionHandler& handler = CurrentHandler()) {
    try {
      handler(error);
    } catch (...) {
      qCritical("Exception in the application exception handler");
    }
    return;
  }
  if (const auto* own = dynamic_cast<const Exception*>(&error))
    qCritical("%s", qUtf8Printable(own->Message()));
  else
    qCritical("%s", error.what());
}
