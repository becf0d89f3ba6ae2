// timeSetEvent / timeKillEvent on std::thread. Each timer has its own thread that sleeps to
// the next absolute deadline and then calls the callback once for every deadline that has
// passed, so after n elapsed periods the callback has run n times even when the thread woke
// late. timeKillEvent stops the thread and joins it; timers still running when the process
// ends are stopped and joined by the registry's destructor. The thread shares ownership of
// its timer, so a timer killed from its own callback (whose thread cannot be joined and is
// detached) is freed when that thread returns.
#include <mmsystem.h>

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
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

void RunTimer(std::shared_ptr<Timer> timer, Clock::time_point start) {
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
    std::map<UINT, std::shared_ptr<Timer>> left;
    {
      std::lock_guard<std::mutex> guard(mutex_);
      left.swap(timers_);
    }
    for (auto& [id, timer] : left) Stop(*timer);
  }

  UINT Add(std::shared_ptr<Timer> timer) {
    std::lock_guard<std::mutex> guard(mutex_);
    UINT id = nextId_++;
    if (nextId_ == 0) nextId_ = 1;  // 0 is the failure value of timeSetEvent
    timer->id = id;
    timers_[id] = timer;
    try {
      timer->thread = std::thread(RunTimer, timer, Clock::now());
    } catch (const std::system_error&) {  // no thread to be had: the API's failure value
      timers_.erase(id);
      return 0;
    }
    return id;
  }

  std::shared_ptr<Timer> Remove(UINT id) {
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = timers_.find(id);
    if (it == timers_.end()) return nullptr;
    std::shared_ptr<Timer> timer = std::move(it->second);
    timers_.erase(it);
    return timer;
  }

  // A timer's own thread cannot join itself: asked from there, the thread is detached and
  // ends on its own, holding its share of the timer until it returns.
  static void Stop(Timer& timer) {
    {
      std::lock_guard<std::mutex> guard(timer.mutex);
      timer.stop = true;
    }
    timer.wake.notify_all();
    if (!timer.thread.joinable()) return;
    if (timer.thread.get_id() == std::this_thread::get_id())
      timer.thread.detach();
    else
      timer.thread.join();
  }

 private:
  std::mutex mutex_;
  std::map<UINT, std::shared_ptr<Timer>> timers_;
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
  auto timer = std::make_shared<Timer>();
  timer->period = uDelay;
  timer->callback = fptc;
  timer->user = dwUser;
  timer->periodic = (fuEvent & TIME_PERIODIC) != 0;
  return Timers().Add(std::move(timer));
}

MMRESULT WINAPI timeKillEvent(UINT uTimerID) {
  std::shared_ptr<Timer> timer = Timers().Remove(uTimerID);
  if (!timer) return MMSYSERR_INVALPARAM;
  Registry::Stop(*timer);
  return TIMERR_NOERROR;
}

DWORD WINAPI timeGetTime(void) {
  auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - kProcessStart);
  return static_cast<DWORD>(elapsed.count());
}
