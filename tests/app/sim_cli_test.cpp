// ocxmedic-sim as a user and the acceptance checks run it: its command
// line, its refusals and its output.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

namespace {

struct Outcome {
  int exitCode = -1;
  std::string out;
  std::string err;
};

Outcome runSim(const std::string& args) {
  // CTest runs the cases as separate processes side by side.
  const std::string errFile = ::testing::TempDir() + "sim_cli_stderr_" + std::to_string(getpid()) + ".txt";
  const std::string command = std::string(OCXMEDIC_SIM) + " " + args + " 2>" + errFile + " </dev/null";
  Outcome outcome;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return outcome;
  std::array<char, 4096> buffer{};
  std::size_t n = 0;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) outcome.out.append(buffer.data(), n);
  const int status = pclose(pipe);
  outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream err(errFile);
  outcome.err.assign(std::istreambuf_iterator<char>(err), {});
  return outcome;
}

nlohmann::json runJson(const std::string& args) {
  const Outcome outcome = runSim(args);
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
  return nlohmann::json::parse(outcome.out);
}

TEST(SimCommandLine, WithoutActionsShowsTheSurveyedWindow) {
  const auto result = runJson("");
  const auto& window = result["window"];
  EXPECT_EQ(window["caption"], "Lumarest Professional - Vantrellis - Problemlösung zum Microsoft Update 1.0.6");
  EXPECT_EQ(window["visible"], true);
  EXPECT_EQ(window["cursor"], "default");
  EXPECT_EQ(window["focus"], "cmdGo");
  EXPECT_EQ(window["elements"].size(), 22u);
  EXPECT_EQ(window["elements"]["cmdGo"],
            (nlohmann::json{{"kind", "button"}, {"caption", "Bugfix durchführen"}, {"enabled", true}}));
  EXPECT_EQ(window["elements"]["frameStatus"], (nlohmann::json{{"kind", "frame"}, {"caption", " Status "}}));
  EXPECT_EQ(window["elements"]["lstStatus"], (nlohmann::json{{"kind", "listbox"}, {"lines", nlohmann::json::array()}}));
  EXPECT_EQ(window["elements"]["lblSysInfoLabel(7)"]["caption"], "Reg-Pfad 2.0:");
  EXPECT_EQ(result["ended"], false);
  EXPECT_EQ(result["messages"], nlohmann::json::array());
  EXPECT_EQ(result["clipboard"], nullptr);
  EXPECT_EQ(result["processes"], nlohmann::json::array());
  EXPECT_TRUE(result.contains("fix_state"));
  EXPECT_TRUE(result["machine"].contains("registry"));
}

TEST(SimCommandLine, ExitEndsTheProgramAndLaterActionsAreNotPerformed) {
  const auto result = runJson("click:cmdExit click:cmdStatus");
  EXPECT_EQ(result["ended"], true);
  EXPECT_EQ(result["messages"], nlohmann::json::array());
  EXPECT_EQ(result["clipboard"], nullptr);
}

TEST(SimCommandLine, DisabledTargetsIgnoreTheUser) {
  const auto result = runJson("enable:chkReRegisterControl=0 set:chkReRegisterControl=0 enable:cmdGo=0 click:cmdGo");
  EXPECT_EQ(result["window"]["elements"]["chkReRegisterControl"]["value"], 1);
  EXPECT_EQ(result["window"]["elements"]["chkReRegisterControl"]["enabled"], false);
  EXPECT_EQ(result["messages"], nlohmann::json::array());
  EXPECT_EQ(result["ended"], false);
}

TEST(SimCommandLine, SetAndCloseActAsTheUser) {
  const auto result =
      runJson("set:chkReplaceControl=0 set:chkReRegisterControl=0 set:chkKillRegPath=0 click:cmdGo close");
  ASSERT_EQ(result["messages"].size(), 1u);
  EXPECT_EQ(result["messages"][0]["title"], "Kein Bugfix möglich");
  EXPECT_EQ(result["messages"][0]["icon"], "exclamation");
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
  for (const char* args :
       {"bogus", "click:lstStatus", "click:cmdgo", "set:cmdGo=1", "set:chkKillRegPath=3", "set:chkKillRegPath",
        "enable:cmdGo=2", "enable:lblInfo=1", "--machine", "--frobnicate", "click:cmdExit bogus"}) {
    SCOPED_TRACE(args);
    const Outcome outcome = runSim(args);
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_TRUE(outcome.out.empty());
    EXPECT_TRUE(outcome.err.starts_with("ocxmedic-sim: ")) << outcome.err;
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1);
  }
}

TEST(SimCommandLine, UnreadableProfileIsReportedAtItsFirstPosition) {
  const Outcome outcome = runSim("--machine /nonexistent/profile.json");
  EXPECT_EQ(outcome.exitCode, 2);
  EXPECT_TRUE(outcome.out.empty());
  EXPECT_TRUE(outcome.err.starts_with("ocxmedic-sim: /nonexistent/profile.json:1:1: ")) << outcome.err;
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
