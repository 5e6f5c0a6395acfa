#include "commandline/usage.h"

namespace lumavex {

const char* UsageText() {
  return R"(Lumavex.exe without arguments opens the main window. With a command:

  Lumavex.exe --write-avi FOLDER... [--out TARGET] [--type mjpeg|avi]
              [--fps N] [--overwrite]
  Lumavex.exe --record TITLE [--save-to DIR] [--for DURATION]
              [--interval SECONDS] [--bmp] [--no-jpg] [--stamp] [--video]
  Lumavex.exe --repair FILE.avi
  Lumavex.exe --help  (or /?)

--write-avi FOLDER...  turns the JPG frames of each FOLDER into a video,
                       FOLDER.avi beside the folder (C:\rec\Alice01\ gives
                       C:\rec\Alice01.avi)
  --out TARGET         the video's file instead; with one FOLDER only
  --type mjpeg         Motion JPEG: the JPG files copied as frames (default)
  --type avi           through the system's AVI services
  --fps N              frames per second, rounded, 1 to 30 (default 3)
  --overwrite          replaces a video that exists already

--record TITLE         records the webcam pane of the window whose title is
                       exactly TITLE (in quotes when it has spaces), in the
                       main window, which can Pause or Stop it; the window
                       is looked for until DURATION (or 60 s) is over
  --save-to DIR        the folder to record into (default: the main
                       window's)
  --for DURATION       stops and exits after DURATION (default: at Stop or
                       when the main window is closed)
  --interval SECONDS   time between frames, 0.1 to 60 (default 1)
  --bmp                saves BMP frames as well
  --no-jpg             saves no JPG frames (only with --bmp or --video)
  --stamp              turns the date/time stamp on
  --video              saves the frames into videos as well ("Save into a
                       video"), in files of settings.ini's SegmentSeconds

--repair FILE.avi      rebuilds the index of a recording's video from its
                       frames (after a crash, say); prints the file and its
                       frame count

DURATION is a number of seconds, or a number with s, m or h after it:
90, 90s, 15m, 2h or 1.5h. It is more than 0 and at most 576h (24 days).

Options are written --name or /name, in any case (/FPS 5), and a value may
be joined with = (--fps=5). An option's value is always the argument after
it, even when that begins with - or /: --record -Alice- records the window
"-Alice-". Any other argument that begins with - or / is an option, except
a / path with a further / or \ in it (/rec/Alice01). After --, every
argument is a FOLDER. Do not end a quoted folder with \: "C:\rec\" would
take the quote into the folder.

Exit codes:
  0  every video was written; the recording ran its course; the video was
     repaired; --help
  1  a video could not be written; no window with that TITLE appeared; the
     file is no video of a recording
  2  a wrong command line (this text then goes to standard error)
)";
}

}  // namespace lumavex
