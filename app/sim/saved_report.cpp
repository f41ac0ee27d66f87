#include "app/sim/saved_report.h"

#include <vector>

#include "app/texts.h"
#include "fix/mod_bugfix.h"
#include "platform/decimal.h"
#include "platform/sim/host_file.h"
#include "platform/sim/machine.h"
#include "platform/sim/reg_text.h"
#include "platform/utf8.h"

namespace ocx::sim {

namespace {

// How the survey joins the Windows row; what comes before the bits is the
// product name, what follows the closing parenthesis the service pack.
constexpr std::string_view kBitsSuffix = " Bit";
constexpr std::string_view kVersionOpen = " (Version ";
constexpr std::string_view kVersionClose = ") ";

class ReportParser {
 public:
  ReportParser(std::string file, const std::string& text) : file_(std::move(file)) {
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) {
        end = text.size();
      }
      std::string line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') {
        line.pop_back();
      }
      lines_.push_back(std::move(line));
      start = end + 1;
    }
  }

  SavedReport parse() {
    if (!lines_[0].starts_with(std::string(texts::kRowWindows) + "\t")) {
      fail({1, 1}, std::string("not a status report: it does not begin with the row \"") + texts::kRowWindows + "\"");
    }
    SavedReport report;
    report.windowsAt = place(1, texts::kRowWindows);
    const std::string windows = value(1, texts::kRowWindows);
    if (windows != texts::kUnknownValue) {
      report.windows = windowsRow(windows, report.windowsAt);
    }
    report.installed = controlRow(2, texts::kRowInstalled);
    report.available = controlRow(3, texts::kRowAvailable);
    report.typeLib20 = keyRow(4, texts::kRowRegPath20, texts::kRegPathPresent20, report.typeLib20At);
    report.typeLib21 = keyRow(5, texts::kRowRegPath21, texts::kRegPathPresent21, report.typeLib21At);
    if (lines_.size() < 7 || !lines_[5].empty()) {
      fail({6, 1}, "the survey rows are not followed by an empty line");
    }
    return report;
  }

 private:
  [[noreturn]] void fail(ReportPlace at, const std::string& message) const {
    throw ProfileError(file_, at.line, at.column, message);
  }

  static ReportPlace place(int line, std::string_view title) {
    return {line, static_cast<int>(utf8::codePointCount(title)) + 2};
  }

  // The value after the row's title and tab on line `line` (from 1).
  std::string value(int line, std::string_view title) const {
    const auto index = static_cast<std::size_t>(line - 1);
    if (index >= lines_.size()) {
      fail({static_cast<int>(lines_.size()), 1}, "the report ends before the row \"" + std::string(title) + "\"");
    }
    const std::string& text = lines_[index];
    if (!text.starts_with(title) || text.size() == title.size() || text[title.size()] != '\t') {
      fail({line, 1}, "expected the row \"" + std::string(title) + "\" here");
    }
    return text.substr(title.size() + 1);
  }

  WindowsRow windowsRow(const std::string& text, ReportPlace at) const {
    WindowsRow row;
    const std::size_t open = text.find(kVersionOpen);
    const std::size_t bitsAt = open == std::string::npos ? open : open - std::min(open, kBitsSuffix.size() + 3);
    const std::string_view bits =
        bitsAt == std::string::npos ? "" : std::string_view(text).substr(bitsAt, open - bitsAt);
    if (bits != " 64 Bit" && bits != " 32 Bit") {
      fail(at, "the Windows row lacks \" 64 Bit (Version \" or \" 32 Bit (Version \"");
    }
    row.name = text.substr(0, bitsAt);
    row.bits = bits[1] == '6' ? 64 : 32;
    const std::size_t numbersAt = open + kVersionOpen.size();
    const std::size_t close = text.find(kVersionClose, numbersAt);
    std::vector<std::uint32_t> numbers;
    std::size_t start = numbersAt;
    while (close != std::string::npos && start <= close && numbers.size() < 3) {
      const std::size_t stop = numbers.size() < 2 ? std::min(text.find('.', start), close) : close;
      const auto number = parseDecimal<std::int32_t>(std::string_view(text).substr(start, stop - start));
      if (!number) {
        break;
      }
      // The object hands out its record's fields as signed numbers.
      numbers.push_back(static_cast<std::uint32_t>(*number));
      start = stop + 1;
    }
    if (numbers.size() != 3) {
      fail({at.line, at.column + static_cast<int>(utf8::codePointCount(std::string_view(text).substr(0, numbersAt)))},
           "the Windows row's version is not \"major.minor.build) \"");
    }
    row.major = numbers[0];
    row.minor = numbers[1];
    row.build = numbers[2];
    row.servicePack = text.substr(close + kVersionClose.size());
    return row;
  }

  ControlRow controlRow(int line, std::string_view title) const {
    const std::string text = value(line, title);
    ControlRow row;
    if (text == texts::kUnknownValue) {
      return row;
    }
    if (text == texts::kNotDetermined) {
      row.state = ControlRow::State::Missing;
      return row;
    }
    const ReportPlace at = place(line, title);
    const std::size_t infix = text.rfind(texts::kVersionInfix);
    if (infix == std::string::npos || infix == 0) {
      fail(at, std::string("expected a path, \"") + texts::kVersionInfix + "\" and a version, or \"" +
                   texts::kNotDetermined + "\"");
    }
    row.state = ControlRow::State::Found;
    row.path = text.substr(0, infix);
    const std::string version = text.substr(infix + std::string_view(texts::kVersionInfix).size());
    if (!version.empty()) {
      row.version = versionFromText(version);
      if (!row.version) {
        const auto before = utf8::codePointCount(std::string_view(text).substr(0, text.size() - version.size()));
        fail({at.line, at.column + static_cast<int>(before)}, "\"" + version + "\" is not a version text");
      }
    }
    return row;
  }

  std::optional<bool> keyRow(int line, std::string_view title, std::string_view present, ReportPlace& at) const {
    const std::string text = value(line, title);
    at = place(line, title);
    if (text == texts::kUnknownValue) {
      return std::nullopt;
    }
    if (text != present && text != texts::kRegPathMissing) {
      fail(at, "expected \"" + std::string(present) + "\" or \"" + texts::kRegPathMissing + "\"");
    }
    return text == present;
  }

  std::string file_;
  std::vector<std::string> lines_;
};

}  // namespace

std::optional<FileVersion> versionFromText(const std::string& text) {
  std::vector<std::int32_t> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t stop = std::min(text.find('.', start), text.size());
    const auto part = parseDecimal<std::int32_t>(std::string_view(text).substr(start, stop - start));
    if (!part) {
      return std::nullopt;
    }
    parts.push_back(*part);
    start = stop + 1;
  }
  if (parts.size() != 3 && parts.size() != 4) {
    return std::nullopt;
  }
  const auto halves = [](std::int32_t upper, std::int32_t lower) {
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(upper) << 16) |
                                     (static_cast<std::uint32_t>(lower) & 0xFFFF));
  };
  const std::int32_t high = halves(parts[0], parts[1]);
  const std::int32_t low = parts.size() == 4 ? halves(parts[2], parts[3]) : parts[2];
  // Only a text that the program itself would write names one version.
  if (FileVersionText(high, low) != text) {
    return std::nullopt;
  }
  const auto h = static_cast<std::uint32_t>(high);
  const auto l = static_cast<std::uint32_t>(low);
  return FileVersion{static_cast<std::uint16_t>(h >> 16), static_cast<std::uint16_t>(h),
                     static_cast<std::uint16_t>(l >> 16), static_cast<std::uint16_t>(l)};
}

SavedReport readSavedReport(const std::string& path) {
  const auto bytes = readHostFile(path);
  if (!bytes) {
    throw ProfileError(path, 1, 1, "cannot read the status report");
  }
  // Notepad saves in the three encodings a registry file comes in.
  return ReportParser(path, decodeRegFile(*bytes)).parse();
}

}  // namespace ocx::sim
