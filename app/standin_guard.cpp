#include "app/standin_guard.h"

#include <exception>

#include "app/texts.h"

namespace ocx {

bool RunsUnderWine(OsFacts& os) {
  try {
    return moduleExports(os, "ntdll.dll", "wine_get_version");
  } catch (const std::exception&) {
    // Not knowing is not Wine: the stand-in must not reach a real system.
    return false;
  }
}

bool StandinBuildMayRun(OsFacts& os, WindowServices& window) {
  if (RunsUnderWine(os)) {
    return true;
  }
  try {
    window.messageBox(texts::kStandinBuildText, texts::kStandinBuildTitle, MessageIcon::Critical);
  } catch (const std::exception&) {
    // Ending without a word is still better than going on.
  }
  return false;
}

}  // namespace ocx
