#include "writeavi/win32/preset_choices.h"

#include "platform/avi_handles.h"

namespace lumavex {

AviChoices PresetAviChoices(const std::string& target, AviOutput output) {
  AviChoices choices;
  choices.target = [target, output](HWND, std::string& chosen, AviOutput& type) {
    chosen = target;
    type = output;
    return true;
  };
  // What the compression dialog hands back for "Full Frames (Uncompressed)".
  choices.compression = [](HWND, PAVISTREAM*, AviCompressOptions& options) -> INT_PTR {
    AVICOMPRESSOPTIONS uncompressed{};
    uncompressed.fccType = streamtypeVIDEO;
    uncompressed.fccHandler = comptypeDIB;
    uncompressed.dwQuality = static_cast<DWORD>(ICQUALITY_DEFAULT);
    uncompressed.dwFlags = AVICOMPRESSF_VALID;
    options.Adopt(uncompressed);
    return 1;
  };
  choices.windowless = true;
  return choices;
}

}  // namespace lumavex
