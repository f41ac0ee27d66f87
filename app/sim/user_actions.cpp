#include "app/sim/user_actions.h"

#include <optional>
#include <string_view>

#include "app/frm_main_ids.h"
#include "app/frm_main_layout.h"
#include "platform/decimal.h"
#include "platform/pass_over.h"

namespace ocx::sim {
namespace {

const DesignedElement& elementOf(std::string_view name, std::initializer_list<ElementKind> kinds) {
  const DesignedElement* element = frm_main::findElement(name);
  if (element == nullptr || std::find(kinds.begin(), kinds.end(), element->kind) == kinds.end()) {
    throw CommandLineError("unknown element: " + std::string(name));
  }
  return *element;
}

int numberIn(std::string_view text, int low, int high, std::string_view action) {
  const std::optional<int> number = parseDecimal<int>(text);
  if (!number || *number < low || *number > high) {
    throw CommandLineError("value out of range in " + std::string(action) + ": " + std::string(text) + " (allowed " +
                           std::to_string(low) + " to " + std::to_string(high) + ")");
  }
  return *number;
}

// "NAME=V" of set: and enable:.
UserAction assignment(UserAction::Kind kind, std::string_view action, std::string_view argument,
                      std::initializer_list<ElementKind> kinds, int high) {
  const std::size_t equals = argument.find('=');
  if (equals == std::string_view::npos) {
    throw CommandLineError("missing =VALUE in action: " + std::string(action));
  }
  const DesignedElement& target = elementOf(argument.substr(0, equals), kinds);
  return {kind, target.id, numberIn(argument.substr(equals + 1), 0, high, action)};
}

}  // namespace

UserAction parseUserAction(const std::string& text) {
  const std::string_view action(text);
  if (action == "close") {
    return {UserAction::Kind::Close};
  }
  const std::size_t colon = action.find(':');
  const std::string_view verb = action.substr(0, colon);
  const std::string_view argument = colon == std::string_view::npos ? std::string_view() : action.substr(colon + 1);
  if (colon != std::string_view::npos && verb == "click") {
    const DesignedElement& button = elementOf(argument, {ElementKind::Button});
    return {UserAction::Kind::Click, button.id};
  }
  if (colon != std::string_view::npos && verb == "set") {
    return assignment(UserAction::Kind::Set, action, argument, {ElementKind::CheckBox}, check_value::kGrayed);
  }
  if (colon != std::string_view::npos && verb == "enable") {
    return assignment(UserAction::Kind::Enable, action, argument, {ElementKind::CheckBox, ElementKind::Button}, 1);
  }
  if (colon != std::string_view::npos && verb == "tamper") {
    if (argument.empty()) {
      throw CommandLineError("missing PATH in action: " + text);
    }
    return {UserAction::Kind::Tamper, kWindowItself, 0, std::string(argument)};
  }
  throw CommandLineError("unknown action: " + text);
}

void perform(Session& session, const UserAction& action) {
  HeadlessWindow& window = session.window();
  frmMain& form = session.form();
  switch (action.kind) {
    case UserAction::Kind::Close:
      form.Form_Unload();
      return;
    case UserAction::Kind::Tamper:
      session.machine().overwriteFromOutside(action.path);
      return;
    case UserAction::Kind::Enable:
      passOver([&] { window.setEnabled(action.element, action.value != 0); });
      return;
    case UserAction::Kind::Set:
      if (window.enabled(action.element)) {
        // A click on the box moves the focus to it before its state changes.
        passOver([&] { window.setFocus(action.element); });
        window.setValue(action.element, action.value);
      }
      return;
    case UserAction::Kind::Click:
      if (!window.enabled(action.element)) {
        return;
      }
      passOver([&] { window.setFocus(action.element); });
      if (action.element == frm_main::cmdGo) {
        form.cmdGo_Click();
      } else if (action.element == frm_main::cmdStatus) {
        form.cmdStatus_Click();
      } else {
        form.cmdExit_Click();
      }
      return;
  }
}

}  // namespace ocx::sim
