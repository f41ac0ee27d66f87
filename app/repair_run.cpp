// cmdGo: the repair run. Key removal, replacement, re-registration, each
// only when its option box is checked and enabled, each announced in
// lstStatus before it acts. The first failure stops the run; what is done
// stays done.
#include <exception>
#include <memory>
#include <new>
#include <string>

#include "app/frm_main.h"
#include "app/frm_main_ids.h"
#include "app/repair_names.h"
#include "app/texts.h"
#include "fix/control_names.h"
#include "platform/error.h"
#include "platform/pass_over.h"

namespace ocx {
namespace {

// From the first change to the last, a log-off or shut-down that asks is
// refused: it would end the program between two steps. One that does not
// ask (a forced shut-down, TerminateProcess) cannot be refused, and leaves
// what the last finished step left:
// - key 2.0 deleted, the control untouched: as broken as before, and a new
//   run finds the control to replace;
// - the old control unregistered: a new run registers it again;
// - the old control renamed to its backup name, the new one not yet
//   copied (a moment between two file calls): no control in the system
//   folder, but the backup and the temporary copy still hold both
//   versions, so either can be put in place by hand;
// - the new control copied: it is on the disk, flushed before the
//   temporary copy is deleted and before it is registered;
// - any registration: regsvr32 runs on in its own process and finishes.
// Nothing of ours runs at the end of a session that could leave more half
// done than that.
class SessionEndBlock {
 public:
  explicit SessionEndBlock(WindowServices& window) : window_(window) {
    window_.blockSessionEnd(texts::kSessionEndBlocked);
  }
  ~SessionEndBlock() { window_.allowSessionEnd(); }
  SessionEndBlock(const SessionEndBlock&) = delete;
  SessionEndBlock& operator=(const SessionEndBlock&) = delete;

 private:
  WindowServices& window_;
};

}  // namespace

void frmMain::cmdGo_Click() {
  using namespace frm_main;
  const RunningHandler running(*this);
  WindowServices& window = platform_.window;
  try {
    const int kill = window.value(chkKillRegPath);
    const int replace = window.value(chkReplaceControl);
    const int reRegister = window.value(chkReRegisterControl);
    // Only Value counts here: a greyed or a disabled box is still a choice.
    if (kill == check_value::kUnchecked && replace == check_value::kUnchecked &&
        reRegister == check_value::kUnchecked) {
      window.messageBox(texts::kNoOptionText, texts::kNoOptionTitle, MessageIcon::Exclamation);
      return;
    }
    RepairSteps(BackupName(platform_.clock.localNow()));
    window.messageBox(texts::kDoneText, texts::kDoneTitle, MessageIcon::Information);
    ExitApp();
  } catch (const PlatformError& error) {
    ReportFailure(error.number(), error.description());
  } catch (const std::bad_alloc& error) {
    ReportFailure(failureNumber(error), texts::kNotEnoughMemory);
  } catch (const std::exception& error) {
    ReportFailure(failureNumber(error), error.what());
  }
}

void frmMain::RepairSteps(const std::string& backupName) {
  using namespace frm_main;
  WindowServices& window = platform_.window;
  const std::string installed = bugfix_.InstalledControlPath();
  const std::string newControl = bugfix_.NewControlPath();
  const std::string backupPath = BackupPath(installed, backupName);
  const SessionEndBlock block(window);

  // Every condition is evaluated, as the checks are cheap and the order in
  // which they are asked is observable (each makes its own OS probe).
  const auto selected = [&](ElementId box) {
    const bool checked = window.value(box) == check_value::kChecked;
    const bool enabled = window.enabled(box);
    return checked && enabled;
  };

  bool run = selected(chkKillRegPath);
  const bool has21 = bugfix_.TypeLib21Exists();
  const bool has20 = bugfix_.TypeLib20Exists();
  if (run && has21 && has20) {
    window.appendLine(lstStatus, texts::kStatusDeleteKey);
    bugfix_.DeleteRegistryKey(control_names::kTypeLib20Key, RootKey::ClassesRoot);
  }

  run = selected(chkReplaceControl);
  const bool newExists = bugfix_.FileExists(newControl);
  const bool installedExists = bugfix_.FileExists(installed);
  if (run && newExists && installedExists) {
    // Checked before anything is touched: a copy that fails the check
    // leaves the installed control in place and registered. Held from
    // here, it cannot change before it is copied.
    std::unique_ptr<HeldFile> carried = bugfix_.HoldCarriedControl(newControl);
    window.appendLine(lstStatus, texts::kStatusUnregister);
    bugfix_.RegisterControl(installed, true, true);
    window.appendLine(lstStatus, std::string(texts::kStatusRenamePrefix) + backupName + texts::kStatusEllipsis);
    platform_.files.renameFile(installed, backupPath);
    window.appendLine(lstStatus, texts::kStatusCopy);
    carried->copyTo(installed);
    // Only without our handle can the copy be deleted.
    carried.reset();
    try {
      platform_.files.deleteFile(newControl);
    } catch (const PlatformError&) {
      // The temporary copy may stay; the control is in place.
    }
    window.appendLine(lstStatus, texts::kStatusRegisterNew);
    bugfix_.RegisterControl(installed, false, true);
  }

  if (selected(chkReRegisterControl)) {
    window.appendLine(lstStatus, texts::kStatusUnregister);
    bugfix_.RegisterControl(installed, true, true);
    window.appendLine(lstStatus, texts::kStatusRegister);
    bugfix_.RegisterControl(installed, false, true);
  }
}

void frmMain::ReportFailure(std::uint32_t number, const std::string& description) {
  using namespace frm_main;
  WindowServices& window = platform_.window;
  const std::string reason = std::to_string(number) + ": " + description;
  // Each step of the report stands alone: a window that refuses one of them
  // must not hide the others.
  passOver([&] {
    window.messageBox(std::string(texts::kFailureText) + "\r\n" + reason, texts::kFailureTitle, MessageIcon::Critical);
  });
  passOver([&] { window.appendLine(lstStatus, texts::kFailureLinePrefix + reason); });
  passOver([&] { window.appendLine(lstStatus, texts::kAbortLine); });
  passOver([&] { window.setEnabled(cmdGo, false); });
  passOver([&] { window.setFocus(cmdExit); });
}

}  // namespace ocx
