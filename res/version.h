// The program's version, shared by the version resource and the code.
#pragma once
#define PELMAR_VERSION_NUMBERS 1, 4, 0, 1
#define PELMAR_VERSION_TEXT "1.4.0.1"
// Who makes the program, and its rights notice (the version box shows it too).
#define PELMAR_MAKER_TEXT "Pelmar project"
#define PELMAR_RIGHTS_TEXT "(C) 2026 Pelmar project"
