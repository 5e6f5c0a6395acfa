#pragma once
// The folder button: picks the save folder in the shell's folder browser.
namespace lumavex {

class Form1;

void BrowseForSaveFolder(Form1& form);

}  // namespace lumavex
