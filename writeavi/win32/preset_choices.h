#pragma once
// The questions of a conversion answered in advance, for a conversion that
// asks nobody (the command line, the benchmark, the tests): the target and
// the output type as given, and for the first type the uncompressed
// compressor, "Full Frames (Uncompressed)", as a user picking it in the
// compression dialog would.
#include <string>

#include "writeavi/win32/convert_folder.h"

namespace lumavex {

AviChoices PresetAviChoices(const std::string& target, AviOutput output);

}  // namespace lumavex
