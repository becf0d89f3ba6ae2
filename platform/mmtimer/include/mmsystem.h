// Stand-in for the multimedia timer subset of <mmsystem.h>: a periodic callback thread
// with absolute 1 ms deadlines (platform/mmtimer). Names and signatures as in the SDK.
#pragma once

#include <windows.h>

typedef UINT MMRESULT;
typedef void(CALLBACK TIMECALLBACK)(UINT uTimerID, UINT uMsg, DWORD_PTR dwUser, DWORD_PTR dw1,
                                    DWORD_PTR dw2);
typedef TIMECALLBACK *LPTIMECALLBACK;

#define TIME_ONESHOT 0x0000
#define TIME_PERIODIC 0x0001
#define TIMERR_NOERROR 0
#define MMSYSERR_INVALPARAM 11
#define TIMERR_NOCANDO 97

MMRESULT WINAPI timeSetEvent(UINT uDelay, UINT uResolution, LPTIMECALLBACK fptc, DWORD_PTR dwUser,
                             UINT fuEvent);
MMRESULT WINAPI timeKillEvent(UINT uTimerID);
DWORD WINAPI timeGetTime(void);
