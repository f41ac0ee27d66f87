#include "app/sim/interactive.h"

#include <istream>
#include <ostream>
#include <string>

#include "app/frm_main_ids.h"
#include "app/sim/user_actions.h"

namespace ocx::sim {
namespace {

const char* checkMark(int value) {
  switch (value) {
    case check_value::kChecked:
      return "[x]";
    case check_value::kGrayed:
      return "[-]";
    default:
      return "[ ]";
  }
}

void draw(HeadlessWindow& window, std::ostream& out) {
  using namespace frm_main;
  out << "\n=== " << window.windowCaption() << " ===\n";
  for (const ElementSpec& element : window.layout().elements) {
    switch (element.kind) {
      case ElementKind::Frame:
        out << "--" << window.caption(element.id) << "--\n";
        break;
      case ElementKind::Label:
        out << "  " << window.caption(element.id) << '\n';
        break;
      case ElementKind::CheckBox:
        out << "  " << checkMark(window.value(element.id)) << ' ' << window.caption(element.id)
            << (window.enabled(element.id) ? "" : " (gesperrt)") << '\n';
        break;
      case ElementKind::Button:
        out << "  <" << window.caption(element.id) << '>' << (window.enabled(element.id) ? "" : " (gesperrt)") << '\n';
        break;
      case ElementKind::ListBox:
        for (const std::string& line : window.lines(element.id)) {
          out << "    | " << line << '\n';
        }
        break;
    }
  }
  out << "\nKeys: g Bugfix durchfuehren, s Status kopieren, b Beenden, 1/2/3 toggle options, q close box\n> "
      << std::flush;
}

void confirmNewMessages(HeadlessWindow& window, std::size_t& shown, std::istream& in, std::ostream& out) {
  for (; shown < window.messages().size(); ++shown) {
    const RecordedMessage& message = window.messages()[shown];
    out << "\n[" << message.title << "]\n" << message.text << "\n[OK: Enter] " << std::flush;
    std::string ignored;
    std::getline(in, ignored);
  }
}

std::optional<UserAction> actionFor(HeadlessWindow& window, const std::string& key) {
  using namespace frm_main;
  const auto toggle = [&](ElementId box) {
    const int next = window.value(box) == check_value::kChecked ? check_value::kUnchecked : check_value::kChecked;
    return UserAction{UserAction::Kind::Set, box, next};
  };
  if (key == "g") return UserAction{UserAction::Kind::Click, cmdGo};
  if (key == "s") return UserAction{UserAction::Kind::Click, cmdStatus};
  if (key == "b") return UserAction{UserAction::Kind::Click, cmdExit};
  if (key == "q") return UserAction{UserAction::Kind::Close};
  if (key == "1") return toggle(chkReplaceControl);
  if (key == "2") return toggle(chkReRegisterControl);
  if (key == "3") return toggle(chkKillRegPath);
  return std::nullopt;
}

}  // namespace

void runInteractively(Session& session, std::istream& in, std::ostream& out) {
  std::size_t shown = 0;
  std::string key;
  while (!session.form().ended()) {
    draw(session.window(), out);
    if (!std::getline(in, key)) {
      return;
    }
    if (const auto action = actionFor(session.window(), key)) {
      perform(session, *action);
      confirmNewMessages(session.window(), shown, in, out);
    }
  }
}

}  // namespace ocx::sim
