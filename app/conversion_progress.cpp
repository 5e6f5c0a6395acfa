#include "app/conversion_progress.h"

#include <commctrl.h>

#include <string>

#include "platform/controls.h"
#include "writeavi/conversion_summary.h"

namespace lumavex {

void ConversionProgress::Begin() {
  if (!taskbar_ &&
      SUCCEEDED(::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                   taskbar_.put_void())) &&
      FAILED(taskbar_->HrInit()))
    taskbar_.reset();
  ::SendMessageW(bar_, PBM_SETPOS, 0, 0);
  SetControlText(text_, "");
  ::ShowWindow(bar_, SW_SHOWNA);
  ::ShowWindow(text_, SW_SHOWNA);
  if (taskbar_) taskbar_->SetProgressState(window_, TBPF_INDETERMINATE);
}

void ConversionProgress::Show(int done, int total) {
  if (total <= 0) return;
  ::SendMessageW(bar_, PBM_SETRANGE32, 0, total);
  ::SendMessageW(bar_, PBM_SETPOS, done, 0);
  SetControlText(text_, Grouped(static_cast<std::uint64_t>(done)) + " of " +
                            Grouped(static_cast<std::uint64_t>(total)) + " frames");
  if (taskbar_) {
    taskbar_->SetProgressState(window_, TBPF_NORMAL);
    taskbar_->SetProgressValue(window_, static_cast<ULONGLONG>(done), static_cast<ULONGLONG>(total));
  }
}

void ConversionProgress::End() {
  ::ShowWindow(bar_, SW_HIDE);
  ::ShowWindow(text_, SW_HIDE);
  if (taskbar_) taskbar_->SetProgressState(window_, TBPF_NOPROGRESS);
}

}  // namespace lumavex
