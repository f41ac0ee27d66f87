// The control's type-library keys below HKEY_CLASSES_ROOT.
#include <string>

#include "fix/control_names.h"
#include "fix/mod_bugfix.h"
#include "osinfo/cls_os_info.h"
#include "platform/error.h"

namespace ocx {

bool modBugfix::TypeLibKeyExists(const char* subKey) {
  try {
    // Each check stands on its own, so the repair run can ask again long
    // after the survey without relying on what the survey saw.
    clsOSInfo info(platform_);
    // On 64-bit Windows the system's own registration lives in the 64-bit
    // view, which this 32-bit program only sees when it asks for it.
    const RegView view = viewFor(info.Is64BitOS(), /*want64BitView=*/true);
    RegKey key;
    return key.open(platform_.registry, RootKey::ClassesRoot, subKey, reg_access::kReadValues, view) == 0;
  } catch (const PlatformError&) {
    return false;
  }
}

bool modBugfix::TypeLib20Exists() {
  return TypeLibKeyExists(control_names::kTypeLib20Key);
}

bool modBugfix::TypeLib21Exists() {
  return TypeLibKeyExists(control_names::kTypeLib21Key);
}

void modBugfix::DeleteRegistryKey(const std::string& keyPath, RootKey root) {
  const auto split = keyPath.rfind('\\');
  const std::string parentPath = split == std::string::npos ? std::string() : keyPath.substr(0, split);
  const std::string child = split == std::string::npos ? keyPath : keyPath.substr(split + 1);
  // The key goes in the view the program sees by default. The registry
  // reports by status, and whether the key went shows only in a later
  // existence check.
  RegKey parent;
  if (parent.open(platform_.registry, root, parentPath, reg_access::kAllAccess, RegView::Default) == 0) {
    static_cast<void>(platform_.registry.deleteKeyTree(parent.get(), child));
  }
}

}  // namespace ocx
