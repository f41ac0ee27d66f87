#include "app/sim/interactive.h"

#include <algorithm>
#include <istream>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

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

std::string enabledNote(HeadlessWindow& window, ElementId id) {
  return window.enabled(id) ? "" : " (gesperrt)";
}

// One element as text, without its indent; the list box is drawn apart, a
// line of its own for each of its lines.
std::string shown(HeadlessWindow& window, const DesignedElement& element) {
  switch (element.kind) {
    case ElementKind::Label:
      return window.caption(element.id);
    case ElementKind::CheckBox:
      return std::string(checkMark(window.value(element.id))) + ' ' + window.caption(element.id) +
             enabledNote(window, element.id);
    case ElementKind::Button:
      return '<' + window.caption(element.id) + '>' + enabledNote(window, element.id);
    case ElementKind::Frame:
    case ElementKind::ListBox:
      break;
  }
  return {};
}

// The elements inside `container` as a person reads them: rows top to
// bottom, and within a row left to right; each frame's heading followed by
// what it holds, one step further in.
void drawContents(HeadlessWindow& window, ElementId container, const std::string& indent, std::ostream& out) {
  std::vector<const DesignedElement*> inside;
  for (const DesignedElement& element : window.layout().elements) {
    if (element.container == container && element.id != container) {
      inside.push_back(&element);
    }
  }
  std::ranges::sort(inside, {}, [](const DesignedElement* e) { return std::pair{e->top, e->left}; });
  for (auto row = inside.begin(); row != inside.end();) {
    const auto rowEnd =
        std::find_if(row, inside.end(), [&](const DesignedElement* e) { return e->top != (*row)->top; });
    std::string line;
    for (auto it = row; it != rowEnd; ++it) {
      const DesignedElement& element = **it;
      if (element.kind == ElementKind::Frame) {
        out << indent << "--" << window.caption(element.id) << "--\n";
        drawContents(window, element.id, indent + "  ", out);
      } else if (element.kind == ElementKind::ListBox) {
        // An empty list still shows where it is.
        const std::vector<std::string>& entries = window.lines(element.id);
        if (entries.empty()) {
          out << indent << "|\n";
        }
        for (const std::string& entry : entries) {
          out << indent << "| " << entry << '\n';
        }
      } else {
        line += (line.empty() ? "" : "  ") + shown(window, element);
      }
    }
    if (!line.empty()) {
      out << indent << line << '\n';
    }
    row = rowEnd;
  }
}

}  // namespace

void drawWindow(HeadlessWindow& window, std::ostream& out) {
  out << "=== " << window.windowCaption() << " ===\n";
  drawContents(window, kWindowItself, "  ", out);
}

namespace {

void draw(HeadlessWindow& window, std::ostream& out) {
  out << '\n';
  drawWindow(window, out);
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
