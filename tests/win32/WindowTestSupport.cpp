// Shared pieces of the Win32 window tests: a recording event sink, places, and box drivers.
#include "tests/win32/WindowTestSupport.h"

#include <algorithm>

#include "platform/win32/MessagePump_win32.h"
#include "platform/win32/WideText.h"

namespace test {

using platform::win32::windowText;

int RecordingEvents::count(const std::string& name) const {
  return static_cast<int>(std::count(calls.begin(), calls.end(), name));
}

void RecordingEvents::record(const std::string& name) {
  calls.push_back(name);
  if (onCall) onCall(name);
}

RECT placeInParent(HWND child) {
  RECT place{};
  ::GetWindowRect(child, &place);
  ::MapWindowPoints(HWND_DESKTOP, ::GetParent(child), reinterpret_cast<POINT*>(&place), 2);
  return place;
}

bool pumpUntil(const std::function<bool()>& done) {
  const ULONGLONG limit = ::GetTickCount64() + 5000;
  while (!done()) {
    if (::GetTickCount64() > limit) return false;
    (void)platform::win32::waitForMessages(nullptr, 20);
  }
  return true;
}

namespace {

struct Pending {
  SeenBox* seen = nullptr;
  std::function<void(HWND)> act;
};
Pending g_pending;

std::string className(HWND hwnd) {
  wchar_t name[64] = {};
  ::GetClassNameW(hwnd, name, 64);
  return platform::win32::narrow(name);
}

BOOL CALLBACK takeVisibleBox(HWND hwnd, LPARAM out) {
  if (className(hwnd) != "BrevanBox" || !::IsWindowVisible(hwnd)) return TRUE;
  *reinterpret_cast<HWND*>(out) = hwnd;
  return FALSE;
}

HWND openBox() {
  HWND found = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), &takeVisibleBox, reinterpret_cast<LPARAM>(&found));
  return found;
}

void record(HWND box, SeenBox& seen) {
  seen.title = windowText(box);
  std::vector<std::pair<LONG, HWND>> buttons;
  for (HWND c = ::GetWindow(box, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
    const std::string kind = className(c);
    const LONG style = ::GetWindowLongW(c, GWL_STYLE);
    if (kind == "Button") buttons.emplace_back(placeInParent(c).left, c);
    if (kind == "Edit") {
      seen.edit = c;
      seen.inputValue = windowText(c);
    }
    if (kind == "Static" && (style & SS_TYPEMASK) == SS_ICON) {
      seen.icon = reinterpret_cast<HICON>(::SendMessageW(c, STM_GETICON, 0, 0));
    } else if (kind == "Static") {
      seen.text = windowText(c);
    }
  }
  std::sort(buttons.begin(), buttons.end());
  for (const auto& b : buttons) seen.buttons.push_back(windowText(b.second));
}

void CALLBACK lookForBox(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = openBox();
  if (box == nullptr) return;
  ::KillTimer(nullptr, timer);
  Pending pending = std::move(g_pending);
  g_pending = {};
  record(box, *pending.seen);
  pending.act(box);
}

}  // namespace

void whenBoxOpens(SeenBox& seen, std::function<void(HWND box)> act) {
  g_pending = {&seen, std::move(act)};
  ::SetTimer(nullptr, 0, 10, &lookForBox);
}

bool clickButton(HWND box, const std::string& caption) {
  for (HWND c = ::GetWindow(box, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
    if (className(c) == "Button" && windowText(c) == caption) {
      ::PostMessageW(c, BM_CLICK, 0, 0);
      return true;
    }
  }
  return false;
}

}  // namespace test
