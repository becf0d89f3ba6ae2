// The thread's message queue. SDL events become posted messages when PeekMessageA looks
// at the queue: key presses as WM_KEYDOWN / WM_KEYUP (WM_SYSKEYDOWN / WM_SYSKEYUP while Alt
// is held, and for F10), the close button as WM_CLOSE. WM_QUIT is returned once the queue
// holds nothing else, as on Windows. A key released before the program found the queue
// empty (and so made a frame) since that key went down has its release held back until then:
// a press shorter than one frame is still seen as down by one frame.
#include <SDL.h>
#include <windows.h>

#include <deque>
#include <set>

#include "platform/win32/display_mode.h"
#include "platform/win32/virtual_keys.h"
#include "platform/win32/window_table.h"

namespace {

using namespace zel::win32;

struct Queue {
  std::deque<MSG> messages;
  std::deque<SDL_Event> heldBack;     // SDL events after a held-back key release, in order
  std::set<UINT> pressedSinceIdle;    // keys gone down since PeekMessageA last found nothing
  bool quitPosted = false;
  int quitCode = 0;
};

Queue& TheQueue() {
  static Queue queue;
  return queue;
}

constexpr LPARAM kExtendedAltBit = LPARAM{1} << 29;  // context code: Alt was down
constexpr LPARAM kPreviousDownBit = LPARAM{1} << 30; // the key was already down (repeat)
constexpr LPARAM kTransitionBit = LPARAM{1} << 31;   // key released

void Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{};
  msg.hwnd = hwnd;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = SDL_WasInit(SDL_INIT_TIMER | SDL_INIT_VIDEO) ? SDL_GetTicks() : 0;
  TheQueue().messages.push_back(msg);
}

void PostKey(const SDL_KeyboardEvent& key) {
  // Without a window manager SDL may not have given any window the keyboard focus; the
  // keys then belong to the program's first window, which has the X focus.
  WindowObject* window = FindWindowBySdlId(key.windowID);
  if (window == nullptr) window = FirstTopLevelWindow();
  if (window == nullptr) return;
  UINT vk = VirtualKeyFromSdl(key.keysym.sym);
  if (vk == 0) return;
  bool down = key.type == SDL_KEYDOWN;
  bool alt = (key.keysym.mod & KMOD_ALT) != 0;
  bool system = alt || vk == VK_F10;
  LPARAM lParam = 1 | static_cast<LPARAM>(key.keysym.scancode & 0xFF) << 16;
  if (alt) lParam |= kExtendedAltBit;
  if (!down) lParam |= kPreviousDownBit | kTransitionBit;
  else if (key.repeat) lParam |= kPreviousDownBit;  // auto-repeat: repeated key-downs
  UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  Post(window, message, vk, lParam);
}

// Turns one SDL event into messages; false when it is a key release to hold back.
bool Translate(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      UINT vk = VirtualKeyFromSdl(event.key.keysym.sym);
      std::set<UINT>& pressed = TheQueue().pressedSinceIdle;
      if (event.type == SDL_KEYUP && pressed.count(vk)) return false;
      if (event.type == SDL_KEYDOWN) pressed.insert(vk);
      PostKey(event.key);
      return true;
    }
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE)
        if (WindowObject* window = FindWindowBySdlId(event.window.windowID))
          Post(window, WM_CLOSE, 0, 0);
      return true;
    case SDL_QUIT:
      // Ctrl+C or a termination request (SDL turns SIGINT and SIGTERM into this) closes the
      // program's window, so the run still ends through its teardown and the display mode
      // is given back. After a window's own close event it repeats a WM_CLOSE, which is
      // harmless. A program with no window of its own (the offline capture) gets the quit
      // request itself, as WM_QUIT, and ends its work through its own teardown.
      if (WindowObject* window = FirstTopLevelWindow()) Post(window, WM_CLOSE, 0, 0);
      else PostQuitMessage(0);
      return true;
    default:
      return true;
  }
}

void PumpSdlEvents() {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
  Queue& queue = TheQueue();
  while (!queue.heldBack.empty()) {
    if (!Translate(queue.heldBack.front())) return;
    queue.heldBack.pop_front();
  }
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (Translate(event)) continue;
    queue.heldBack.push_back(event);
    while (SDL_PollEvent(&event)) queue.heldBack.push_back(event);
    return;
  }
}

bool Matches(const MSG& msg, HWND hwnd, UINT first, UINT last) {
  if (hwnd != nullptr && msg.hwnd != hwnd) return false;
  if (first == 0 && last == 0) return true;
  return msg.message >= first && msg.message <= last;
}

LRESULT SendTo(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  WindowObject* window = FindWindow(hWnd);
  if (window == nullptr || window->proc == nullptr) return 0;
  return window->proc(hWnd, Msg, wParam, lParam);
}

}  // namespace

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                         UINT wRemoveMsg) {
  if (lpMsg == nullptr) return FALSE;
  EndOnPendingFatalSignal();
  PumpSdlEvents();
  Queue& queue = TheQueue();
  for (auto it = queue.messages.begin(); it != queue.messages.end(); ++it) {
    if (!Matches(*it, hWnd, wMsgFilterMin, wMsgFilterMax)) continue;
    *lpMsg = *it;
    if (wRemoveMsg & PM_REMOVE) queue.messages.erase(it);
    return TRUE;
  }
  if (queue.quitPosted && Matches(MSG{nullptr, WM_QUIT, 0, 0, 0, {}}, nullptr, wMsgFilterMin,
                                  wMsgFilterMax)) {
    *lpMsg = MSG{};
    lpMsg->message = WM_QUIT;
    lpMsg->wParam = static_cast<WPARAM>(queue.quitCode);
    if (wRemoveMsg & PM_REMOVE) queue.quitPosted = false;
    return TRUE;
  }
  queue.pressedSinceIdle.clear();  // the program goes on to make a frame now
  return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG* lpMsg) {
  // Character messages (WM_CHAR) are not made: nothing in the program reads them.
  return lpMsg != nullptr &&
         (lpMsg->message == WM_KEYDOWN || lpMsg->message == WM_SYSKEYDOWN);
}

LRESULT WINAPI DispatchMessageA(const MSG* lpMsg) {
  if (lpMsg == nullptr || lpMsg->hwnd == nullptr) return 0;
  return SendTo(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (hWnd != nullptr && FindWindow(hWnd) == nullptr) return FALSE;
  if (Msg == WM_QUIT) {  // as the thread's quit request
    PostQuitMessage(static_cast<int>(wParam));
    return TRUE;
  }
  Post(hWnd, Msg, wParam, lParam);
  return TRUE;
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return SendTo(hWnd, Msg, wParam, lParam);
}

void WINAPI PostQuitMessage(int nExitCode) {
  TheQueue().quitPosted = true;
  TheQueue().quitCode = nExitCode;
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  switch (Msg) {
    case WM_SYSKEYDOWN:
      // Alt+F4 asks the window to close, through the system menu's Close command.
      if (wParam == VK_F4 && (lParam & kExtendedAltBit)) SendMessageA(hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(hWnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_CLOSE:
      DestroyWindow(hWnd);
      return 0;
    default:
      return 0;
  }
}
