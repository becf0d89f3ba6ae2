// A changed display mode given back on a fatal signal. Exit handlers restore it on every
// orderly ending, and SDL turns SIGINT and SIGTERM into a quit request; a crash, an abort or
// a signal whose default action ends the process at once would leave the desktop in the
// show's mode. Giving it back talks to the display server through SDL, which is not
// async-signal-safe: a thread interrupted inside an Xlib call deadlocks a second call made
// from its own signal handler. So a signal sent from outside (kill, the terminal) is only
// noted here, and the main thread acts on it at its next look at the message queue; a fault
// (or a signal the process raised itself, as abort does) cannot wait and is handled at once.
// Either way an alarm bounds the attempt, and the signal then takes its previous course.
#include <SDL.h>
#include <signal.h>
#include <unistd.h>

#include <iterator>

#include "platform/win32/display_mode.h"

namespace zel::win32 {
namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGQUIT, SIGHUP};
struct sigaction previousActions[std::size(kFatalSignals)];
constexpr unsigned kGiveBackLimit = 2;  // seconds the mode's return may take

volatile sig_atomic_t pendingSignal = 0;  // a fatal signal from outside, for the main thread
volatile sig_atomic_t givingBack = 0;     // set once the mode's return has begun

// The signal's previous action (the default: the process ends, with a core where that is
// the rule; or, say, a sanitizer's report) takes over. A fault needs no second signal: the
// faulting instruction runs again once the handler returns and faults for real. Anything
// else is raised again, to be delivered as soon as the current handler returns.
void PassOn(int signal, bool fault) {
  for (size_t i = 0; i < std::size(kFatalSignals); ++i)
    if (kFatalSignals[i] == signal) sigaction(signal, &previousActions[i], nullptr);
  if (!fault) raise(signal);
}

// Once per process: should the mode's return hang, the alarm's default action ends it.
void GiveBackThenPassOn(int signal, bool fault) {
  if (!givingBack) {
    givingBack = 1;
    ::signal(SIGALRM, SIG_DFL);
    alarm(kGiveBackLimit);
    GiveBackDisplayMode();
    alarm(0);
  }
  PassOn(signal, fault);
}

// The main thread did not come to the signal in time: it is stuck, so try from here.
void OnAlarm(int) { GiveBackThenPassOn(pendingSignal, false); }

// A fault's codes are positive; kill's, sigqueue's and tgkill's are zero or below (the
// kernel's own, as the terminal's hangup, are positive but no fault).
bool IsFault(int signal, const siginfo_t* info) {
  return info != nullptr && info->si_code > 0 &&
         (signal == SIGSEGV || signal == SIGBUS || signal == SIGFPE || signal == SIGILL);
}

// Whether the signal can wait for the main thread: it was sent, not raised by a fault or by
// this process itself.
bool CanWait(int signal, const siginfo_t* info) {
  const bool ownRaise = info != nullptr && info->si_code <= 0 && info->si_pid == getpid();
  return info != nullptr && !IsFault(signal, info) && !ownRaise;
}

void OnFatalSignal(int signal, siginfo_t* info, void*) {
  if (CanWait(signal, info) && !pendingSignal && !givingBack) {
    pendingSignal = signal;
    ::signal(SIGALRM, OnAlarm);
    alarm(kGiveBackLimit);
    return;
  }
  GiveBackThenPassOn(signal, IsFault(signal, info));
}

}  // namespace

void GuardDisplayModeAgainstSignals() {
  static bool guarded = false;
  if (guarded) return;
  guarded = true;
  for (size_t i = 0; i < std::size(kFatalSignals); ++i) {
    if (sigaction(kFatalSignals[i], nullptr, &previousActions[i]) != 0) continue;
    if (previousActions[i].sa_handler == SIG_IGN) continue;  // ignored (nohup) stays ignored
    struct sigaction action = {};
    action.sa_sigaction = OnFatalSignal;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    sigaction(kFatalSignals[i], &action, nullptr);
  }
}

void EndOnPendingFatalSignal() {
  const int signal = pendingSignal;
  if (signal == 0 || givingBack) return;
  givingBack = 1;
  alarm(0);
  GiveBackDisplayMode();
  PassOn(signal, false);
}

}  // namespace zel::win32
