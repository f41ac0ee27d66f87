// The names the repair run gives the old control file.
#pragma once

#include <string>

#include "platform/clock.h"

namespace ocx {

// "MSCOMCTL.OCX_Backup_" and the local time as "YYYY-MM-DD HH.MM.SS".
std::string BackupName(const SystemTime& now);

// `installedPath` with every "MSCOMCTL.OCX", in any letter case, replaced by
// `backupName`.
std::string BackupPath(const std::string& installedPath, const std::string& backupName);

}  // namespace ocx
