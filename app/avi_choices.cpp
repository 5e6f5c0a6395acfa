#include "app/avi_choices.h"
#include "dialogs/win32/file_dlg.h"
#include "platform/avi_handles.h"

namespace lumavex {

AviChoices UserAviChoices() {
  AviChoices choices;
  choices.target = [](HWND owner, std::string& target, AviOutput& output) {
    cFileDlg dialog;
    dialog.DefaultExt("avi");
    dialog.DlgTitle("Choose a filename to save AVI to...");
    // The first type is the default; the dialog reports the chosen one.
    dialog.Filter("AVI Files|*.avi|Motion JPEG AVI, frames copied (*.avi)|*.avi");
    if (output == AviOutput::MotionJpegCopy) dialog.FilterIndex(2);
    dialog.OwnerHwnd(owner);
    std::string title;
    if (!dialog.VBGetSaveFileName(target, title)) return false;
    output = dialog.FilterIndex() == 2 ? AviOutput::MotionJpegCopy : AviOutput::Compressed;
    return true;
  };
  choices.compression = [](HWND owner, PAVISTREAM* stream, AviCompressOptions& options) {
    return options.Choose(owner, ICMF_CHOOSE_KEYFRAME | ICMF_CHOOSE_DATARATE, stream);
  };
  return choices;
}

}  // namespace lumavex
