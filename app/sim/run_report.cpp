#include "app/sim/run_report.h"

#include "app/frm_main_layout.h"

namespace ocx::sim {
namespace {

using Json = nlohmann::ordered_json;

const char* iconName(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Exclamation:
      return "exclamation";
    case MessageIcon::Information:
      return "information";
    case MessageIcon::Critical:
      return "critical";
  }
  return "information";
}

const char* kindName(ElementKind kind) {
  switch (kind) {
    case ElementKind::Label:
      return "label";
    case ElementKind::Frame:
      return "frame";
    case ElementKind::CheckBox:
      return "checkbox";
    case ElementKind::Button:
      return "button";
    case ElementKind::ListBox:
      return "listbox";
  }
  return "label";
}

Json elementReport(const HeadlessWindow& window, const DesignedElement& element) {
  Json report = {{"kind", kindName(element.kind)}};
  switch (element.kind) {
    case ElementKind::Label:
    case ElementKind::Frame:
      report["caption"] = window.heldCaption(element.id);
      break;
    case ElementKind::CheckBox:
      report["caption"] = window.heldCaption(element.id);
      report["value"] = window.heldValue(element.id);
      report["enabled"] = window.heldEnabled(element.id);
      break;
    case ElementKind::Button:
      report["caption"] = window.heldCaption(element.id);
      report["enabled"] = window.heldEnabled(element.id);
      break;
    case ElementKind::ListBox:
      report["lines"] = window.lines(element.id);
      break;
  }
  return report;
}

Json fixStateReport(const FixState& state) {
  return {{"WindowsInfoText", state.WindowsInfoText},
          {"SystemDir", state.SystemDir},
          {"InstalledControlPath", state.InstalledControlPath},
          {"InstalledControlVersion", state.InstalledControlVersion},
          {"NewControlPath", state.NewControlPath},
          {"NewControlVersion", state.NewControlVersion}};
}

}  // namespace

Json windowReport(const HeadlessWindow& window) {
  Json elements = Json::object();
  for (const DesignedElement& element : window.layout().elements) {
    elements[displayName(element)] = elementReport(window, element);
  }
  const auto focus = window.focus();
  Json focusName = nullptr;
  if (focus) {
    focusName = displayName(*frm_main::findElement(*focus));
  }
  return {{"caption", window.heldWindowCaption()},
          {"visible", window.visible()},
          {"cursor", window.waitCursor() ? "wait" : "default"},
          {"focus", focusName},
          {"elements", elements}};
}

namespace {

Json report(Session& session, bool registryText) {
  // Read through the accessors, not the program's operations: those fail
  // once the program has ended and unloaded its window, and a failure a test
  // planted for the program must not hit the report.
  const HeadlessWindow& window = session.window();
  Json messages = Json::array();
  for (const RecordedMessage& message : window.messages()) {
    messages.push_back({{"icon", iconName(message.icon)}, {"title", message.title}, {"text", message.text}});
  }
  Json processes = Json::array();
  for (const StartedProcess& process : session.machine().startedProcesses()) {
    processes.push_back({{"command_line", process.commandLine}, {"window_style", process.windowStyle}});
  }
  Json clipboard = nullptr;
  if (window.clipboard()) {
    clipboard = *window.clipboard();
  }
  return {{"window", windowReport(window)},
          {"ended", session.form().ended()},
          {"messages", messages},
          {"clipboard", clipboard},
          {"processes", processes},
          {"fix_state", fixStateReport(session.form().bugfix().state())},
          {"machine", session.machine().toJson(registryText)}};
}

}  // namespace

Json runReport(Session& session) {
  return report(session, true);
}

void printRunReport(Session& session, std::ostream& out) {
  const std::string text = report(session, false).dump(2);
  // Indented text holds no raw line break inside a string, so this is the
  // member itself: "machine" is the report's last member, "registry" its
  // first.
  constexpr std::string_view kSlot = "\n    \"registry\": \"\"";
  const std::size_t open = text.rfind(kSlot) + kSlot.size() - 1;
  out.write(text.data(), static_cast<std::streamsize>(open));
  session.machine().exportRegistry([&](std::string_view piece) {
    // Escaped by the same serialiser as the rest, without its quotes.
    const std::string escaped = Json(piece).dump();
    out.write(escaped.data() + 1, static_cast<std::streamsize>(escaped.size() - 2));
  });
  out.write(text.data() + open, static_cast<std::streamsize>(text.size() - open));
  out << '\n';
}

}  // namespace ocx::sim
