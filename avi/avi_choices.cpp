#include "platform/avi_handles.h"
#include "avi/convert_folder.h"
#include "dialogs/file_dlg.h"

namespace lumavex {

AviChoices UserAviChoices() {
  AviChoices choices;
  choices.target = [](HWND owner, std::string& target) {
    cFileDlg dialog;
    dialog.DefaultExt("avi");
    dialog.DlgTitle("Choose a filename to save AVI to...");
    dialog.Filter("AVI Files|*.avi");
    dialog.OwnerHwnd(owner);
    std::string title;
    return dialog.VBGetSaveFileName(target, title);
  };
  choices.compression = [](HWND owner, PAVISTREAM* stream, AviCompressOptions& options) {
    return options.Choose(owner, ICMF_CHOOSE_KEYFRAME | ICMF_CHOOSE_DATARATE, stream);
  };
  return choices;
}

}  // namespace lumavex
