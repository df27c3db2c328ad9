// A very small window manager for the real-window test on a bare X server:
// windows appear where they ask, the newest one gets the keyboard (and the one
// below gets it back when it goes), raise requests are honoured, and so are
// the fullscreen requests a desktop's window manager answers.
//
// usage: tiny_wm   (prints "ready" once it manages the display, then runs
//                   until the X server goes away; exits 1 if another window
//                   manager already runs)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {

Display* gDisplay;
Window gRoot;
std::vector<Window> gStack;  // managed windows, newest last
struct Saved {
  int x, y, w, h;
};
std::map<Window, Saved> gFullscreen;  // fullscreen windows and their old place
bool gOtherManager = false;

Atom gState, gStateFullscreen, gActive;

int OnError(Display*, XErrorEvent* e) {
  if (e->error_code == BadAccess && e->request_code == 2 /* X_ChangeWindowAttributes */) gOtherManager = true;
  return 0;  // windows vanish at any time; that is not an error here
}

void Focus(Window w) {
  XRaiseWindow(gDisplay, w);
  XSetInputFocus(gDisplay, w, RevertToPointerRoot, CurrentTime);
}

void FocusTop() {
  if (!gStack.empty()) Focus(gStack.back());
}

void Forget(Window w) {
  const auto it = std::find(gStack.begin(), gStack.end(), w);
  if (it == gStack.end()) return;
  const bool wasTop = it + 1 == gStack.end();
  gStack.erase(it);
  gFullscreen.erase(w);
  if (wasTop) FocusTop();
}

void SetFullscreen(Window w, bool on) {
  const bool is = gFullscreen.count(w) != 0;
  if (on == is) return;
  if (on) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(gDisplay, w, &a)) return;
    gFullscreen[w] = {a.x, a.y, a.width, a.height};
    XMoveResizeWindow(gDisplay, w, 0, 0, unsigned(DisplayWidth(gDisplay, DefaultScreen(gDisplay))),
                      unsigned(DisplayHeight(gDisplay, DefaultScreen(gDisplay))));
    XChangeProperty(gDisplay, w, gState, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&gStateFullscreen), 1);
  } else {
    const Saved s = gFullscreen[w];
    gFullscreen.erase(w);
    XMoveResizeWindow(gDisplay, w, s.x, s.y, unsigned(s.w), unsigned(s.h));
    XChangeProperty(gDisplay, w, gState, XA_ATOM, 32, PropModeReplace, nullptr, 0);
  }
  Focus(w);
}

void Announce() {
  // The window-manager check that toolkits look for before asking for states.
  const Window check = XCreateSimpleWindow(gDisplay, gRoot, -10, -10, 1, 1, 0, 0, 0);
  const Atom supportingCheck = XInternAtom(gDisplay, "_NET_SUPPORTING_WM_CHECK", False);
  XChangeProperty(gDisplay, gRoot, supportingCheck, XA_WINDOW, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&check), 1);
  XChangeProperty(gDisplay, check, supportingCheck, XA_WINDOW, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&check), 1);
  const Atom utf8 = XInternAtom(gDisplay, "UTF8_STRING", False);
  XChangeProperty(gDisplay, check, XInternAtom(gDisplay, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>("tiny_wm"), 7);
  Atom supported[] = {gState, gStateFullscreen, gActive};
  XChangeProperty(gDisplay, gRoot, XInternAtom(gDisplay, "_NET_SUPPORTED", False), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(supported), 3);
}

}  // namespace

int main() {
  gDisplay = XOpenDisplay(nullptr);
  if (!gDisplay) {
    std::fprintf(stderr, "tiny_wm: cannot open the display\n");
    return 1;
  }
  gRoot = DefaultRootWindow(gDisplay);
  XSetErrorHandler(OnError);
  XSelectInput(gDisplay, gRoot, SubstructureRedirectMask | SubstructureNotifyMask);
  XSync(gDisplay, False);
  if (gOtherManager) {
    std::fprintf(stderr, "tiny_wm: another window manager runs\n");
    return 1;
  }
  gState = XInternAtom(gDisplay, "_NET_WM_STATE", False);
  gStateFullscreen = XInternAtom(gDisplay, "_NET_WM_STATE_FULLSCREEN", False);
  gActive = XInternAtom(gDisplay, "_NET_ACTIVE_WINDOW", False);
  Announce();
  XSync(gDisplay, False);
  std::printf("ready\n");
  std::fflush(stdout);

  for (;;) {
    XEvent e;
    XNextEvent(gDisplay, &e);
    switch (e.type) {
      case MapRequest: {
        const Window w = e.xmaprequest.window;
        XMapRaised(gDisplay, w);
        if (std::find(gStack.begin(), gStack.end(), w) == gStack.end()) gStack.push_back(w);
        XSync(gDisplay, False);
        Focus(w);
        break;
      }
      case ConfigureRequest: {
        const XConfigureRequestEvent& r = e.xconfigurerequest;
        XWindowChanges c{};
        c.x = r.x;
        c.y = r.y;
        c.width = r.width;
        c.height = r.height;
        c.border_width = r.border_width;
        c.sibling = r.above;
        c.stack_mode = r.detail;
        XConfigureWindow(gDisplay, r.window, unsigned(r.value_mask), &c);
        break;
      }
      case UnmapNotify: Forget(e.xunmap.window); break;
      case DestroyNotify: Forget(e.xdestroywindow.window); break;
      case ClientMessage: {
        const XClientMessageEvent& m = e.xclient;
        if (m.message_type == gState) {
          // data.l[0]: 0 remove, 1 add, 2 toggle; l[1], l[2]: the states.
          if (Atom(m.data.l[1]) == gStateFullscreen || Atom(m.data.l[2]) == gStateFullscreen) {
            const bool is = gFullscreen.count(m.window) != 0;
            SetFullscreen(m.window, m.data.l[0] == 2 ? !is : m.data.l[0] == 1);
          }
        } else if (m.message_type == gActive) {
          Focus(m.window);
        }
        break;
      }
      default: break;
    }
    XSync(gDisplay, False);
  }
}
