#include "app/repair_names.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string_view>

#include "fix/control_names.h"

namespace ocx {
namespace {

constexpr std::string_view kControlFileName = control_names::kControlFile;

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](unsigned char x, unsigned char y) { return std::toupper(x) == std::toupper(y); });
}

}  // namespace

std::string BackupName(const SystemTime& now) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d.%02d.%02d", now.year, now.month, now.day, now.hour,
                now.minute, now.second);
  return std::string(kControlFileName) + "_Backup_" + stamp;
}

std::string BackupPath(const std::string& installedPath, const std::string& backupName) {
  std::string result;
  std::size_t pos = 0;
  while (pos < installedPath.size()) {
    const std::string_view rest = std::string_view(installedPath).substr(pos);
    if (rest.size() >= kControlFileName.size() &&
        equalsIgnoringCase(rest.substr(0, kControlFileName.size()), kControlFileName)) {
      result += backupName;
      pos += kControlFileName.size();
    } else {
      result += installedPath[pos];
      ++pos;
    }
  }
  return result;
}

}  // namespace ocx
