// Runs the program on a simulated machine built from a profile text.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/frm_main_ids.h"
#include "app/sim/sim_session.h"

namespace ocx::testing {

// Machine at a fixed local time, so that backup names are known.
inline constexpr char kFixedClock[] = R"("clock": {"now": "2012-08-20 14:05:09", "utc_offset_minutes": 120})";
inline constexpr char kBackupName[] = "MSCOMCTL.OCX_Backup_2012-08-20 14.05.09";
inline constexpr char kInstalledPath[] = "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX";
inline constexpr char kTempCopyPath[] = "C:\\Users\\Administrator\\AppData\\Local\\Temp\\MSCOMCTL.OCX";

// `members` are extra profile keys, written as JSON members without braces.
inline std::unique_ptr<sim::Session> startSession(const std::string& members = "", bool start = true) {
  std::string profile = std::string("{") + kFixedClock;
  if (!members.empty()) {
    profile += ", " + members;
  }
  profile += "}";
  auto session = std::make_unique<sim::Session>(sim::Machine::fromProfileText(profile, "test.json"));
  if (start) {
    session->form().Start();
  }
  return session;
}

inline std::vector<std::string> statusLines(sim::Session& session) {
  return session.window().lines(frm_main::lstStatus);
}

}  // namespace ocx::testing
