// The program's own resources.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ocx {

class ProgramResources {
 public:
  virtual ~ProgramResources() = default;

  // FindResource, LoadResource, LockResource, SizeofResource: the bytes of
  // the resource of type `type` and numeric identifier `id`. Throws
  // PlatformError (1813, 1814) when the program has no such resource.
  [[nodiscard]] virtual std::vector<std::uint8_t> resourceBytes(const std::string& type, int id) = 0;
};

}  // namespace ocx
