// Everything the logic may ask of Windows, handed to it in one piece.
#pragma once

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/os_facts.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/resources.h"
#include "platform/shell_folders.h"
#include "platform/version_info.h"
#include "platform/window.h"

namespace ocx {

struct Platform {
  Registry& registry;
  WindowServices& window;
  FileSystem& files;
  VersionInfo& versions;
  ShellFolders& shell;
  ProgramResources& resources;
  Processes& processes;
  OsFacts& os;
  Clock& clock;
};

}  // namespace ocx
