// Window services: the one window with its elements, and the
// application-wide services around it (cursor, pending events, message
// boxes, clipboard, the program's version, ending the program).
//
// The window is described by a WindowLayout, which the bindings turn into
// real controls (Win32) or element state (simulator). Elements are reached
// by their control identifier. Any operation that fails throws
// PlatformError, changes nothing, and the calling handler decides whether to
// pass over it. Both bindings give the same numbers:
//
// - Each element operation serves the kinds named with it. An identifier
//   that names no element, or an element of another kind, fails with 1400
//   (ERROR_INVALID_WINDOW_HANDLE): there is no such control to send to.
//   A list box has no caption; only the list box has lines.
// - A value outside its range (a check box Value other than 0, 1 or 2, a
//   line position outside 0 to lineCount() - 1) fails with 87
//   (ERROR_INVALID_PARAMETER).
// - Texts are UTF-8 and come back as they were set, whatever the ANSI code
//   page holds.
// - After unloadAll the window is destroyed: its caption, every element
//   operation and show() fail with 1400, as a destroyed window's handle no
//   longer names a window. What belongs to the program rather than the
//   window (cursor, pending events, message boxes, clipboard, version,
//   endProgram) still works.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ocx {

using ElementId = int;
inline constexpr ElementId kWindowItself = 0;

enum class ElementKind { Label, Frame, CheckBox, Button, ListBox };

// The kinds that caption() and setCaption() serve.
[[nodiscard]] constexpr bool hasCaption(ElementKind kind) {
  return kind != ElementKind::ListBox;
}
// The kinds that setFocus() serves, and that Tab reaches.
[[nodiscard]] constexpr bool takesFocus(ElementKind kind) {
  return kind == ElementKind::Button || kind == ElementKind::CheckBox || kind == ElementKind::ListBox;
}
[[nodiscard]] constexpr bool isCheckBox(ElementKind kind) {
  return kind == ElementKind::CheckBox;
}
[[nodiscard]] constexpr bool isListBox(ElementKind kind) {
  return kind == ElementKind::ListBox;
}

enum class TextColour {
  Default,
  Desktop,   // the system colour of the desktop background
  DarkBlue,  // RGB(0, 0, 192)
  DarkRed,   // RGB(192, 0, 0)
};

enum class MessageIcon { Exclamation, Information, Critical };

// Check box Value.
namespace check_value {
inline constexpr int kUnchecked = 0;
inline constexpr int kChecked = 1;
inline constexpr int kGrayed = 2;
}  // namespace check_value

// One element as designed. Positions and sizes are in twips, relative to
// the window's client area or to the containing frame.
struct DesignedElement {
  ElementId id;
  std::string_view name;  // without index: "lblSysInfoText"
  int index;              // member index in a group, -1 when not grouped
  ElementKind kind;
  ElementId container;  // kWindowItself or a frame
  std::string_view caption;
  int left;
  int top;
  int width;
  int height;
  int tabIndex;
  TextColour colour;
  int fontWeight;
  int value;  // check boxes
  bool enabled;
};

struct WindowLayout {
  std::string_view caption;
  int clientWidth;  // twips
  int clientHeight;
  std::string_view fontName;
  double fontPoints;
  std::span<const DesignedElement> elements;
  // What the runtime says when a handler lets a failure escape, around its
  // number: prefix, number, infix, description.
  std::string_view runtimeErrorPrefix;
  std::string_view runtimeErrorInfix;
};

// "lblSysInfoText(5)" for group members, the plain name otherwise.
std::string displayName(const DesignedElement& element);

struct ProgramVersion {
  int major = 0;
  int minor = 0;
  int revision = 0;
};

class WindowServices {
 public:
  virtual ~WindowServices() = default;

  [[nodiscard]] virtual std::string windowCaption() = 0;
  virtual void setWindowCaption(const std::string& caption) = 0;

  // Labels, frames, check boxes, buttons. Another kind: 1400.
  [[nodiscard]] virtual std::string caption(ElementId id) = 0;
  virtual void setCaption(ElementId id, const std::string& caption) = 0;

  // Check boxes: Value 0, 1 or 2, also while disabled. Another kind: 1400;
  // another Value: 87.
  [[nodiscard]] virtual int value(ElementId id) = 0;
  virtual void setValue(ElementId id, int value) = 0;

  // Every kind of element.
  [[nodiscard]] virtual bool enabled(ElementId id) = 0;
  virtual void setEnabled(ElementId id, bool enabled) = 0;

  // Buttons, check boxes and the list box; a label or frame: 1400. A
  // disabled element, or any element before the window is shown: 87.
  virtual void setFocus(ElementId id) = 0;

  // List box: lines appended at the end, never sorted, read by 0-based
  // position; a position outside the lines: 87. Another kind: 1400.
  virtual void appendLine(ElementId id, const std::string& line) = 0;
  [[nodiscard]] virtual int lineCount(ElementId id) = 0;
  [[nodiscard]] virtual std::string line(ElementId id, int position) = 0;

  // The application's mouse pointer: the wait cursor or the default.
  virtual void setWaitCursor(bool wait) = 0;

  // Lets the window events that are waiting run.
  virtual void processPendingEvents() = 0;

  // A modal message box with one OK button; returns once confirmed.
  virtual void messageBox(const std::string& text, const std::string& title, MessageIcon icon) = 0;

  virtual void clearClipboard() = 0;
  virtual void setClipboardText(const std::string& text) = 0;

  [[nodiscard]] virtual ProgramVersion programVersion() = 0;

  virtual void show() = 0;

  // While a change to the machine is under way that must not be cut short:
  // a log-off or shut-down that asks is refused, and where the system shows
  // why (Vista and later), it shows `reason`. Blocking again replaces the
  // reason; allowing without a block does nothing. Neither fails: a system
  // that cannot show a reason still gets the refusal.
  virtual void blockSessionEnd(const std::string& reason) = 0;
  virtual void allowSessionEnd() = 0;

  // Unloads every loaded window, which destroys it (see above); then
  // endProgram ends the program at once.
  virtual void unloadAll() = 0;
  virtual void endProgram() = 0;
};

}  // namespace ocx
