// timeSetEvent / timeKillEvent on std::thread. Each timer has its own thread that sleeps to
// the next absolute deadline and then calls the callback once for every deadline that has
// passed, so after n elapsed periods the callback has run n times even when the thread woke
// late. timeKillEvent stops the thread and joins it; timers still running when the process
// ends are stopped and joined by the registry's destructor.
#include <mmsystem.h>

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/mmtimer/timer_schedule.h"

namespace zel::mmtimer {
namespace {

struct Timer {
  UINT id = 0;
  UINT period = 0;  // milliseconds
  LPTIMECALLBACK callback = nullptr;
  DWORD_PTR user = 0;
  bool periodic = true;
  std::mutex mutex;
  std::condition_variable wake;
  std::atomic<bool> stop{false};  // set under mutex so the sleeping thread sees it
  std::thread thread;
};

void RunTimer(Timer* timer, Clock::time_point start) {
  TimerSchedule schedule(start, std::chrono::milliseconds(timer->period));
  uint64_t delivered = 0;
  std::unique_lock<std::mutex> lock(timer->mutex);
  while (!timer->stop) {
    Clock::time_point next = schedule.Deadline(delivered + 1);
    if (timer->wake.wait_until(lock, next, [timer] { return timer->stop.load(); })) break;
    uint64_t due = schedule.TicksDueBy(Clock::now());
    lock.unlock();
    while (delivered < due && !timer->stop) {
      ++delivered;
      timer->callback(timer->id, 0, timer->user, 0, 0);
      if (!timer->periodic) return;
    }
    lock.lock();
  }
}

// Owns every live timer; stops and joins the remaining ones at process exit.
class Registry {
 public:
  ~Registry() {
    std::map<UINT, std::unique_ptr<Timer>> left;
    {
      std::lock_guard<std::mutex> guard(mutex_);
      left.swap(timers_);
    }
    for (auto& [id, timer] : left)
      if (!Stop(*timer)) (void)timer.release();
  }

  UINT Add(std::unique_ptr<Timer> timer) {
    std::lock_guard<std::mutex> guard(mutex_);
    UINT id = nextId_++;
    if (nextId_ == 0) nextId_ = 1;  // 0 is the failure value of timeSetEvent
    timer->id = id;
    Timer* raw = timer.get();
    timers_[id] = std::move(timer);
    raw->thread = std::thread(RunTimer, raw, Clock::now());
    return id;
  }

  std::unique_ptr<Timer> Remove(UINT id) {
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = timers_.find(id);
    if (it == timers_.end()) return nullptr;
    std::unique_ptr<Timer> timer = std::move(it->second);
    timers_.erase(it);
    return timer;
  }

  // Returns false when the timer's own thread asked (it cannot join itself and is detached).
  static bool Stop(Timer& timer) {
    {
      std::lock_guard<std::mutex> guard(timer.mutex);
      timer.stop = true;
    }
    timer.wake.notify_all();
    if (!timer.thread.joinable()) return true;
    // A callback that kills its own timer cannot join itself; the thread ends on its own.
    if (timer.thread.get_id() == std::this_thread::get_id()) {
      timer.thread.detach();
      return false;
    }
    timer.thread.join();
    return true;
  }

 private:
  std::mutex mutex_;
  std::map<UINT, std::unique_ptr<Timer>> timers_;
  UINT nextId_ = 1;
};

Registry& Timers() {
  static Registry registry;
  return registry;
}

const Clock::time_point kProcessStart = Clock::now();

}  // namespace
}  // namespace zel::mmtimer

using namespace zel::mmtimer;

MMRESULT WINAPI timeSetEvent(UINT uDelay, UINT uResolution, LPTIMECALLBACK fptc, DWORD_PTR dwUser,
                             UINT fuEvent) {
  // The resolution is a hint; the thread always aims at the exact deadline.
  if (uDelay == 0 || fptc == nullptr) return 0;
  auto timer = std::make_unique<Timer>();
  timer->period = uDelay;
  timer->callback = fptc;
  timer->user = dwUser;
  timer->periodic = (fuEvent & TIME_PERIODIC) != 0;
  return Timers().Add(std::move(timer));
}

MMRESULT WINAPI timeKillEvent(UINT uTimerID) {
  std::unique_ptr<Timer> timer = Timers().Remove(uTimerID);
  if (!timer) return MMSYSERR_INVALPARAM;
  // Killed from its own callback: the detached thread still reads the object as it returns,
  // so the object is left alive (one small record per such timer).
  if (!Registry::Stop(*timer)) (void)timer.release();
  return TIMERR_NOERROR;
}

DWORD WINAPI timeGetTime(void) {
  auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - kProcessStart);
  return static_cast<DWORD>(elapsed.count());
}
