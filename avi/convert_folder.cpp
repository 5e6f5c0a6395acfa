#include "avi/convert_folder.h"

#include "app/form1.h"

namespace lumavex {

void ConvertFolderToAvi(Form1&) {}

}  // namespace lumavex
