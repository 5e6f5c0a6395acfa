#pragma once
// The 16 x 16, 256-colour picture of a floppy disk on the folder button.
#include "platform/gdi.h"

namespace lumavex {

UniqueBitmap MakeFloppyBitmap();

}  // namespace lumavex
