// The program's window on the real Windows API: built from the designed
// layout, with the application-wide services of WindowServices around it.
//
// All state of the window lives in this object, which the window procedure
// finds through GWLP_USERDATA, bound at WM_NCCREATE.
#pragma once

#include <functional>
#include <map>
#include <vector>

#include "platform/win32/win32_support.h"
#include "platform/window.h"

namespace ocx::win32 {

class Win32Window final : public WindowServices {
 public:
  // Creates the window hidden and centred, with every element of `layout`;
  // `iconId` names the program's icon resource. Throws PlatformError.
  Win32Window(HINSTANCE instance, const WindowLayout& layout, int iconId);
  ~Win32Window() override;
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  // What a click on the button or check box `id` runs, after a check box
  // has taken its new state.
  void onClick(ElementId id, std::function<void()> handler);
  // What a close of the window runs, however it comes (the close box,
  // Alt+F4, the task bar, another program's WM_CLOSE). The handler unloads
  // the window itself, or leaves it as it is to drop the close; without a
  // handler the window is unloaded at once.
  void onClose(std::function<void()> handler);
  // The button that Esc clicks.
  void setCancelButton(ElementId id) { cancelButton_ = id; }

  // Dispatches messages until the window is gone; the code WM_QUIT carried.
  int runMessageLoop();

  // The main window; nullptr once it is unloaded.
  [[nodiscard]] HWND hwnd() const noexcept { return hwnd_; }

  std::string windowCaption() override;
  void setWindowCaption(const std::string& caption) override;
  std::string caption(ElementId id) override;
  void setCaption(ElementId id, const std::string& caption) override;
  int value(ElementId id) override;
  void setValue(ElementId id, int value) override;
  bool enabled(ElementId id) override;
  void setEnabled(ElementId id, bool enabled) override;
  void setFocus(ElementId id) override;
  void appendLine(ElementId id, const std::string& line) override;
  int lineCount(ElementId id) override;
  std::string line(ElementId id, int position) override;
  void setWaitCursor(bool wait) override;
  void processPendingEvents() override;
  void messageBox(const std::string& text, const std::string& title, MessageIcon icon) override;
  void clearClipboard() override;
  void setClipboardText(const std::string& text) override;
  ProgramVersion programVersion() override;
  void show() override;
  void blockSessionEnd(const std::string& reason) override;
  void allowSessionEnd() override;
  void unloadAll() override;
  [[noreturn]] void endProgram() override;

 private:
  struct Element {
    const DesignedElement* designed;
    HWND hwnd;
  };

  static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void onCommand(int id, int code);
  LRESULT onControlColour(HDC dc, HWND control);
  void runHandler(const std::function<void()>& handler);

  void createWindow(int iconId);
  void createElements();
  // The element's window; throws 1400 when there is none of a kind that
  // `serves` the operation.
  [[nodiscard]] HWND element(ElementId id, bool (*serves)(ElementKind)) const;
  [[nodiscard]] HWND element(ElementId id) const;
  [[nodiscard]] const Element* find(ElementId id) const;
  [[nodiscard]] static std::string text(HWND hwnd);
  void dispatch(MSG& message);
  void focusFirstElement();

  HINSTANCE instance_;
  const WindowLayout& layout_;
  int dpi_ = 96;
  // uxtheme is no KnownDLL: it must come from the system folder.
  using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
  SystemLibrary uxtheme_;
  SetWindowThemeFn setWindowTheme_;
  HWND hwnd_ = nullptr;
  std::vector<Element> elements_;
  std::map<int, ScopedGdiObject> fonts_;  // by weight
  std::map<ElementId, std::function<void()>> clickHandlers_;
  std::function<void()> closeHandler_;
  ElementId cancelButton_ = kWindowItself;
  HWND lastFocus_ = nullptr;
  bool waitCursor_ = false;
  bool sessionEndBlocked_ = false;
};

}  // namespace ocx::win32
