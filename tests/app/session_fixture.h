// Runs the program on a simulated machine built from a profile text.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/frm_main_ids.h"
#include "app/sim/sim_session.h"
#include "platform/error.h"
#include "tests/osinfo/sim_platform.h"

namespace ocx::testing {

inline constexpr char kBackupName[] = "MSCOMCTL.OCX_Backup_2012-08-20 14.05.09";
inline constexpr char kInstalledPath[] = "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX";
inline constexpr char kTempCopyPath[] = "C:\\Users\\Administrator\\AppData\\Local\\Temp\\MSCOMCTL.OCX";

// `members` are extra profile keys, written as JSON members without braces.
inline std::unique_ptr<sim::Session> startSession(const std::string& members = "", bool start = true) {
  auto session = std::make_unique<sim::Session>(test::machineOf("{" + members + "}"));
  if (start) session->form().Start();
  return session;
}

// The default machine started while the window operations that `fails`
// picks throw; afterwards the window works again.
inline std::unique_ptr<sim::Session> startFailing(const std::function<bool(std::string_view, ElementId)>& fails) {
  auto session = startSession("", false);
  session->window().setOperationHook([&](std::string_view operation, ElementId id) {
    if (fails(operation, id)) throw PlatformError(1400, "Ungültiges Fensterhandle.");
  });
  session->form().Start();
  session->window().setOperationHook({});
  return session;
}

inline std::vector<std::string> statusLines(sim::Session& session) {
  return session.window().lines(frm_main::lstStatus);
}

inline void expectOnlyMessage(sim::Session& session, std::string_view text, std::string_view title, MessageIcon icon) {
  ASSERT_EQ(session.window().messages().size(), 1u);
  EXPECT_EQ(session.window().messages()[0].text, text);
  EXPECT_EQ(session.window().messages()[0].title, title);
  EXPECT_EQ(session.window().messages()[0].icon, icon);
}

}  // namespace ocx::testing
