#pragma once
// The text --help shows, and that follows a wrong command line.

namespace lumavex {

// Lines shorter than 80 columns, each ending in a newline.
const char* UsageText();

}  // namespace lumavex
