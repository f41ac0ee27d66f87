// ocxmedic-sim: the program on a simulated Windows machine.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/sim/interactive.h"
#include "app/sim/machine_import.h"
#include "app/sim/run_report.h"
#include "app/sim/user_actions.h"
#include "osinfo/os_info_report.h"

namespace {

using namespace ocx::sim;

constexpr char kUsage[] =
    "Usage:\n"
    "  ocxmedic-sim [--machine PROFILE.json] [ACTION ...]\n"
    "  ocxmedic-sim osinfo [--machine PROFILE.json]\n"
    "  ocxmedic-sim --print-default-machine\n"
    "  ocxmedic-sim import EXPORT.reg [--report REPORT.txt] --out PROFILE.json\n"
    "  ocxmedic-sim --help\n"
    "\n"
    "Starts the program on the simulated machine (the built-in default machine\n"
    "unless a profile is given), then performs the actions in order as a user\n"
    "would, confirming every message box, and prints the outcome as JSON.\n"
    "\n"
    "Actions:\n"
    "  click:NAME      NAME one of cmdGo, cmdStatus, cmdExit\n"
    "  close           the window's close box\n"
    "  set:NAME=V      set check box NAME to Value V (0, 1 or 2)\n"
    "  enable:NAME=B   set Enabled of a check box or button to B (0 or 1)\n"
    "  tamper:PATH     another process overwrites the file PATH (absolute or\n"
    "                  relative to the current folder) with other bytes of the\n"
    "                  same length, no longer self-registering\n"
    "\n"
    "Without actions, on a terminal, the window is run interactively.\n"
    "\n"
    "import writes a profile of a customer's machine from a regedit export and,\n"
    "optionally, the status report saved as a text file. Every fact that neither\n"
    "file tells keeps the default machine's value, and every place where the\n"
    "report disagrees with the export (which wins) is named in a line on standard\n"
    "error; a file that is not what it should be is refused and nothing written.\n"
    "The customer runs, in a command prompt:\n"
    "  reg export \"HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\" ocx1.reg /y\n"
    "  reg export \"HKLM\\SYSTEM\\CurrentControlSet\\Control\\ProductOptions\" ocx2.reg /y\n"
    "  reg export \"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment\" ocx3.reg /y\n"
    "  reg export \"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Nls\\Language\" ocx4.reg /y\n"
    "  reg export \"HKCR\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\" ocx5.reg /y\n"
    "and presses \"Status in die Zwischenablage kopieren\" in the program, pasting\n"
    "the report into Notepad and saving it. The five exports are joined into\n"
    "EXPORT.reg under one header (see README.md).\n";

enum class Mode { Run, OsInfo, PrintDefaultMachine, Import, Help };

struct CommandLine {
  Mode mode = Mode::Run;
  std::optional<std::string> machinePath;
  std::vector<UserAction> actions;
  std::optional<std::string> exportPath;
  std::optional<std::string> reportPath;
  std::optional<std::string> outPath;
};

// The file an option names, given as "--out FILE" or "--out=FILE", and once.
bool fileOption(const std::vector<std::string>& args, std::size_t& i, std::string_view option,
                std::optional<std::string>& file) {
  const std::string& arg = args[i];
  const std::string joined = std::string(option) + "=";
  if (arg != option && !arg.starts_with(joined)) {
    return false;
  }
  if (file) {
    throw CommandLineError(std::string(option) + " given twice");
  }
  if (arg == option) {
    if (i + 1 >= args.size()) {
      throw CommandLineError(std::string(option) + " needs a file");
    }
    file = args[++i];
  } else {
    file = arg.substr(joined.size());
  }
  return true;
}

CommandLine parseImport(const std::vector<std::string>& args) {
  CommandLine command;
  command.mode = Mode::Import;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (fileOption(args, i, "--report", command.reportPath) || fileOption(args, i, "--out", command.outPath)) {
      continue;
    }
    if (args[i].starts_with("-")) {
      throw CommandLineError("unknown option of import: " + args[i]);
    }
    if (command.exportPath) {
      throw CommandLineError("import takes one regedit export");
    }
    command.exportPath = args[i];
  }
  if (!command.exportPath) {
    throw CommandLineError("import needs a regedit export");
  }
  if (!command.outPath) {
    throw CommandLineError("import needs --out PROFILE.json");
  }
  return command;
}

CommandLine parseCommandLine(const std::vector<std::string>& args) {
  if (!args.empty() && args[0] == "import") {
    return parseImport(args);
  }
  CommandLine command;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--machine") {
      if (i + 1 >= args.size()) {
        throw CommandLineError("--machine needs a profile file");
      }
      if (command.machinePath) {
        throw CommandLineError("--machine given twice");
      }
      command.machinePath = args[++i];
    } else if (arg.starts_with("--machine=")) {
      if (command.machinePath) {
        throw CommandLineError("--machine given twice");
      }
      command.machinePath = arg.substr(std::string("--machine=").size());
    } else if (arg == "--help" || arg == "-h") {
      command.mode = Mode::Help;
    } else if (arg == "--print-default-machine") {
      command.mode = Mode::PrintDefaultMachine;
    } else if (arg == "osinfo" && i == 0) {
      command.mode = Mode::OsInfo;
    } else if (arg.starts_with("-")) {
      throw CommandLineError("unknown option: " + arg);
    } else {
      command.actions.push_back(parseUserAction(arg));
    }
  }
  if (command.mode == Mode::OsInfo && !command.actions.empty()) {
    throw CommandLineError("osinfo takes no actions");
  }
  return command;
}

std::unique_ptr<Machine> loadMachine(const CommandLine& command) {
  return command.machinePath ? Machine::fromProfileFile(*command.machinePath) : Machine::createDefault();
}

// A refusal is one line, whatever line breaks the offending text holds.
std::string oneLine(std::string_view text) {
  std::string line;
  for (const char c : text) {
    if (c == '\n') {
      line += "\\n";
    } else if (c == '\r') {
      line += "\\r";
    } else {
      line += c;
    }
  }
  return line;
}

void print(const nlohmann::ordered_json& json) {
  std::cout << json.dump(2) << '\n';
}

// Nothing is written unless both files were read whole; what the profile
// holds without a source is said after it is written.
int importProfile(const CommandLine& command) {
  const ImportedMachine imported = importMachine(*command.exportPath, command.reportPath, *command.outPath);
  std::ofstream out(*command.outPath, std::ios::binary | std::ios::trunc);
  out << imported.profile.dump(2) << '\n';
  out.close();
  if (!out) {
    throw CommandLineError("cannot write " + *command.outPath);
  }
  for (const std::string& note : imported.notes) {
    std::cerr << "ocxmedic-sim: import: " << oneLine(note) << '\n';
  }
  return 0;
}

int run(const CommandLine& command) {
  switch (command.mode) {
    case Mode::Help:
      std::cout << kUsage;
      return 0;
    case Mode::PrintDefaultMachine:
      print(Machine::defaultProfile());
      return 0;
    case Mode::Import:
      return importProfile(command);
    case Mode::OsInfo: {
      Session session(loadMachine(command));
      print(ocx::osInfoReport(session.platform()));
      return 0;
    }
    case Mode::Run:
      break;
  }
  Session session(loadMachine(command));
  session.form().Start();
  if (command.actions.empty() && isatty(STDIN_FILENO) && isatty(STDOUT_FILENO)) {
    runInteractively(session, std::cin, std::cout);
    return 0;
  }
  for (const UserAction& action : command.actions) {
    if (session.form().ended()) {
      break;
    }
    perform(session, action);
  }
  printRunReport(session, std::cout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  constexpr int kRefused = 2;
  try {
    const CommandLine command = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    return run(command);
  } catch (const CommandLineError& error) {
    std::cerr << "ocxmedic-sim: " << oneLine(error.what()) << '\n';
  } catch (const ProfileError& error) {
    std::cerr << "ocxmedic-sim: " << oneLine(error.file()) << ':' << error.line() << ':' << error.column() << ": "
              << oneLine(error.what()) << '\n';
  }
  return kRefused;
}
