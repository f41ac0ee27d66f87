// Reading and working the main window and its message boxes. The program
// runs in another process, so everything goes through window messages that
// the system carries across (texts, check states, list lines) or through
// the screen (the message box icon).
#include <windows.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

#include "app/frm_main_layout.h"
#include "app/texts.h"
#include "tools/ui-driver/driver.h"

namespace ocx::ui_driver {
namespace {

constexpr DWORD kPollMs = 50;

// Waits like Sleep, but answers messages sent to the driver meanwhile: the
// program sends some to the clipboard's owner (the driver, after
// clipboard-put) and waits until they are answered.
void pumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&message);
    }
    const DWORD spent = GetTickCount() - start;
    if (spent >= ms) {
      return;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
  }
}

template <class Ready>
bool pollUntil(DWORD timeoutMs, Ready&& ready) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (ready()) {
      return true;
    }
    if (GetTickCount() - start >= timeoutMs) {
      return false;
    }
    pumpFor(kPollMs);
  }
}

void requireWindow(const Target& target) {
  if (target.window == nullptr) {
    throw CommandFailed("no window yet: run wait first");
  }
}

BOOL CALLBACK collect(HWND window, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
  return TRUE;
}

std::vector<HWND> topLevelWindows() {
  std::vector<HWND> found;
  EnumWindows(collect, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::vector<HWND> children(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, collect, reinterpret_cast<LPARAM>(&found));
  return found;
}

// Top-level captions are read without a message: other processes' windows
// are among them, and any of them may be busy.
std::wstring caption(HWND window) {
  wchar_t text[512];
  const int length = GetWindowTextW(window, text, 512);
  return {text, static_cast<std::size_t>(std::max(length, 0))};
}

HWND findMainWindow() {
  const std::wstring prefix = toWide(texts::kWindowCaption);
  for (HWND window : topLevelWindows()) {
    if (IsWindowVisible(window) && caption(window).starts_with(prefix)) {
      return window;
    }
  }
  return nullptr;
}

HWND findControl(HWND main, int id) {
  for (HWND window : children(main)) {
    if (GetDlgCtrlID(window) == id) {
      return window;
    }
  }
  return nullptr;
}

std::string lower(std::string text) {
  std::ranges::transform(text, text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool isCheckBox(LONG style) {
  switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
      return true;
    default:
      return false;
  }
}

std::string kindOf(HWND control) {
  std::string cls = lower(className(control));
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  if (cls == "button") {
    if ((style & BS_TYPEMASK) == BS_GROUPBOX) {
      return "frame";
    }
    return isCheckBox(style) ? "checkbox" : "button";
  }
  if (cls == "static") {
    return "label";
  }
  return cls;
}

const DesignedElement& elementNamed(std::string_view name) {
  const DesignedElement* element = frm_main::findElement(name);
  if (element == nullptr) {
    throw CommandFailed("unknown element " + std::string(name));
  }
  return *element;
}

HWND controlNamed(const Target& target, std::string_view name) {
  HWND control = findControl(target.window, elementNamed(name).id);
  if (control == nullptr) {
    throw CommandFailed("the window has no control for " + std::string(name));
  }
  return control;
}

std::optional<std::string> nameOf(HWND control) {
  const DesignedElement* element = frm_main::findElement(GetDlgCtrlID(control));
  if (element == nullptr) {
    return std::nullopt;
  }
  return displayName(*element);
}

// Position in the main window's client coordinates, which is what the
// layout table scales to.
std::vector<int> clientRect(HWND main, HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

int screenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

// The space a text needs in a font: wrapped at `wrapWidth`, or on one line
// when it is 0. Used to tell whether a caption shows complete.
SIZE textExtent(const LOGFONTW& font, const std::wstring& text, int wrapWidth) {
  HDC screen = GetDC(nullptr);
  HFONT handle = CreateFontIndirectW(&font);
  HGDIOBJ old = SelectObject(screen, handle);
  RECT r{0, 0, wrapWidth, 0};
  const UINT flags = DT_CALCRECT | DT_NOPREFIX | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE);
  DrawTextW(screen, text.c_str(), static_cast<int>(text.size()), &r, flags);
  SelectObject(screen, old);
  DeleteObject(handle);
  ReleaseDC(nullptr, screen);
  return {r.right - r.left, r.bottom - r.top};
}

LOGFONTW designFont(int weight, int dpi) {
  const WindowLayout& design = frm_main::layout();
  LOGFONTW font{};
  font.lfHeight = -MulDiv(static_cast<int>(std::lround(design.fontPoints * 100)), dpi, 72 * 100);
  font.lfWeight = weight;
  font.lfCharSet = DEFAULT_CHARSET;
  const std::wstring face = toWide(design.fontName);
  face.copy(font.lfFaceName, LF_FACESIZE - 1);
  return font;
}

JsonObject describeFont(const LOGFONTW& font, int dpi) {
  JsonObject json;
  json.add("face", toUtf8(font.lfFaceName))
      .add("height", static_cast<int>(font.lfHeight))
      .add("weight", static_cast<int>(font.lfWeight))
      .add("points", std::abs(font.lfHeight) * 72.0 / dpi);
  return json;
}

std::vector<std::string> listLines(HWND list) {
  std::vector<std::string> lines;
  const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const auto length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring line(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    const auto got = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line.data()));
    line.resize(static_cast<std::size_t>(std::max<LRESULT>(got, 0)));
    lines.push_back(toUtf8(line));
  }
  return lines;
}

JsonObject describeControl(HWND main, HWND control, int dpi) {
  const std::string kind = kindOf(control);
  const std::wstring text = toWide(windowText(control));
  const std::vector<int> rect = clientRect(main, control);

  JsonObject json;
  json.add("id", GetDlgCtrlID(control));
  if (const auto name = nameOf(control)) {
    json.add("name", *name);
  } else {
    json.addNull("name");
  }
  json.add("kind", kind)
      .add("class", className(control))
      .add("text", toUtf8(text))
      .add("enabled", IsWindowEnabled(control) != FALSE)
      .add("visible", IsWindowVisible(control) != FALSE)
      .add("rect", rect);
  if (kind == "checkbox") {
    json.add("check", static_cast<int>(SendMessageW(control, BM_GETCHECK, 0, 0)));
  }
  if (kind == "listbox") {
    json.add("lines", listLines(control));
  }

  const DesignedElement* element = frm_main::findElement(GetDlgCtrlID(control));

  // A font belongs to the process that made it, and Wine answers WM_GETFONT
  // from another process with nothing. Then the text is measured in the
  // font the window is designed with, which still tells whether the
  // caption fits its control with the fonts this machine has.
  auto handle = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  LOGFONTW font{};
  const bool readable = handle != nullptr && GetObjectW(handle, sizeof font, &font) == sizeof font;
  if (readable) {
    json.add("font", describeFont(font, dpi)).add("font_source", "control");
  } else if (element != nullptr) {
    font = designFont(element->fontWeight, dpi);
    json.add("font", describeFont(font, dpi)).add("font_source", "design");
  } else {
    json.addNull("font");
  }
  if (readable || element != nullptr) {
    // Labels wrap at their width; every other kind shows its text on one line.
    const SIZE need = textExtent(font, text, kind == "label" ? rect[2] : 0);
    json.add("extent", std::vector<int>{need.cx, need.cy});
  }

  if (element != nullptr) {
    JsonObject design;
    const DesignedElement* container = frm_main::findElement(element->container);
    if (container != nullptr) {
      design.add("container", displayName(*container));
    } else {
      design.addNull("container");
    }
    design.add("left", element->left)
        .add("top", element->top)
        .add("width", element->width)
        .add("height", element->height);
    json.add("design", design);
  }
  return json;
}

std::optional<std::string> focusedName(const Target& target) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(target.threadId, &info) || info.hwndFocus == nullptr) {
    return std::nullopt;
  }
  if (info.hwndFocus == target.window) {
    return std::string("window");
  }
  if (auto name = nameOf(info.hwndFocus)) {
    return name;
  }
  return "id " + std::to_string(GetDlgCtrlID(info.hwndFocus));
}

// --- Message box icon --------------------------------------------------
//
// The icon handle of a message box belongs to the program's process and
// cannot be drawn or inspected from here, so the icon is told by its
// picture: the pixels on screen are compared with each system icon drawn by
// the driver on the same background.

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> bgr;
};

template <class Paint>
Pixels paintInto(int width, int height, Paint&& paint) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  Pixels out{width, height, {}};
  if (bitmap != nullptr) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    paint(memory, screen);
    GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(bits);
    out.bgr.assign(first, first + static_cast<std::size_t>(width) * height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return out;
}

double meanDifference(const Pixels& a, const Pixels& b) {
  if (a.bgr.empty() || a.bgr.size() != b.bgr.size()) {
    return 255.0;
  }
  double sum = 0;
  for (std::size_t i = 0; i < a.bgr.size(); ++i) {
    for (int shift = 0; shift < 24; shift += 8) {
      sum += std::abs(static_cast<int>((a.bgr[i] >> shift) & 0xFF) - static_cast<int>((b.bgr[i] >> shift) & 0xFF));
    }
  }
  return sum / (a.bgr.size() * 3.0);
}

struct IconGuess {
  std::string kind = "none";
  double distance = 0;
};

IconGuess guessIcon(HWND iconControl) {
  RECT r{};
  GetWindowRect(iconControl, &r);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  const Pixels shown = paintInto(width, height, [&](HDC memory, HDC screen) {
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  });
  if (shown.bgr.empty()) {
    return {"unknown", 255.0};
  }
  // The corner of an icon is transparent, so it shows the dialog's background.
  const std::uint32_t background = shown.bgr.front();
  const COLORREF fill = RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF);

  const std::array<std::pair<const char*, LPCWSTR>, 4> kCandidates{{
      {"critical", IDI_HAND},
      {"exclamation", IDI_EXCLAMATION},
      {"information", IDI_ASTERISK},
      {"question", IDI_QUESTION},
  }};
  IconGuess best{"unknown", 255.0};
  for (const auto& [kind, id] : kCandidates) {
    HICON icon = LoadIconW(nullptr, id);
    const Pixels drawn = paintInto(width, height, [&](HDC memory, HDC) {
      HBRUSH brush = CreateSolidBrush(fill);
      RECT all{0, 0, width, height};
      FillRect(memory, &all, brush);
      DeleteObject(brush);
      DrawIconEx(memory, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    });
    const double distance = meanDifference(shown, drawn);
    if (distance < best.distance) {
      best = {kind, distance};
    }
  }
  // Beyond this the picture matches none of them; seen values for a match
  // are near 0, for the wrong icon well above 20.
  constexpr double kMatchLimit = 12.0;
  if (best.distance > kMatchLimit) {
    best.kind = "unknown";
  }
  return best;
}

HWND findMessageBox(const Target& target) {
  for (HWND window : topLevelWindows()) {
    if (IsWindowVisible(window) && GetWindowThreadProcessId(window, nullptr) == target.threadId &&
        className(window) == "#32770") {
      return window;
    }
  }
  return nullptr;
}

// A message box keeps its text in the static control 0xFFFF.
constexpr int kMessageTextId = 0xFFFF;

}  // namespace

JsonObject waitForWindow(Target& target, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  HWND window = nullptr;
  if (!pollUntil(timeoutMs, [&] { return (window = findMainWindow()) != nullptr; })) {
    throw CommandFailed("no window whose caption starts with the program's caption");
  }
  DWORD processId = 0;
  target.window = window;
  target.threadId = GetWindowThreadProcessId(window, &processId);
  target.process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId);
  if (target.process == nullptr) {
    throw CommandFailed("cannot open the program's process");
  }
  const DWORD spent = GetTickCount() - start;
  // Visible is not yet ready: wait until its thread waits for input.
  WaitForInputIdle(target.process, spent < timeoutMs ? timeoutMs - spent : 0);
  JsonObject json;
  json.add("caption", windowText(window)).add("ms", static_cast<unsigned long>(GetTickCount() - start));
  return json;
}

JsonObject dumpWindow(const Target& target) {
  requireWindow(target);
  HWND main = target.window;
  const WindowLayout& design = frm_main::layout();

  RECT frame{};
  GetWindowRect(main, &frame);
  RECT client{};
  GetClientRect(main, &client);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  // The scale the window is laid out at, which a small screen may set below
  // the screen's own DPI: told by the client area's width. Texts are
  // measured in the font of that scale.
  const int dpi = MulDiv(client.right, 1440, design.clientWidth);
  POINT origin{0, 0};
  ClientToScreen(main, &origin);
  const LONG style = GetWindowLongW(main, GWL_STYLE);

  JsonObject styleJson;
  styleJson.add("sysmenu", (style & WS_SYSMENU) != 0)
      .add("minimize_box", (style & WS_MINIMIZEBOX) != 0)
      .add("maximize_box", (style & WS_MAXIMIZEBOX) != 0)
      .add("sizing", (style & WS_THICKFRAME) != 0);

  std::vector<std::string> elements;
  for (HWND control : children(main)) {
    elements.push_back(describeControl(main, control, dpi).str());
  }

  JsonObject designJson;
  designJson.add("client_width", design.clientWidth).add("client_height", design.clientHeight);

  JsonObject json;
  json.add("caption", windowText(main))
      .add("class", className(main))
      .add("window_rect", std::vector<int>{frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top})
      .add("client_origin", std::vector<int>{origin.x, origin.y})
      .add("client_size", std::vector<int>{client.right, client.bottom})
      .add("dpi", screenDpi())
      .add("layout_dpi", dpi)
      .add("work_area", std::vector<int>{work.left, work.top, work.right - work.left, work.bottom - work.top})
      .add("style", styleJson)
      .add("enabled", IsWindowEnabled(main) != FALSE)
      .add("message_box", findMessageBox(target) != nullptr);
  if (const auto focus = focusedName(target)) {
    json.add("focus", *focus);
  } else {
    json.addNull("focus");
  }
  json.add("design", designJson).raw("elements", jsonArray(elements));
  return json;
}

JsonObject click(const Target& target, std::string_view name, DWORD) {
  requireWindow(target);
  HWND control = controlNamed(target, name);
  const bool enabled = IsWindowEnabled(control) != FALSE;
  // Posted, not sent: the click may open a modal message box, and the
  // driver must stay free to read it.
  if (enabled) {
    PostMessageW(control, BM_CLICK, 0, 0);
  }
  JsonObject json;
  json.add("name", name).add("enabled", enabled).add("clicked", enabled);
  return json;
}

JsonObject setCheck(const Target& target, std::string_view name, int value, DWORD timeoutMs) {
  requireWindow(target);
  HWND control = controlNamed(target, name);
  if (kindOf(control) != "checkbox") {
    throw CommandFailed(std::string(name) + " is not a check box");
  }
  const bool enabled = IsWindowEnabled(control) != FALSE;
  int clicks = 0;
  // A three-state box may need two clicks to reach its value.
  while (enabled && clicks < 3) {
    const auto before = SendMessageW(control, BM_GETCHECK, 0, 0);
    if (before == value) {
      break;
    }
    PostMessageW(control, BM_CLICK, 0, 0);
    ++clicks;
    if (!pollUntil(timeoutMs, [&] { return SendMessageW(control, BM_GETCHECK, 0, 0) != before; })) {
      throw CommandFailed("clicking " + std::string(name) + " did not change it");
    }
  }
  const int now = static_cast<int>(SendMessageW(control, BM_GETCHECK, 0, 0));
  if (enabled && now != value) {
    throw CommandFailed(std::string(name) + " does not take the value " + std::to_string(value));
  }
  JsonObject json;
  json.add("name", name).add("enabled", enabled).add("clicks", clicks).add("check", now);
  return json;
}

JsonObject answerMessageBox(const Target& target, DWORD timeoutMs, bool confirm) {
  requireWindow(target);
  HWND box = nullptr;
  if (!pollUntil(timeoutMs, [&] { return (box = findMessageBox(target)) != nullptr; })) {
    throw CommandFailed("no message box appeared");
  }

  std::vector<std::string> buttons;
  HWND iconControl = nullptr;
  for (HWND child : children(box)) {
    const std::string kind = kindOf(child);
    if (kind == "button" && IsWindowVisible(child)) {
      buttons.push_back(windowText(child));
    }
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    if (kind == "label" && (style & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child)) {
      iconControl = child;
    }
  }

  IconGuess icon;
  if (iconControl != nullptr) {
    // The box may still be drawing; give it a moment to match.
    pollUntil(2000, [&] { return (icon = guessIcon(iconControl)).kind != "unknown"; });
  }

  JsonObject json;
  json.add("title", windowText(box))
      .add("text", windowText(GetDlgItem(box, kMessageTextId)))
      .add("icon", icon.kind)
      .add("icon_distance", icon.distance)
      .add("buttons", buttons);

  if (confirm) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    if (!pollUntil(timeoutMs, [&] { return !IsWindow(box); })) {
      throw CommandFailed("the message box stayed open after OK");
    }
  }
  json.add("confirmed", confirm);
  return json;
}

JsonObject closeWindow(const Target& target, std::string_view how) {
  requireWindow(target);
  if (how.empty()) {
    // What the close box, Alt+F4 and the task bar send: the system command,
    // which the window's default handling turns into WM_CLOSE.
    PostMessageW(target.window, WM_SYSCOMMAND, SC_CLOSE, 0);
  } else if (how == "message") {
    // What taskkill without /F sends.
    PostMessageW(target.window, WM_CLOSE, 0, 0);
  } else {
    throw CommandFailed("unknown way to close: " + std::string(how));
  }
  return {};
}

JsonObject waitForLines(const Target& target, int count, DWORD timeoutMs) {
  requireWindow(target);
  HWND list = controlNamed(target, "lstStatus");
  DWORD_PTR lines = 0;
  // Asked with a time limit: the window answers only where its thread
  // looks at its messages, as during a wait for a started program.
  const auto enough = [&] {
    return SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 1000, &lines) != 0 &&
           static_cast<int>(lines) >= count;
  };
  if (!pollUntil(timeoutMs, enough)) {
    throw CommandFailed("lstStatus has " + std::to_string(lines) + " lines, not " + std::to_string(count));
  }
  JsonObject json;
  json.add("lines", static_cast<int>(lines));
  return json;
}

JsonObject queryEndSession(const Target& target) {
  requireWindow(target);
  // As the system asks at a log-off: sent, and the answer read back. A
  // window that does not answer in time counts as refusing.
  DWORD_PTR answer = 0;
  const bool answered = SendMessageTimeoutW(target.window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                            5000, &answer) != 0;
  JsonObject json;
  json.add("answered", answered).add("may_end", answered && answer != 0);
  return json;
}

JsonObject clickAtCentre(const Target& target, std::string_view name) {
  requireWindow(target);
  HWND control = controlNamed(target, name);
  RECT r{};
  GetWindowRect(control, &r);
  const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  // Only what lies on the screen, with nothing over it, can be clicked.
  if (WindowFromPoint(centre) != control) {
    throw CommandFailed(std::string(name) + " is not what lies at its centre " + std::to_string(centre.x) + "," +
                        std::to_string(centre.y));
  }
  // What lies there is what a mouse click there presses. The press itself
  // is the button's own, as for click:NAME: Wine on 32-bit prefixes loses
  // the release of injected mouse input now and then.
  PostMessageW(control, BM_CLICK, 0, 0);
  JsonObject json;
  json.add("name", name).add("centre", std::vector<int>{centre.x, centre.y});
  return json;
}

JsonObject pressKey(const Target& target, std::string_view key) {
  requireWindow(target);
  WORD vk = 0;
  if (key == "esc") {
    vk = VK_ESCAPE;
  } else if (key == "return") {
    vk = VK_RETURN;
  } else if (key == "space") {
    vk = VK_SPACE;
  } else if (key == "tab") {
    vk = VK_TAB;
  } else {
    throw CommandFailed("unknown key " + std::string(key));
  }
  SetForegroundWindow(target.window);
  pollUntil(2000, [&] { return GetForegroundWindow() == target.window; });
  // Real keyboard input, so that it takes the way a typed key takes: to the
  // control with the focus, through the program's own message loop.
  INPUT input[2]{};
  input[0].type = INPUT_KEYBOARD;
  input[0].ki.wVk = vk;
  input[1] = input[0];
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  const UINT sent = SendInput(2, input, sizeof(INPUT));
  if (sent != 2) {
    throw CommandFailed("SendInput failed");
  }
  JsonObject json;
  json.add("key", key).add("foreground", GetForegroundWindow() == target.window);
  return json;
}

JsonObject waitForEnd(const Target& target, DWORD timeoutMs) {
  if (target.process == nullptr) {
    throw CommandFailed("no program process: run wait first");
  }
  if (!pollUntil(timeoutMs, [&] { return WaitForSingleObject(target.process, 0) == WAIT_OBJECT_0; })) {
    throw CommandFailed("the program is still running");
  }
  DWORD code = 0;
  GetExitCodeProcess(target.process, &code);
  JsonObject json;
  json.add("exit_code", static_cast<unsigned long>(code));
  return json;
}

}  // namespace ocx::ui_driver
