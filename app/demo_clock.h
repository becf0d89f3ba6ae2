// DemoClock: demo time in seconds as a 32-bit float, advanced by the single-precision 0.001
// on every tick of a 1 ms multimedia timer. The timer thread alone writes it; the main thread
// reads it once per frame. A fixed-step mode applies the same float additions per frame, so
// a frame sees exactly the value the live clock shows after that many ticks.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <bit>
#include <cstdint>

namespace zel::app {

class DemoClock {
 public:
  // The single-precision value nearest 0.001 (bit pattern 0x3A83126F): one tick, seconds.
  static constexpr float kTick = std::bit_cast<float>(0x3A83126Fu);

  DemoClock();  // demo time 0.0

  // Starts the periodic timer (period and resolution in milliseconds) that calls OnTick.
  void Start(UINT period, UINT resolution);
  // Stops the timer and waits for its thread; no tick arrives afterwards.
  void Stop();

  static void CALLBACK OnTick(UINT timerId, UINT message, DWORD_PTR user, DWORD_PTR reserved1,
                              DWORD_PTR reserved2);
  float Seconds() const { return seconds.load(std::memory_order_relaxed); }

  // Fixed-step clock: `ticks` successive additions of kTick, as that many timer ticks make.
  static void Advance(uint32_t ticks);
  // Sets demo time to the first value of the tick sequence from 0.0 that is not below
  // `target` (seconds), so a late start reads exactly as the live clock would there.
  static void StartAt(float target);
  // The running sum after `ticks` additions of kTick to 0.0.
  static float AfterTicks(uint64_t ticks);

 private:
  // Class-wide, outliving the object. Atomic so the timer thread's store and the main
  // thread's load are a whole value without a data race; relaxed, as nothing else is shared.
  static std::atomic<float> seconds;
  UINT timerId = 0;  // kept so that Stop can end the timer
};

}  // namespace zel::app
