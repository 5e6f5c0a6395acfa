#pragma once
// The platform clock and the user's locale names that recording folders are
// stamped with.
#include "recording/timestamp.h"

namespace lumavex {

// The current local date and time (GetLocalTime).
LocalTime CurrentLocalTime();

// The user's abbreviated month names and AM/PM designators. A name the
// platform cannot give falls back to its English form, so a folder name
// never has a hole in it.
LocaleNames UserLocaleNames();

}  // namespace lumavex
