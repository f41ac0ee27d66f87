#include "platform/sim/sim_processes.h"

#include "platform/error.h"
#include "platform/sim/machine.h"
#include "platform/sim/text_codec.h"

namespace ocx::sim {

namespace {

struct Token {
  std::string text;
  bool quoted = false;
};

// Words separated by blanks; a double-quoted stretch belongs to its word.
std::vector<Token> splitCommandLine(std::string_view line) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
      ++i;
    }
    if (i >= line.size()) {
      break;
    }
    Token token;
    bool inQuotes = false;
    while (i < line.size() && (inQuotes || (line[i] != ' ' && line[i] != '\t'))) {
      if (line[i] == '"') {
        inQuotes = !inQuotes;
        token.quoted = true;
      } else {
        token.text += line[i];
      }
      ++i;
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

// The text between the command line's first pair of quotes.
std::string quotedPart(std::string_view line) {
  const std::size_t open = line.find('"');
  if (open == std::string_view::npos) {
    return "";
  }
  const std::size_t close = line.find('"', open + 1);
  return std::string(
      line.substr(open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1));
}

[[noreturn]] void fail(std::uint32_t code) {
  throw PlatformError(code, systemErrorText(code));
}

}  // namespace

std::optional<Regsvr32Command> parseRegsvr32(std::string_view commandLine) {
  const auto tokens = splitCommandLine(commandLine);
  if (tokens.empty()) {
    return std::nullopt;
  }
  const std::string& program = tokens[0].text;
  const std::string name =
      program.substr(program.find_last_of("\\/") == std::string::npos ? 0 : program.find_last_of("\\/") + 1);
  if (!equalsIgnoreCase(name, "regsvr32") && !equalsIgnoreCase(name, "regsvr32.exe")) {
    return std::nullopt;
  }
  Regsvr32Command command;
  for (std::size_t i = 1; i < tokens.size(); ++i) {
    const Token& token = tokens[i];
    if (!token.quoted && token.text.size() == 2 && (token.text[0] == '/' || token.text[0] == '-')) {
      const char option = static_cast<char>(token.text[1] | 0x20);
      command.silent = command.silent || option == 's';
      command.unregister = command.unregister || option == 'u';
      continue;
    }
    command.files.push_back(token.text);
  }
  return command;
}

void SimProcesses::startProcess(const std::string& commandLine, int windowStyle) {
  const auto command = parseRegsvr32(commandLine);
  if (const auto fault = faults_.take("start_process", {disk_.resolve(quotedPart(commandLine))})) {
    fail(*fault);
  }
  if (!command) {
    fail(win32_error::kFileNotFound);
  }
  started_.push_back(StartedProcess{commandLine, windowStyle});
  if (!admin_) {
    return;
  }
  for (const auto& file : command->files) {
    registerFile(file, command->unregister);
  }
}

void SimProcesses::registerFile(const std::string& path, bool unregister) {
  const std::string full = disk_.resolve(path);
  const DiskEntry* entry = full.empty() ? nullptr : disk_.entry(full);
  if (entry == nullptr || entry->directory || !entry->content->registers) {
    return;
  }
  for (const auto& key : *entry->content->registers) {
    const auto split = RegistryStore::splitFullPath(key);
    if (!split) {
      continue;
    }
    if (unregister) {
      store_.remove(split->first, split->second);
    } else {
      store_.create(split->first, split->second);
    }
  }
}

}  // namespace ocx::sim
