// cmdStatus: what the window shows, as one plain text on the clipboard.
#include <exception>
#include <string>

#include "app/frm_main.h"
#include "app/frm_main_ids.h"
#include "app/texts.h"
#include "platform/pass_over.h"

namespace ocx {
namespace {

constexpr char kLineBreak[] = "\r\n";
constexpr char kTab = '\t';

}  // namespace

std::string frmMain::StatusReport() {
  using namespace frm_main;
  WindowServices& window = platform_.window;
  std::string report;
  for (const int index : kSysInfoIndices) {
    passOver([&] {
      std::string row = window.caption(lblSysInfoLabel(index));
      row += kTab;
      row += window.caption(lblSysInfoText(index));
      report += row + kLineBreak;
    });
  }
  report += kLineBreak;
  for (const ElementId box : {chkReplaceControl, chkReRegisterControl, chkKillRegPath}) {
    passOver([&] {
      std::string row = window.caption(box) + ":";
      row += kTab;
      row += window.value(box) == check_value::kChecked ? texts::kSelected : texts::kNotSelected;
      report += row + kLineBreak;
    });
  }
  int count = 0;
  passOver([&] { count = window.lineCount(lstStatus); });
  for (int position = 0; position < count; ++position) {
    passOver([&] {
      const std::string line = window.line(lstStatus, position);
      if (!report.empty()) {
        report += kLineBreak;
      }
      report += line;
    });
  }
  return report;
}

void frmMain::cmdStatus_Click() {
  const RunningHandler running(*this);
  WindowServices& window = platform_.window;
  const std::string report = StatusReport();
  passOver([&] { window.clearClipboard(); });
  passOver([&] { window.setClipboardText(report); });
  passOver([&] { window.messageBox(texts::kReportCopiedText, texts::kReportCopiedTitle, MessageIcon::Information); });
}

}  // namespace ocx
