#pragma once
// Writes a file so that it is either complete or absent: the data goes to a
// temporary file beside the target ("<target>.part"), and only after every
// write and the close have succeeded is it renamed over the target. A failure
// at any step removes the temporary. Frame files are later joined into a
// video, where a truncated frame would spoil the result.
//
// Paths are UTF-8. Portable C++ only (std::FILE through platform/utf8_file,
// which takes the wide C runtime calls on Windows). POSIX rename
// replaces the target atomically, so there a failure leaves an older target
// untouched. Windows' C runtime does not replace on rename: there the old
// target is removed and the rename retried, so a failure in that last step
// leaves the target absent, but never partly written.
//
// The temporary's name is fixed, so two writers must not write the same
// target at the same time (the program writes its frames one by one); a
// temporary left by a crash is simply overwritten the next time.
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/utf8_file.h"

namespace lumavex::jpeg {

class WholeFileWriter {
 public:
  // The temporary's suffix, appended to the target path.
  static constexpr const char* kTemporarySuffix = ".part";

  explicit WholeFileWriter(std::string targetPath);
  // Abandons an uncommitted file: closes and removes the temporary.
  ~WholeFileWriter();
  WholeFileWriter(const WholeFileWriter&) = delete;
  WholeFileWriter& operator=(const WholeFileWriter&) = delete;

  // Creates (or truncates) the temporary. False when it cannot be created.
  bool open();
  // Appends bytes; false (and the writer failed for good) on a short write.
  bool write(const void* data, std::size_t size);
  // Closes the temporary and moves it over the target. False on any failure,
  // after which the temporary is gone.
  bool commit();

  const std::string& targetPath() const { return target_; }
  const std::string& temporaryPath() const { return temporary_; }

 private:
  void abandon();

  std::string target_;
  std::string temporary_;
  UniqueStdFile file_;
  bool failed_ = false;
  bool committed_ = false;
};

}  // namespace lumavex::jpeg
