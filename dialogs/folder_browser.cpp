#include "dialogs/folder_browser.h"

#include "app/form1.h"

namespace lumavex {

void BrowseForSaveFolder(Form1&) {}

}  // namespace lumavex
