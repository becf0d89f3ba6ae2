// x11_close_request: asks a window to close the way a window manager's close button does,
// for the drills on a bare X server that has no window manager (and beside one, for the
// desktop tests). It waits for a viewable window with exactly the given title, anywhere in
// the window tree (a window manager reparents it), then sends it the WM_PROTOCOLS client
// message WM_DELETE_WINDOW. A window that does not take part in that protocol would be
// killed by a window manager instead; here that is a failure, as the program must take it.
// Usage: x11_close_request TITLE [SECONDS]   (default 30 s to wait for the window)
// Prints the window's id; status 0 when the request was sent, 1 on timeout, 2 on misuse.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

// A window found in the tree may be gone by the time it is asked about; that is no error
// here, and Xlib's default handler would end this program for it.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

bool HasTitle(Display* display, Window window, const std::string& title) {
  char* name = nullptr;
  if (!XFetchName(display, window, &name) || name == nullptr) return false;
  bool same = title == name;
  XFree(name);
  return same;
}

bool IsShown(Display* display, Window window) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(display, window, &attributes) &&
         attributes.map_state == IsViewable;
}

// Without a window manager the programs' windows are the root's children; a window manager
// puts each into a frame of its own, so the search goes down the whole tree.
Window FindTopLevel(Display* display, Window under, const std::string& title) {
  Window root = 0, parent = 0, found = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, under, &root, &parent, &children, &count)) return 0;
  for (unsigned int i = 0; i < count && found == 0; ++i)
    if (HasTitle(display, children[i], title) && IsShown(display, children[i]))
      found = children[i];
  for (unsigned int i = 0; i < count && found == 0; ++i) found = FindTopLevel(display, children[i], title);
  if (children != nullptr) XFree(children);
  return found;
}

bool TakesDeleteRequests(Display* display, Window window, Atom deleteWindow) {
  Atom* protocols = nullptr;
  int count = 0;
  if (!XGetWMProtocols(display, window, &protocols, &count)) return false;
  bool takes = false;
  for (int i = 0; i < count; ++i) takes = takes || protocols[i] == deleteWindow;
  if (protocols != nullptr) XFree(protocols);
  return takes;
}

void SendDeleteRequest(Display* display, Window window, Atom protocols, Atom deleteWindow) {
  XEvent event;
  std::memset(&event, 0, sizeof event);
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = protocols;
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(deleteWindow);
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s TITLE [SECONDS]\n", argv[0]);
    return 2;
  }
  const std::string title = argv[1];
  const int seconds = argc == 3 ? std::atoi(argv[2]) : 30;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "x11_close_request: cannot open the display\n");
    return 2;
  }
  XSetErrorHandler(IgnoreErrors);
  Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
  Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);

  // Polled every 2 ms: the request should land as soon as the window shows.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  Window window = 0;
  while ((window = FindTopLevel(display, DefaultRootWindow(display), title)) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      std::fprintf(stderr, "x11_close_request: no window '%s' within %d s\n", title.c_str(), seconds);
      XCloseDisplay(display);
      return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  int status = 0;
  if (TakesDeleteRequests(display, window, deleteWindow)) {
    SendDeleteRequest(display, window, protocols, deleteWindow);
    std::printf("%lu\n", static_cast<unsigned long>(window));
  } else {
    std::fprintf(stderr, "x11_close_request: window 0x%lx does not take WM_DELETE_WINDOW\n",
                 static_cast<unsigned long>(window));
    status = 1;
  }
  XCloseDisplay(display);
  return status;
}
