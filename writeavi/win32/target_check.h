#pragma once
// Whether a video can be put at its target, asked before any frame is
// written, so that a read-only file or one another program holds is said
// at once instead of after the whole video.
#include <optional>
#include <string>

#include "writeavi/conversion_view.h"

namespace lumavex {

// Nothing when the target may be written (or does not exist yet); otherwise
// why not, as a sentence for the user.
std::optional<std::string> TargetRefusal(const std::string& target);

// Nothing unless the part file `partPath` is being written now by another
// conversion (another Lumavex with the same target); then that, as a
// sentence for the user.
std::optional<std::string> PartRefusal(const std::string& partPath);

// The message for a target that cannot be opened: the program's own first
// line, then the path and, when known, why.
std::string CannotOpenText(const std::string& target, const std::optional<std::string>& reason);

// Tells `view` that no video can be written at `target`: that message, then
// the closing one.
void SayCannotWrite(ConversionView& view, const std::string& target,
                    const std::optional<std::string>& reason);

}  // namespace lumavex
