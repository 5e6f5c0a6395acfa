#include "commandline/win32/repair_command.h"

#include "avi/mjpeg_avi_repair.h"
#include "commandline/exit_codes.h"

namespace lumavex {

int RunRepair(const std::string& file, const ConsoleOutput& console) {
  const AviRepair repair = RepairMjpegAvi(file);
  if (!repair.ok) {
    console.Err(file + ": " + repair.problem + "\n");
    return kExitFailed;
  }
  console.Out(file + ": " + std::to_string(repair.frames) + " frames\n");
  return kExitDone;
}

}  // namespace lumavex
