#pragma once
// The questions of "Write Avi" asked of the user: the save dialog (with its
// two output types) and the compression dialog.
#include "writeavi/win32/convert_folder.h"

namespace lumavex {

AviChoices UserAviChoices();

}  // namespace lumavex
