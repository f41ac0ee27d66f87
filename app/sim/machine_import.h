// A profile of a customer's machine made from what the customer can send: a
// regedit export of a few keys and, optionally, the saved status report.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace ocx::sim {

struct ImportedMachine {
  nlohmann::ordered_json profile;
  // One line for each fact that neither file tells, and for each place where
  // the two files disagree, saying what the profile holds instead.
  std::vector<std::string> notes;
};

// The profile that `profilePath` is to hold: its "registry_file" names the
// export relative to the profile's folder. Throws ProfileError, naming the
// file, line and column, when the export is not a regedit export or the
// report not a status report of this program, or either cannot be read.
ImportedMachine importMachine(const std::string& exportPath, const std::optional<std::string>& reportPath,
                              const std::string& profilePath);

}  // namespace ocx::sim
