#include "platform/avi_handles.h"

namespace lumavex {

std::atomic<long>& AviCompressOptions::Live() {
  static std::atomic<long> count{0};
  return count;
}

void AviCompressOptions::Hold() {
  if (!held_) ++Live();
  held_ = true;
}

INT_PTR AviCompressOptions::Choose(HWND owner, UINT flags, PAVISTREAM* stream) {
  Free();
  options_ = AVICOMPRESSOPTIONS{};
  // Confirmed or not, the dialog may have allocated into the record.
  const INT_PTR result = ::AVISaveOptions(owner, flags, 1, stream, array_);
  Hold();
  return result;
}

void AviCompressOptions::Adopt(const AVICOMPRESSOPTIONS& options) {
  Free();
  options_ = options;
  Hold();
}

void AviCompressOptions::Free() {
  if (!held_) return;
  ::AVISaveOptionsFree(1, array_);
  held_ = false;
  --Live();
}

}  // namespace lumavex
