#pragma once
// Reads a Motion JPEG AVI of ours from its chunks alone, whatever its
// indexes say, and rebuilds it: what a killed recording leaves is a file
// whose headers and indexes stop at their last refresh while whole frames
// may follow. Portable.
//
// The walk follows chunk sizes from the first RIFF's movi list on (RIFF and
// LIST sizes are not trusted: they may be stale) and stops at the first
// chunk that is not whole or not one of ours, so a torn tail is left out.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace lumavex {

struct AviChunkScan {
  // Empty when the file is a Motion JPEG AVI of ours; otherwise why not.
  std::string problem;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t rate = 0;
  std::uint32_t scale = 0;
  // Every slot in file order: where its data is and its size (0: held).
  struct Slot {
    std::uint64_t dataAt;
    std::uint32_t size;
  };
  std::vector<Slot> slots;
  std::uint32_t frames = 0;  // slots with a picture
  // Slots the headers count (the last refresh's, for a killed recording).
  std::uint32_t headerSlots = 0;
  // The writer finished the file: its legacy index is there and its
  // headers count every slot. Anything else needs a repair.
  bool finished = false;
};

AviChunkScan ScanMjpegAvi(std::FILE* file);

struct AviRepair {
  bool ok = false;
  std::string problem;  // when not ok
  std::uint32_t frames = 0;
  std::uint32_t slots = 0;
};

// Writes the file again from its whole chunks, through "<path>.part", which
// replaces it only once complete: the pictures and held slots in their
// order, with fresh indexes and headers. A file that is not ours, or holds
// no whole frame, is left as it is.
AviRepair RepairMjpegAvi(const std::string& path);

}  // namespace lumavex
