#include "platform/win32/win32_window.h"

#include <algorithm>

#include "platform/win32/win32_clipboard.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_program_version.h"
#include "platform/win32/window_geometry.h"

namespace ocx::win32 {
namespace {

constexpr wchar_t kClassName[] = L"OcxmedicMainWindow";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;  // fixed size, close box only

COLORREF colourOf(TextColour colour) {
  switch (colour) {
    case TextColour::Desktop:
      return GetSysColor(COLOR_DESKTOP);
    case TextColour::DarkBlue:
      return RGB(0, 0, 192);
    case TextColour::DarkRed:
      return RGB(192, 0, 0);
    case TextColour::Default:
      break;
  }
  return GetSysColor(COLOR_BTNTEXT);
}

UINT iconStyle(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Exclamation:
      return MB_ICONEXCLAMATION;
    case MessageIcon::Information:
      return MB_ICONINFORMATION;
    case MessageIcon::Critical:
      return MB_ICONSTOP;
  }
  return 0;
}

struct ControlClass {
  const wchar_t* name;
  DWORD style;
  DWORD exStyle;
};

ControlClass controlClass(ElementKind kind) {
  switch (kind) {
    case ElementKind::Label:
      // Captions are shown as they are: an "&" in a path is no mnemonic.
      return {L"STATIC", SS_LEFT | SS_NOPREFIX, 0};
    case ElementKind::Frame:
      return {L"BUTTON", BS_GROUPBOX, 0};
    case ElementKind::CheckBox:
      // The program sets the state itself: grey is a state it shows, not
      // one a click should reach.
      return {L"BUTTON", BS_3STATE | WS_TABSTOP, 0};
    case ElementKind::Button:
      return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
    case ElementKind::ListBox:
      // No LBS_SORT: lines stay in the order they were added.
      return {L"LISTBOX", WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_TABSTOP, WS_EX_CLIENTEDGE};
  }
  return {L"STATIC", 0, 0};
}

int systemDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) {
    ReleaseDC(nullptr, screen);
  }
  return dpi > 0 ? dpi : 96;
}

[[noreturn]] void throwNoElement() {
  throwError(ERROR_INVALID_WINDOW_HANDLE);
}

}  // namespace

Win32Window::Win32Window(HINSTANCE instance, const WindowLayout& layout, int iconId)
    : instance_(instance),
      layout_(layout),
      dpi_(systemDpi()),
      uxtheme_(L"uxtheme.dll"),
      setWindowTheme_(uxtheme_.function<SetWindowThemeFn>("SetWindowTheme")) {
  createWindow(iconId);
  try {
    createElements();
  } catch (...) {
    DestroyWindow(hwnd_);
    throw;
  }
}

Win32Window::~Win32Window() {
  if (hwnd_ != nullptr) {
    DestroyWindow(hwnd_);
  }
}

void Win32Window::createWindow(int iconId) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &Win32Window::windowProc;
  windowClass.hInstance = instance_;
  windowClass.hIcon = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                                    GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = fromInteger<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    throwLastError();
  }

  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT border{0, 0, 0, 0};
  AdjustWindowRectEx(&border, kWindowStyle, FALSE, WS_EX_CONTROLPARENT);
  // On a small screen, or at a large DPI, the window shrinks until all of
  // it, buttons and caption included, lies in the work area.
  dpi_ = layoutDpi(layout_, dpi_, {border.right - border.left, border.bottom - border.top},
                   {work.right - work.left, work.bottom - work.top});

  RECT frame{0, 0, twipsToPixels(layout_.clientWidth, dpi_), twipsToPixels(layout_.clientHeight, dpi_)};
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, WS_EX_CONTROLPARENT);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int left = work.left + std::max(0, static_cast<int>(work.right - work.left - width) / 2);
  const int top = work.top + std::max(0, static_cast<int>(work.bottom - work.top - height) / 2);

  // CreateWindowEx may fail without a code of its own (a hook that refuses
  // the window); the failed registration above must not speak for it.
  SetLastError(ERROR_SUCCESS);
  if (CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, widen(layout_.caption).c_str(), kWindowStyle, left, top, width,
                      height, nullptr, nullptr, instance_, this) == nullptr) {
    throwLastError();
  }
}

void Win32Window::createElements() {
  for (const DesignedElement& designed : layout_.elements) {
    if (!fonts_.contains(designed.fontWeight)) {
      ScopedGdiObject font(CreateFontW(fontHeight(layout_.fontPoints, dpi_), 0, 0, 0, designed.fontWeight, FALSE, FALSE,
                                       FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                       DEFAULT_PITCH | FF_DONTCARE, widen(layout_.fontName).c_str()));
      if (!font) {
        throwLastError();
      }
      fonts_.emplace(designed.fontWeight, std::move(font));
    }
  }
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.begin()->second.get()), FALSE);

  // Creation order is the tab order: the dialog manager walks the children
  // in the order they were made.
  std::vector<const DesignedElement*> inTabOrder;
  for (const DesignedElement& designed : layout_.elements) {
    inTabOrder.push_back(&designed);
  }
  std::ranges::stable_sort(inTabOrder, {}, &DesignedElement::tabIndex);

  for (const DesignedElement* designed : inTabOrder) {
    const ControlClass kind = controlClass(designed->kind);
    const PixelRect rect = elementRect(layout_, *designed, dpi_);
    SetLastError(ERROR_SUCCESS);
    const HWND control =
        CreateWindowExW(kind.exStyle, kind.name, widen(designed->caption).c_str(), WS_CHILD | WS_VISIBLE | kind.style,
                        rect.left, rect.top, rect.width, rect.height, hwnd_,
                        fromInteger<HMENU>(static_cast<INT_PTR>(designed->id)), instance_, nullptr);
    if (control == nullptr) {
      throwLastError();
    }
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.at(designed->fontWeight).get()), FALSE);
    if (designed->kind == ElementKind::CheckBox || designed->kind == ElementKind::Frame) {
      // Themed check boxes and group boxes draw their text in the theme's
      // colour, whatever WM_CTLCOLORSTATIC says; without a theme they take
      // ours. An empty name turns the theme off; where that is refused (as
      // Wine does), a name that no theme knows does the same.
      if (setWindowTheme_ != nullptr && FAILED(setWindowTheme_(control, L"", L""))) {
        setWindowTheme_(control, L" ", L" ");
      }
    }
    if (designed->kind == ElementKind::CheckBox) {
      SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(designed->value), 0);
    }
    EnableWindow(control, designed->enabled ? TRUE : FALSE);
    elements_.push_back({designed, control});
  }
  // Frames are painted first, below what they hold; they take no focus, so
  // the tab order stays as made.
  for (const Element& e : elements_) {
    if (e.designed->kind == ElementKind::Frame) {
      SetWindowPos(e.hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
}

void Win32Window::onClick(ElementId id, std::function<void()> handler) {
  clickHandlers_[id] = std::move(handler);
}

void Win32Window::onClose(std::function<void()> handler) {
  closeHandler_ = std::move(handler);
}

LRESULT CALLBACK Win32Window::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Win32Window*>(fromInteger<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = fromInteger<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  const LRESULT result = self->handleMessage(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->elements_.clear();
  }
  return result;
}

LRESULT Win32Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      onCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return onControlColour(fromInteger<HDC>(wParam), fromInteger<HWND>(lParam));
    case WM_SETCURSOR:
      if (waitCursor_) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_ACTIVATE:
      // Keep the focused element across a switch to another program.
      if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        lastFocus_ = focus != nullptr && IsChild(hwnd_, focus) ? focus : nullptr;
      } else if (lastFocus_ != nullptr && IsWindow(lastFocus_)) {
        SetFocus(lastFocus_);
        return 0;
      }
      break;
    case WM_CLOSE:
      if (closeHandler_) {
        runHandler(closeHandler_);
      } else if (hwnd_ != nullptr) {
        DestroyWindow(hwnd_);
      }
      return 0;
    case WM_QUERYENDSESSION:
      return sessionEndBlocked_ ? FALSE : TRUE;
    case WM_ENDSESSION:
      // After a forced log-off or shut-down the process ends when this
      // returns, whatever it answers. Nothing is started here that could be
      // cut off half way: what is done stays done, as after a power cut.
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void Win32Window::onCommand(int id, int code) {
  if (id == IDCANCEL) {
    // Esc, through the dialog manager.
    const Element* cancel = find(cancelButton_);
    if (cancel != nullptr && IsWindowEnabled(cancel->hwnd)) {
      onCommand(cancelButton_, BN_CLICKED);
    }
    return;
  }
  if (id == IDOK) {
    // Return, through the dialog manager: the window has no default button,
    // so Return presses the button that has the focus, as it would in a
    // dialog.
    const Element* focused = find(GetDlgCtrlID(GetFocus()));
    if (focused != nullptr && focused->designed->kind == ElementKind::Button && IsWindowEnabled(focused->hwnd)) {
      onCommand(focused->designed->id, BN_CLICKED);
    }
    return;
  }
  if (code != BN_CLICKED) {
    return;
  }
  const Element* clicked = find(id);
  if (clicked == nullptr) {
    return;
  }
  if (clicked->designed->kind == ElementKind::CheckBox) {
    // Unchecked becomes checked; checked and grey become unchecked.
    const bool unchecked = SendMessageW(clicked->hwnd, BM_GETCHECK, 0, 0) == BST_UNCHECKED;
    SendMessageW(clicked->hwnd, BM_SETCHECK, unchecked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  const auto handler = clickHandlers_.find(id);
  if (handler != clickHandlers_.end()) {
    runHandler(handler->second);
  }
}

LRESULT Win32Window::onControlColour(HDC dc, HWND control) {
  const Element* e = find(GetDlgCtrlID(control));
  SetTextColor(dc, colourOf(e != nullptr ? e->designed->colour : TextColour::Default));
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void Win32Window::runHandler(const std::function<void()>& handler) {
  // No exception may cross the window manager's frames on the stack. The
  // program then ends, as a program without its own error handling would.
  const auto runtimeError = [&](std::uint32_t number, const std::string& description) {
    std::string text(layout_.runtimeErrorPrefix);
    text += std::to_string(number);
    text += layout_.runtimeErrorInfix;
    text += description;
    return text;
  };
  std::string report;
  try {
    handler();
    return;
  } catch (const PlatformError& error) {
    report = runtimeError(error.number(), error.description());
  } catch (const std::exception& error) {
    report = runtimeError(failureNumber(error), error.what());
  }
  MessageBoxW(hwnd_, widen(report).c_str(), widen(layout_.caption).c_str(), MB_OK | MB_ICONSTOP);
  ExitProcess(1);
}

const Win32Window::Element* Win32Window::find(ElementId id) const {
  const auto it = std::ranges::find(elements_, id, [](const Element& e) { return e.designed->id; });
  return it == elements_.end() ? nullptr : &*it;
}

HWND Win32Window::element(ElementId id) const {
  const Element* e = find(id);
  if (e == nullptr) {
    throwNoElement();
  }
  return e->hwnd;
}

HWND Win32Window::element(ElementId id, bool (*serves)(ElementKind)) const {
  // A control of another kind would take the message and answer nonsense:
  // to the caller it is no control of the kind asked for.
  const Element* e = find(id);
  if (e == nullptr || !serves(e->designed->kind)) {
    throwNoElement();
  }
  return e->hwnd;
}

std::string Win32Window::text(HWND hwnd) {
  SetLastError(ERROR_SUCCESS);
  const int length = GetWindowTextLengthW(hwnd);
  if (length == 0) {
    if (GetLastError() != ERROR_SUCCESS) {
      throwLastError();
    }
    return {};
  }
  std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(hwnd, buffer.data(), length + 1);
  buffer.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return narrow(buffer);
}

std::string Win32Window::windowCaption() {
  if (hwnd_ == nullptr) {
    throwNoElement();
  }
  return text(hwnd_);
}

void Win32Window::setWindowCaption(const std::string& caption) {
  if (hwnd_ == nullptr) {
    throwNoElement();
  }
  if (!SetWindowTextW(hwnd_, widen(caption).c_str())) {
    throwLastError();
  }
}

std::string Win32Window::caption(ElementId id) {
  return text(element(id, hasCaption));
}

void Win32Window::setCaption(ElementId id, const std::string& caption) {
  if (!SetWindowTextW(element(id, hasCaption), widen(caption).c_str())) {
    throwLastError();
  }
}

int Win32Window::value(ElementId id) {
  switch (SendMessageW(element(id, isCheckBox), BM_GETCHECK, 0, 0)) {
    case BST_CHECKED:
      return check_value::kChecked;
    case BST_INDETERMINATE:
      return check_value::kGrayed;
    default:
      return check_value::kUnchecked;
  }
}

void Win32Window::setValue(ElementId id, int value) {
  const HWND box = element(id, isCheckBox);
  WPARAM state = BST_UNCHECKED;
  switch (value) {
    case check_value::kUnchecked:
      break;
    case check_value::kChecked:
      state = BST_CHECKED;
      break;
    case check_value::kGrayed:
      state = BST_INDETERMINATE;
      break;
    default:
      throwError(ERROR_INVALID_PARAMETER);
  }
  SendMessageW(box, BM_SETCHECK, state, 0);
}

bool Win32Window::enabled(ElementId id) {
  return IsWindowEnabled(element(id)) != FALSE;
}

void Win32Window::setEnabled(ElementId id, bool enabled) {
  const HWND control = element(id);
  if (!enabled && GetFocus() == control) {
    // A disabled control keeps the focus and the keyboard would be dead.
    const HWND next = GetNextDlgTabItem(hwnd_, control, FALSE);
    SetFocus(next != nullptr && next != control ? next : hwnd_);
  }
  EnableWindow(control, enabled ? TRUE : FALSE);
}

void Win32Window::setFocus(ElementId id) {
  const HWND control = element(id, takesFocus);
  // SetFocus would take a disabled control, or one of a hidden window, and
  // leave the keyboard with nowhere to go.
  if (!IsWindowEnabled(control) || !IsWindowVisible(hwnd_)) {
    throwError(ERROR_INVALID_PARAMETER);
  }
  SetFocus(control);
}

void Win32Window::appendLine(ElementId id, const std::string& line) {
  // Inserting at -1 appends whatever the list's style says about sorting.
  const LRESULT result = SendMessageW(element(id, isListBox), LB_INSERTSTRING, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(widen(line).c_str()));
  if (result == LB_ERR || result == LB_ERRSPACE) {
    throwError(ERROR_NOT_ENOUGH_MEMORY);
  }
}

int Win32Window::lineCount(ElementId id) {
  return static_cast<int>(SendMessageW(element(id, isListBox), LB_GETCOUNT, 0, 0));
}

std::string Win32Window::line(ElementId id, int position) {
  const HWND list = element(id, isListBox);
  const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(position), 0);
  if (position < 0 || length == LB_ERR) {
    throwError(ERROR_INVALID_PARAMETER);
  }
  std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT copied =
      SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(buffer.data()));
  buffer.resize(copied == LB_ERR ? 0 : static_cast<std::size_t>(copied));
  return narrow(buffer);
}

void Win32Window::setWaitCursor(bool wait) {
  waitCursor_ = wait;
  SetCursor(LoadCursorW(nullptr, wait ? IDC_WAIT : IDC_ARROW));
}

void Win32Window::processPendingEvents() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Left for the message loop, which ends on it.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    dispatch(message);
  }
}

void Win32Window::messageBox(const std::string& text, const std::string& title, MessageIcon icon) {
  if (MessageBoxW(hwnd_, widen(text).c_str(), widen(title).c_str(), MB_OK | iconStyle(icon)) == 0) {
    throwLastError();
  }
}

void Win32Window::clearClipboard() {
  emptyClipboard(hwnd_);
}

void Win32Window::setClipboardText(const std::string& text) {
  putClipboardText(hwnd_, text);
}

ProgramVersion Win32Window::programVersion() {
  return programVersionOf(instance_);
}

void Win32Window::focusFirstElement() {
  std::vector<const Element*> candidates;
  for (const Element& e : elements_) {
    if (takesFocus(e.designed->kind) && IsWindowEnabled(e.hwnd)) {
      candidates.push_back(&e);
    }
  }
  const auto first = std::ranges::min_element(candidates, {}, [](const Element* e) { return e->designed->tabIndex; });
  if (first != candidates.end()) {
    SetFocus((*first)->hwnd);
  }
}

void Win32Window::show() {
  if (hwnd_ == nullptr) {
    throwNoElement();
  }
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  UpdateWindow(hwnd_);
  SetForegroundWindow(hwnd_);
  focusFirstElement();
}

void Win32Window::blockSessionEnd(const std::string& reason) {
  sessionEndBlocked_ = true;
  // Vista and later list the programs that refuse, with their reasons; XP
  // only knows the refusal.
  using CreateReasonFn = BOOL(WINAPI*)(HWND, LPCWSTR);
  const auto create = loadedLibraryFunction<CreateReasonFn>(L"user32.dll", "ShutdownBlockReasonCreate");
  if (create != nullptr && hwnd_ != nullptr) {
    create(hwnd_, widen(reason).c_str());
  }
}

void Win32Window::allowSessionEnd() {
  sessionEndBlocked_ = false;
  using DestroyReasonFn = BOOL(WINAPI*)(HWND);
  const auto destroy = loadedLibraryFunction<DestroyReasonFn>(L"user32.dll", "ShutdownBlockReasonDestroy");
  if (destroy != nullptr && hwnd_ != nullptr) {
    destroy(hwnd_);
  }
}

void Win32Window::unloadAll() {
  if (hwnd_ != nullptr) {
    DestroyWindow(hwnd_);
  }
}

void Win32Window::endProgram() {
  ExitProcess(0);
}

void Win32Window::dispatch(MSG& message) {
  // Tab, Shift+Tab, Enter and Esc go through the dialog manager.
  if (hwnd_ != nullptr && IsDialogMessageW(hwnd_, &message)) {
    return;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

int Win32Window::runMessageLoop() {
  MSG message;
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      return static_cast<int>(message.wParam);
    }
    if (got == -1) {
      return 1;
    }
    dispatch(message);
  }
}

}  // namespace ocx::win32
