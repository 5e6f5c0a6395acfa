#pragma once
// Pictures for the benchmark: a binary PPM (P6) file, or a synthetic scene
// when none is given. Either way the result is laid out like the frame
// writer's DIB section: bottom-up rows of blue, green, red padded to 4 bytes.
#include <cstdint>
#include <string>
#include <vector>

namespace lumavex::jpegbench {

struct DibPixels {
  int width = 0;
  int height = 0;
  int stride = 0;  // bytes per row in memory
  std::vector<std::uint8_t> bytes;
  std::string origin;  // where the pixels came from, for the report
};

// Reads a P6 PPM with maxval 255. False (with `error`) when it cannot.
bool loadPpm(const std::string& path, DibPixels& out, std::string& error);

// A deterministic scene with gradients, edges and noise, so the encoders
// have photograph-like work to do.
DibPixels syntheticScene(int width, int height);

// A test pane of flat colour: the demo window's four bands, a grid of
// flat rectangles across them and a white disc; what entropy coding gains
// most on, since nearly every block is one colour.
DibPixels flatBlocksPane(int width, int height);

// Writes the pixels as a P6 PPM (top row first), for other encoders to read.
bool savePpm(const DibPixels& pixels, const std::string& path);

}  // namespace lumavex::jpegbench
