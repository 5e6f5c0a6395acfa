#pragma once
// Windows paths as text (UTF-8): joining a folder and a name, and the folder
// that holds a path. Portable, so that the rules are tested natively.
#include <string>
#include <string_view>

namespace lumavex {

// folder + "\" + name, nothing trimmed: a folder ending in "\" gives a
// doubled separator, which Windows accepts.
std::string JoinPath(const std::string& folder, const std::string& name);

// The folder that holds `path` ("\" or "/" separated): "." for a bare name,
// and a drive's root folder with its separator ("C:\x.avi" lies in "C:\").
std::string ParentFolder(const std::string& path);

// The last name of `path` ("\" or "/" separated): the whole of a bare name.
std::string_view NameInPath(std::string_view path);

// A path as typed or pasted into a box: spaces around it dropped, and the
// quotes around it that Explorer's "Copy as path" adds ("C:\rec" gives
// C:\rec). Quotes inside are kept (no Windows name holds one).
std::string PathFromBox(const std::string& text);

}  // namespace lumavex
