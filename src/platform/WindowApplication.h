#pragma once
// Application-wide services of the windowing layer: idle processing and the handler that
// receives exceptions raised inside event handlers.
//
// Idle hooks (action updates, panes that mirror a model) run when the event queue has
// drained: after any input event (mouse, key, wheel, focus, window activation) at the next
// pass of the event loop, and after other activity (paints, timers) at most once per
// throttle interval (100 ms by default), so a hook that causes a repaint cannot make the
// loop spin. With no events at all nothing runs.
//
// Exceptions must not unwind through Qt's event loop. Event handlers of our windows catch
// them and pass them to HandleApplicationException; the default handler writes the message
// to the log (qCritical), the editor installs one that shows a message box.

#include <QObject>
#include <exception>
#include <functional>

class TIdleHooks {
public:
  using THook = std::function<void()>;

  // Registers a hook; answers its id for Remove. Hooks run in registration order.
  static int Add(THook hook);
  // The same, removed automatically when context is destroyed.
  static int Add(QObject* context, THook hook);
  static void Remove(int id);
  static int Count();
  // Runs every hook once, now. A hook may add or remove hooks (also itself); hooks added
  // during the run wait for the next one.
  static void RunNow();
  // Minimum time between two runs caused by activity other than input (milliseconds).
  static void SetThrottleInterval(int milliseconds);
  static int ThrottleInterval();
};

using TExceptionHandler = std::function<void(const std::exception& error)>;

// Installs the handler (an empty function restores the default); answers the previous one.
TExceptionHandler SetApplicationExceptionHandler(TExceptionHandler handler);
void HandleApplicationException(const std::exception& error);

// Runs action; an exception it raises goes to the application exception handler.
template <class F>
void RunGuarded(F&& action) {
  try {
    action();
  } catch (const std::exception& error) {
    HandleApplicationException(error);
  }
}
