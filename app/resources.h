#pragma once
// Identifiers of the program's resources (app/lumavex.rc.in), shared by the
// resource script and the code.

// The program's icon, the floppy of the folder button (app/floppy.ico);
// the lowest identifier, so it is the one the shell shows for the file.
#define IDI_LUMAVEX 1
