#include "platform/sim/win_path.h"

#include <vector>

#include "platform/sim/text_codec.h"

namespace ocx::sim {

namespace {

bool isDriveLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool hasDrive(std::string_view path) {
  return path.size() >= 2 && isDriveLetter(path[0]) && path[1] == ':';
}

std::vector<std::string> splitNames(std::string_view path) {
  std::vector<std::string> names;
  std::string current;
  for (char c : path) {
    if (c == '\\') {
      if (!current.empty()) {
        names.push_back(current);
      }
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) {
    names.push_back(current);
  }
  return names;
}

bool matchUnits(std::u16string_view pattern, std::u16string_view name) {
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starP = std::u16string_view::npos;
  std::size_t starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == u'*') {
      starP = p++;
      starN = n;
    } else if (starP != std::u16string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') {
    ++p;
  }
  return p == pattern.size();
}

}  // namespace

std::optional<std::string> resolveWinPath(std::string_view rawPath, std::string_view cwd) {
  std::string path(rawPath);
  for (char& c : path) {
    if (c == '/') {
      c = '\\';
    }
  }
  if (path.empty() || path.starts_with("\\\\")) {
    return std::nullopt;
  }
  std::string drive;
  std::vector<std::string> names;
  const auto startFromCwd = [&] {
    if (!hasDrive(cwd)) {
      return false;
    }
    drive = std::string(cwd.substr(0, 2));
    names = splitNames(cwd.substr(2));
    return true;
  };
  std::string_view rest = path;
  if (hasDrive(path)) {
    drive = path.substr(0, 2);
    rest.remove_prefix(2);
    if (rest.empty() || rest[0] != '\\') {
      // "C:x": relative to the current folder when that is on the same drive.
      if (hasDrive(cwd) && equalsIgnoreCase(cwd.substr(0, 2), drive)) {
        startFromCwd();
      }
    }
  } else if (path[0] == '\\') {
    if (!hasDrive(cwd)) {
      return std::nullopt;
    }
    drive = std::string(cwd.substr(0, 2));
  } else if (!startFromCwd()) {
    return std::nullopt;
  }
  for (auto& name : splitNames(rest)) {
    if (name == ".") {
      continue;
    }
    if (name == "..") {
      if (!names.empty()) {
        names.pop_back();
      }
      continue;
    }
    names.push_back(std::move(name));
  }
  if (!names.empty() && !hasWildcards(names.back())) {
    std::string& last = names.back();
    while (!last.empty() && (last.back() == '.' || last.back() == ' ')) {
      last.pop_back();
    }
    if (last.empty()) {
      names.pop_back();
    }
  }
  std::string full = drive + '\\';
  for (std::size_t i = 0; i < names.size(); ++i) {
    full += (i == 0 ? "" : "\\") + names[i];
  }
  return full;
}

std::string parentPath(std::string_view fullPath) {
  if (isDriveRoot(fullPath)) {
    return "";
  }
  const std::size_t slash = fullPath.rfind('\\');
  if (slash == std::string_view::npos) {
    return "";
  }
  return std::string(fullPath.substr(0, slash == 2 ? 3 : slash));
}

std::string leafName(std::string_view fullPath) {
  if (isDriveRoot(fullPath)) {
    return "";
  }
  return std::string(fullPath.substr(fullPath.rfind('\\') + 1));
}

bool isDriveRoot(std::string_view fullPath) {
  return fullPath.size() == 3 && hasDrive(fullPath) && fullPath[2] == '\\';
}

bool isAtOrBelow(std::string_view fullPath, std::string_view folder) {
  const std::string path = pathKey(fullPath);
  std::string base = pathKey(folder);
  if (path == base) {
    return true;
  }
  if (!base.ends_with('\\')) {
    base += '\\';
  }
  return path.starts_with(base);
}

bool hasWildcards(std::string_view name) {
  return name.find_first_of("*?") != std::string_view::npos;
}

bool wildcardMatch(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*") {
    pattern = "*";
  }
  return matchUnits(foldedUtf16(pattern), foldedUtf16(name));
}

std::string pathKey(std::string_view fullPath) {
  return foldCaseUtf8(fullPath);
}

}  // namespace ocx::sim
