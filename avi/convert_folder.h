#pragma once
// "Write Avi": turns the JPG frames of the folder in txtPath into an AVI file.
namespace lumavex {

class Form1;

void ConvertFolderToAvi(Form1& form);

}  // namespace lumavex
