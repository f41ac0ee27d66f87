// ocxmedic-sim as a user and the acceptance checks run it: its command
// line, its refusals and its output.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "resources/version.h"
#include "sim_command.h"

namespace {

using ocx::testing::runSim;
using Outcome = ocx::testing::SimOutcome;

nlohmann::json runJson(const std::string& args) {
  const Outcome outcome = runSim(args);
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
  return nlohmann::json::parse(outcome.out);
}

// Each member of `expected` as `actual` has it.
void expectMembers(const nlohmann::json& actual, const nlohmann::json& expected) {
  for (const auto& [key, value] : expected.items()) {
    EXPECT_EQ(actual.contains(key) ? actual[key] : nlohmann::json("(missing)"), value) << key;
  }
}

const nlohmann::json kNothing = nlohmann::json::array();

TEST(SimCommandLine, WithoutActionsShowsTheSurveyedWindow) {
  const auto result = runJson("");
  expectMembers(result, {{"ended", false}, {"messages", kNothing}, {"clipboard", nullptr}, {"processes", kNothing}});
  expectMembers(
      result["window"],
      {{"caption", "Lumarest Professional - Vantrellis - Problemlösung zum Microsoft Update " OCXMEDIC_VERSION_SHORT},
       {"visible", true},
       {"cursor", "default"},
       {"focus", "cmdGo"}});
  const auto& elements = result["window"]["elements"];
  EXPECT_EQ(elements.size(), 22u);
  expectMembers(elements, {{"cmdGo", {{"kind", "button"}, {"caption", "Bugfix durchführen"}, {"enabled", true}}},
                           {"frameStatus", {{"kind", "frame"}, {"caption", " Status "}}},
                           {"lstStatus", {{"kind", "listbox"}, {"lines", kNothing}}}});
  EXPECT_EQ(elements["lblSysInfoLabel(7)"]["caption"], "Reg-Pfad 2.0:");
  EXPECT_TRUE(result.contains("fix_state"));
  EXPECT_TRUE(result["machine"].contains("registry"));
}

TEST(SimCommandLine, ExitEndsTheProgramAndLaterActionsAreNotPerformed) {
  expectMembers(runJson("click:cmdExit click:cmdStatus"),
                {{"ended", true}, {"messages", kNothing}, {"clipboard", nullptr}});
}

TEST(SimCommandLine, DisabledTargetsIgnoreTheUser) {
  const auto result = runJson("enable:chkReRegisterControl=0 set:chkReRegisterControl=0 enable:cmdGo=0 click:cmdGo");
  expectMembers(result["window"]["elements"]["chkReRegisterControl"], {{"value", 1}, {"enabled", false}});
  expectMembers(result, {{"messages", kNothing}, {"ended", false}});
}

TEST(SimCommandLine, SetAndCloseActAsTheUser) {
  const auto result =
      runJson("set:chkReplaceControl=0 set:chkReRegisterControl=0 set:chkKillRegPath=0 click:cmdGo close");
  ASSERT_EQ(result["messages"].size(), 1u);
  expectMembers(result["messages"][0], {{"title", "Kein Bugfix möglich"}, {"icon", "exclamation"}});
  EXPECT_EQ(result["ended"], true);
}

TEST(SimCommandLine, StatusThenRepairOnTheDefaultMachine) {
  const auto result = runJson("click:cmdStatus click:cmdGo");
  EXPECT_EQ(result["ended"], true);
  ASSERT_EQ(result["messages"].size(), 2u);
  EXPECT_EQ(result["messages"][0]["text"], "Die Statusmeldung wurde in die Zwischenablage kopiert!");
  EXPECT_EQ(result["messages"][1]["text"], "Der Bugfix ist mit den vorgegebenen Einstellungen beendet!");
  EXPECT_EQ(result["processes"].size(), 4u);
  EXPECT_TRUE(result["clipboard"].get<std::string>().ends_with(":\tausgewählt\r\n"));
}

TEST(SimCommandLine, BadCommandLinesAreRefusedBeforeAnythingRuns) {
  for (const char* args : {"bogus", "click:lstStatus", "click:cmdgo", "set:cmdGo=1", "set:chkKillRegPath=3",
                           "set:chkKillRegPath", "enable:cmdGo=2", "enable:lblInfo=1", "--machine", "--frobnicate",
                           "click:cmdExit bogus", "\"$(printf 'two\\nlines')\"", "tamper:", "tamper"}) {
    SCOPED_TRACE(args);
    const Outcome outcome = runSim(args);
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_TRUE(outcome.out.empty());
    EXPECT_TRUE(outcome.err.starts_with("ocxmedic-sim: ")) << outcome.err;
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1);
  }
}

// Another process changes the temporary copy between the survey and the
// run; a file that is not there is left alone and the run sees nothing.
TEST(SimCommandLine, TamperActsBetweenTheUsersActions) {
  const auto stopped = runJson("'tamper:..\\AppData\\Local\\Temp\\MSCOMCTL.OCX' click:cmdGo");
  expectMembers(stopped, {{"ended", false}, {"processes", kNothing}});
  ASSERT_EQ(stopped["messages"].size(), 1u);
  EXPECT_EQ(stopped["messages"][0]["text"], "Es ist ein Fehler aufgetreten!\r\n13: Die Daten sind unzulässig.");

  EXPECT_EQ(runSim("'tamper:C:\\Windows\\SysWOW64\\Nope.ocx' tamper:Nope.ocx").out, runSim("").out);
}

TEST(SimCommandLine, PrintedDefaultMachineGivesTheSameRunAsNoProfile) {
  const std::string profile = ::testing::TempDir() + "default_machine_" + std::to_string(getpid()) + ".json";
  const Outcome printed = runSim("--print-default-machine");
  ASSERT_EQ(printed.exitCode, 0);
  std::ofstream(profile) << printed.out;
  for (const char* actions : {"", "click:cmdStatus", "set:chkReplaceControl=0 click:cmdGo"}) {
    SCOPED_TRACE(actions);
    const Outcome plain = runSim(actions);
    const Outcome fed = runSim("--machine " + profile + " " + actions);
    EXPECT_EQ(fed.exitCode, 0) << fed.err;
    if (std::string(actions).find("cmdGo") == std::string::npos) {
      EXPECT_EQ(fed.out, plain.out);
    } else {
      EXPECT_EQ(nlohmann::json::parse(fed.out)["processes"], nlohmann::json::parse(plain.out)["processes"]);
    }
  }
}

}  // namespace
