// Xvfb, Xlib for finding windows and reading pixels, xdotool for input, ImageMagick for PNGs.
#include "tests/e2e/XDisplay.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace e2e {

namespace {

Display* dpy(void* display) { return static_cast<Display*>(display); }

// A window may vanish between listing and asking (a box closing): its errors are expected.
int ignoreErrors(Display*, XErrorEvent*) { return 0; }

std::string titleOf(Display* d, Window w) {
  const Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(d, w, netName, 0, 1024, False, utf8, &type, &format, &count, &after,
                         &data) == Success &&
      data != nullptr && type == utf8) {
    title.assign(reinterpret_cast<char*>(data), count);
  }
  if (data) XFree(data);
  if (title.empty()) {
    char* name = nullptr;
    if (XFetchName(d, w, &name) && name) title = name;
    if (name) XFree(name);
  }
  return title;
}

std::vector<Window> shownTopLevels(Display* d) {
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  std::vector<Window> shown;
  if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return shown;
  for (unsigned int i = 0; i < count; ++i) {
    XWindowAttributes a{};
    if (XGetWindowAttributes(d, children[i], &a) && a.map_state == IsViewable) {
      shown.push_back(children[i]);
    }
  }
  if (children) XFree(children);
  return shown;
}

}  // namespace

std::string XDisplay::missingTools() {
  std::string missing;
  for (const char* tool : {"Xvfb", "xdotool"}) {
    if (findProgram(tool).empty()) missing += std::string(missing.empty() ? "" : ", ") + tool;
  }
  return missing;
}

XDisplay::XDisplay() {
  char logName[] = "/tmp/brevan-e2e-xvfb-XXXXXX";
  const int fd = ::mkstemp(logName);
  if (fd < 0) throw std::runtime_error("no scratch file for Xvfb");
  ::close(fd);
  // -displayfd: Xvfb takes a free display number itself and writes it to standard output.
  m_server = std::make_unique<ChildProcess>(
      std::vector<std::string>{"Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24",
                               "-nolisten", "tcp"},
      std::map<std::string, std::string>{}, logName);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (m_display == nullptr && std::chrono::steady_clock::now() < end) {
    std::ifstream log(logName);
    std::string line;
    while (m_name.empty() && std::getline(log, line)) {
      if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos) {
        m_name = ":" + line;
      }
    }
    if (!m_name.empty()) m_display = XOpenDisplay(m_name.c_str());
    if (m_display == nullptr) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ::unlink(logName);
  if (m_display == nullptr) throw std::runtime_error("Xvfb did not start");
  XSetErrorHandler(ignoreErrors);
}

XDisplay::~XDisplay() {
  if (m_display) XCloseDisplay(dpy(m_display));
  m_server.reset();  // stops Xvfb by its process id
}

std::vector<unsigned long> XDisplay::windows(const std::string& title) {
  std::vector<unsigned long> found;
  for (const Window w : shownTopLevels(dpy(m_display))) {
    if (titleOf(dpy(m_display), w) == title) found.push_back(w);
  }
  return found;
}

std::vector<std::string> XDisplay::shownTitles() {
  std::vector<std::string> titles;
  for (const Window w : shownTopLevels(dpy(m_display))) {
    titles.push_back(titleOf(dpy(m_display), w));
  }
  return titles;
}

bool XDisplay::isShown(unsigned long window) {
  XWindowAttributes a{};
  return XGetWindowAttributes(dpy(m_display), window, &a) && a.map_state == IsViewable;
}

Rect XDisplay::geometry(unsigned long window) {
  Display* d = dpy(m_display);
  XWindowAttributes a{};
  Window child = 0;
  int x = 0, y = 0;
  if (!XGetWindowAttributes(d, window, &a) ||
      !XTranslateCoordinates(d, window, DefaultRootWindow(d), 0, 0, &x, &y, &child)) {
    return {};
  }
  return {x, y, a.width, a.height};
}

bool XDisplay::run(const std::vector<std::string>& argv) {
  return commandOutput(argv, {{"DISPLAY", m_name}}).has_value();
}

void XDisplay::key(unsigned long window, const std::string& keyName) {
  XSetInputFocus(dpy(m_display), window, RevertToParent, CurrentTime);
  XSync(dpy(m_display), False);
  if (!run({"xdotool", "key", keyName})) throw std::runtime_error("xdotool key failed");
}

void XDisplay::type(unsigned long window, const std::string& text) {
  XSetInputFocus(dpy(m_display), window, RevertToParent, CurrentTime);
  XSync(dpy(m_display), False);
  if (!run({"xdotool", "type", "--delay", "30", "--", text})) {
    throw std::runtime_error("xdotool type failed");
  }
}

void XDisplay::click(int x, int y) {
  // xdotool's --sync waits for a motion that never comes when the pointer is already there (a
  // second click on the same button), until its own time-out.
  Display* d = dpy(m_display);
  Window root = 0, child = 0;
  int rootX = -1, rootY = -1, winX = 0, winY = 0;
  unsigned int mask = 0;
  const bool there =
      XQueryPointer(d, DefaultRootWindow(d), &root, &child, &rootX, &rootY, &winX, &winY, &mask) &&
      rootX == x && rootY == y;
  std::vector<std::string> argv{"xdotool", "mousemove"};
  if (!there) argv.push_back("--sync");
  for (const std::string& part :
       {std::to_string(x), std::to_string(y), std::string("click"), std::string("1")}) {
    argv.push_back(part);
  }
  if (!run(argv)) throw std::runtime_error("xdotool click failed");
}

void XDisplay::requestClose(unsigned long window) {
  Display* d = dpy(m_display);
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = window;
  e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, window, False, NoEventMask, &e);
  XSync(d, False);
}

std::vector<uint32_t> XDisplay::pixels(const Rect& r) {
  Display* d = dpy(m_display);
  std::vector<uint32_t> out;
  XImage* image = XGetImage(d, DefaultRootWindow(d), r.x, r.y, static_cast<unsigned>(r.width),
                            static_cast<unsigned>(r.height), AllPlanes, ZPixmap);
  if (image == nullptr) return out;
  for (int y = 0; y < r.height; ++y) {
    for (int x = 0; x < r.width; ++x) {
      out.push_back(static_cast<uint32_t>(XGetPixel(image, x, y) & 0xFFFFFF));
    }
  }
  XDestroyImage(image);
  return out;
}

bool XDisplay::screenshot(const std::string& file, const Rect& r) {
  std::vector<std::string> argv = {"import", "-silent", "-window", "root"};
  if (r.width > 0 && r.height > 0) {
    argv.insert(argv.end(), {"-crop",
                             std::to_string(r.width) + "x" + std::to_string(r.height) + "+" +
                                 std::to_string(r.x) + "+" + std::to_string(r.y),
                             "+repage"});
  }
  argv.push_back(file);
  return !findProgram("import").empty() && run(argv);
}

}  // namespace e2e
