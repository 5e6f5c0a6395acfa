#pragma once
// The hold a conversion through the AVI services takes on its frame folder,
// where it writes and reads back "tmp.bmp" for every frame: two of them in
// one folder (two instances of Lumavex, say) would each read the other's
// frames back. The hold is a named kernel object, so it ends with the
// process however that ends.
#include <string>

#include "platform/kernel.h"

namespace lumavex {

class FrameFolderClaim {
 public:
  explicit FrameFolderClaim(const std::string& folder);
  // False when another conversion holds the folder. When the claim cannot
  // be asked at all, the conversion goes ahead as it always has.
  bool held() const { return held_; }

 private:
  UniqueKernelObject name_;
  bool held_ = true;
};

// What the user is told when the folder is held.
std::string FolderHeldText(const std::string& folder);

}  // namespace lumavex
