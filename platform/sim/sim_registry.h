// The Registry service of the simulated machine: handles, rights, the two
// views of a 64-bit machine and the code-page conversions of the "A" calls,
// on top of the physical store.
#pragma once

#include <map>
#include <memory>

#include "platform/registry.h"
#include "platform/sim/faults.h"
#include "platform/sim/registry_store.h"

namespace ocx::sim {

class SimRegistry final : public Registry {
 public:
  SimRegistry(RegistryStore& store, FaultList& faults, bool admin, bool machineIs64Bit)
      : store_(store), faults_(faults), admin_(admin), is64_(machineIs64Bit) {}

  RegStatus openKey(RootKey root, const std::string& subKey, std::uint32_t sam, RegView view, RegHandle& key) override;
  RegStatus openSubKey(RegHandle parent, const std::string& subKey, std::uint32_t sam, RegHandle& key) override;
  RegStatus queryValueInfo(RegHandle key, const std::string& name, RegType& type, std::uint32_t& size) override;
  RegStatus queryValue(RegHandle key, const std::string& name, RegType& type, std::span<std::uint8_t> buffer,
                       std::uint32_t& size) override;
  RegStatus closeKey(RegHandle key) override;
  std::string textFromAnsi(std::span<const std::uint8_t> data) override;
  RegStatus deleteKeyTree(RegHandle parent, const std::string& child) override;

  // The physical path (below `root`) that `path` names in the chosen view.
  [[nodiscard]] std::string physicalPath(RootKey root, const std::string& path, bool view64) const;

  [[nodiscard]] std::size_t openHandleCount() const { return open_.size(); }

 private:
  struct OpenKey {
    RootKey root;
    std::string path;  // as the program named it, before any redirection
    RegView view;
    std::uint32_t sam;
    std::shared_ptr<RegKeyNode> node;
  };

  RegStatus open(RootKey root, const std::string& path, std::uint32_t sam, RegView view, RegHandle& key);
  // The open key behind a handle, predefined roots included; null when the
  // handle is not open.
  const OpenKey* lookup(RegHandle handle);
  RegStatus readValue(RegHandle key, const std::string& name, RegType& type, std::vector<std::uint8_t>& data);
  [[nodiscard]] bool view64(RegView view) const { return is64_ && view == RegView::Wow64_64; }
  [[nodiscard]] bool refused(RootKey root) const {
    return !admin_ && (root == RootKey::ClassesRoot || root == RootKey::LocalMachine);
  }

  RegistryStore& store_;
  FaultList& faults_;
  bool admin_;
  bool is64_;
  std::map<RegHandle, OpenKey> open_;
  RegHandle nextHandle_ = 0x1000;
  OpenKey rootScratch_{};
};

}  // namespace ocx::sim
