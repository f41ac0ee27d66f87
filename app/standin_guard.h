// A test build carries a stand-in in place of Microsoft's MSCOMCTL.OCX. The
// stand-in only writes one registry key when registered, so the repair
// would leave a real machine without a working common-controls file. Such a
// build therefore runs only where the tests run it: under Wine.
#pragma once

#include "platform/os_facts.h"
#include "platform/window.h"

namespace ocx {

// Wine's ntdll exports wine_get_version; no Windows has it. This is the test
// that Wine's own documentation gives programs that must tell the two apart.
[[nodiscard]] bool RunsUnderWine(OsFacts& os);

// True under Wine. Anywhere else it tells the user that this is a test
// build and returns false; the caller then ends before anything is surveyed
// or changed.
[[nodiscard]] bool StandinBuildMayRun(OsFacts& os, WindowServices& window);

}  // namespace ocx
