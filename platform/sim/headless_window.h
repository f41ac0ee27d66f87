// The window services without a screen: element state kept in memory,
// message boxes recorded and confirmed at once, the clipboard as a text.
// The simulator and the tests observe the window through the accessors.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window.h"

namespace ocx::sim {

class Machine;

struct RecordedMessage {
  MessageIcon icon;
  std::string title;
  std::string text;
};

class HeadlessWindow final : public WindowServices {
 public:
  // `machine` may be null; when given, its "clipboard" faults apply.
  HeadlessWindow(const WindowLayout& layout, Machine* machine);

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
  void endProgram() override;

  // Called before every service operation with its name ("setCaption",
  // "messageBox", ...) and element (kWindowItself when none); a hook that
  // throws makes the operation fail before it changes anything.
  using OperationHook = std::function<void(std::string_view operation, ElementId id)>;
  void setOperationHook(OperationHook hook) { hook_ = std::move(hook); }

  [[nodiscard]] const WindowLayout& layout() const { return layout_; }
  [[nodiscard]] bool visible() const { return visible_; }
  [[nodiscard]] bool waitCursor() const { return waitCursor_; }
  [[nodiscard]] std::optional<ElementId> focus() const { return focus_; }
  [[nodiscard]] bool unloaded() const { return unloaded_; }
  [[nodiscard]] bool endRequested() const { return endRequested_; }
  [[nodiscard]] int pendingEventRuns() const { return pendingEventRuns_; }
  // The reason a log-off is refused with now; none while it may go on.
  [[nodiscard]] const std::optional<std::string>& sessionEndBlock() const { return sessionEndBlock_; }
  [[nodiscard]] const std::vector<RecordedMessage>& messages() const { return messages_; }
  [[nodiscard]] const std::optional<std::string>& clipboard() const { return clipboard_; }
  [[nodiscard]] const std::vector<std::string>& lines(ElementId id) const;
  // The state that the operations above read, also once the window is
  // unloaded and they answer 1400: then the state it ended with.
  [[nodiscard]] const std::string& heldWindowCaption() const { return caption_; }
  [[nodiscard]] const std::string& heldCaption(ElementId id) const { return elements_.at(id).caption; }
  [[nodiscard]] int heldValue(ElementId id) const { return elements_.at(id).value; }
  [[nodiscard]] bool heldEnabled(ElementId id) const { return elements_.at(id).enabled; }
  // The element that a Tab from the focus reaches first: the lowest tab
  // index that can take the focus and is enabled.
  [[nodiscard]] std::optional<ElementId> firstFocusable() const;

 private:
  struct Element {
    const DesignedElement* design;
    std::string caption;
    int value;
    bool enabled;
    std::vector<std::string> lines;
  };

  Element& element(ElementId id, std::string_view operation);
  Element& elementOfKind(ElementId id, std::string_view operation, bool (*serves)(ElementKind));
  void before(std::string_view operation, ElementId id = kWindowItself);
  void requireLoaded() const;

  const WindowLayout& layout_;
  Machine* machine_;
  OperationHook hook_;
  std::map<ElementId, Element> elements_;
  std::string caption_;
  bool visible_ = false;
  bool waitCursor_ = false;
  bool unloaded_ = false;
  bool endRequested_ = false;
  int pendingEventRuns_ = 0;
  std::optional<ElementId> focus_;
  std::vector<RecordedMessage> messages_;
  std::optional<std::string> clipboard_;
  std::optional<std::string> sessionEndBlock_;
};

}  // namespace ocx::sim
