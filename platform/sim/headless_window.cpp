#include "platform/sim/headless_window.h"

#include "platform/error.h"
#include "platform/sim/machine.h"
#include "resources/version.h"

namespace ocx::sim {
namespace {

[[noreturn]] void fail(std::uint32_t code) {
  throw PlatformError(code, systemErrorText(code));
}

}  // namespace

HeadlessWindow::HeadlessWindow(const WindowLayout& layout, Machine* machine)
    : layout_(layout), machine_(machine), caption_(layout.caption) {
  for (const DesignedElement& element : layout.elements) {
    elements_.emplace(element.id, Element{&element, std::string(element.caption), element.value, element.enabled, {}});
  }
}

void HeadlessWindow::before(std::string_view operation, ElementId id) {
  if (hook_) {
    hook_(operation, id);
  }
}

void HeadlessWindow::requireLoaded() const {
  // An unloaded window is destroyed: its handle and its controls' handles
  // no longer name a window.
  if (unloaded_) {
    fail(win32_error::kInvalidWindowHandle);
  }
}

HeadlessWindow::Element& HeadlessWindow::element(ElementId id, std::string_view operation) {
  before(operation, id);
  requireLoaded();
  const auto it = elements_.find(id);
  if (it == elements_.end()) {
    fail(win32_error::kInvalidWindowHandle);
  }
  return it->second;
}

HeadlessWindow::Element& HeadlessWindow::elementOfKind(ElementId id, std::string_view operation,
                                                       bool (*serves)(ElementKind)) {
  // A control of another kind is, to the caller, no control of this kind:
  // the real window has nothing to send the message to.
  Element& found = element(id, operation);
  if (!serves(found.design->kind)) {
    fail(win32_error::kInvalidWindowHandle);
  }
  return found;
}

std::string HeadlessWindow::windowCaption() {
  before("windowCaption");
  requireLoaded();
  return caption_;
}

void HeadlessWindow::setWindowCaption(const std::string& caption) {
  before("setWindowCaption");
  requireLoaded();
  caption_ = caption;
}

std::string HeadlessWindow::caption(ElementId id) {
  return elementOfKind(id, "caption", hasCaption).caption;
}

void HeadlessWindow::setCaption(ElementId id, const std::string& caption) {
  elementOfKind(id, "setCaption", hasCaption).caption = caption;
}

int HeadlessWindow::value(ElementId id) {
  return elementOfKind(id, "value", isCheckBox).value;
}

void HeadlessWindow::setValue(ElementId id, int value) {
  Element& box = elementOfKind(id, "setValue", isCheckBox);
  if (value < check_value::kUnchecked || value > check_value::kGrayed) {
    fail(win32_error::kInvalidParameter);
  }
  box.value = value;
}

bool HeadlessWindow::enabled(ElementId id) {
  return element(id, "enabled").enabled;
}

void HeadlessWindow::setEnabled(ElementId id, bool enabled) {
  Element& target = element(id, "setEnabled");
  target.enabled = enabled;
  // A control that loses its Enabled also loses the focus, as on Windows.
  if (!enabled && focus_ == id) {
    focus_.reset();
  }
}

void HeadlessWindow::setFocus(ElementId id) {
  const Element& target = elementOfKind(id, "setFocus", takesFocus);
  if (!target.enabled || !visible_) {
    fail(win32_error::kInvalidParameter);
  }
  focus_ = id;
}

void HeadlessWindow::appendLine(ElementId id, const std::string& line) {
  elementOfKind(id, "appendLine", isListBox).lines.push_back(line);
}

int HeadlessWindow::lineCount(ElementId id) {
  return static_cast<int>(elementOfKind(id, "lineCount", isListBox).lines.size());
}

std::string HeadlessWindow::line(ElementId id, int position) {
  const Element& list = elementOfKind(id, "line", isListBox);
  if (position < 0 || position >= static_cast<int>(list.lines.size())) {
    fail(win32_error::kInvalidParameter);
  }
  return list.lines[static_cast<std::size_t>(position)];
}

const std::vector<std::string>& HeadlessWindow::lines(ElementId id) const {
  return elements_.at(id).lines;
}

void HeadlessWindow::setWaitCursor(bool wait) {
  before("setWaitCursor");
  waitCursor_ = wait;
}

void HeadlessWindow::processPendingEvents() {
  before("processPendingEvents");
  ++pendingEventRuns_;
}

void HeadlessWindow::messageBox(const std::string& text, const std::string& title, MessageIcon icon) {
  before("messageBox");
  messages_.push_back({icon, title, text});
}

void HeadlessWindow::clearClipboard() {
  before("clearClipboard");
  clipboard_.reset();
}

void HeadlessWindow::setClipboardText(const std::string& text) {
  before("setClipboardText");
  if (machine_ != nullptr) {
    if (const auto code = machine_->takeFault("clipboard", "")) {
      throw PlatformError(*code, systemErrorText(*code));
    }
  }
  clipboard_ = text;
}

ProgramVersion HeadlessWindow::programVersion() {
  before("programVersion");
  // The simulated program carries the same version record as the real one.
  return {OCXMEDIC_VERSION_MAJOR, OCXMEDIC_VERSION_MINOR, OCXMEDIC_VERSION_REVISION};
}

void HeadlessWindow::show() {
  before("show");
  requireLoaded();
  if (!visible_) {
    visible_ = true;
    // Windows gives the focus to the first control in tab order when the
    // window first appears.
    focus_ = firstFocusable();
  }
}

// A log-off has no window operation of its own to fail: nothing is asked of
// the hook.
void HeadlessWindow::blockSessionEnd(const std::string& reason) {
  sessionEndBlock_ = reason;
}

void HeadlessWindow::allowSessionEnd() {
  sessionEndBlock_.reset();
}

void HeadlessWindow::unloadAll() {
  before("unloadAll");
  unloaded_ = true;
}

void HeadlessWindow::endProgram() {
  before("endProgram");
  endRequested_ = true;
}

std::optional<ElementId> HeadlessWindow::firstFocusable() const {
  const DesignedElement* best = nullptr;
  for (const auto& [id, state] : elements_) {
    if (takesFocus(state.design->kind) && state.enabled &&
        (best == nullptr || state.design->tabIndex < best->tabIndex)) {
      best = state.design;
    }
  }
  return best == nullptr ? std::nullopt : std::optional<ElementId>(best->id);
}

}  // namespace ocx::sim
