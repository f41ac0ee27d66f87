// Registry text in the format regedit writes and reads: "Windows Registry
// Editor Version 5.00" (text data as UTF-16LE) and "REGEDIT4" (text data in
// code page 1252).
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/sim/registry_store.h"

namespace ocx::sim {

inline constexpr std::string_view kRegedit5Header = "Windows Registry Editor Version 5.00";
inline constexpr std::string_view kRegedit4Header = "REGEDIT4";

// The first malformed line of a registry text: line and column (from 1) of
// the offending token.
class RegTextError : public std::runtime_error {
 public:
  RegTextError(int line, int column, const std::string& message)
      : std::runtime_error(message), line_(line), column_(column) {}
  [[nodiscard]] int line() const noexcept { return line_; }
  [[nodiscard]] int column() const noexcept { return column_; }

 private:
  int line_;
  int column_;
};

// Applies a registry text (UTF-8) to `store` as regedit imports it: keys
// created with their parents, values set, "[-key]" and "=-" deleting. An
// empty text changes nothing. Throws RegTextError and then leaves `store`
// partly changed; callers import into a fresh store.
void importRegText(std::string_view text, RegistryStore& store);

// Applies a registry file as importRegText does, reading it piece by piece
// with its encoding found as decodeRegFile finds it. False when the file
// cannot be read.
bool importRegFile(const std::string& path, RegistryStore& store);

// The whole store as a full regedit 5.00 export, with CR LF line ends.
std::string exportRegText(const RegistryStore& store);
// The same export handed to `write` in pieces of whole lines, so that a
// large registry need not be held as text.
using RegTextSink = std::function<void(std::string_view)>;
void exportRegText(const RegistryStore& store, const RegTextSink& write);

// One value line as regedit 5.00 writes it, wrapped hex lines included, with
// its final CR LF.
std::string formatValueLine(const RegValue& value);

// A registry file's bytes as UTF-8 text: UTF-16LE with its byte-order mark,
// UTF-8 with or without one, and otherwise code page 1252.
std::string decodeRegFile(std::string_view bytes);

}  // namespace ocx::sim
