// The program's version, shared by the version resource and the code.
#pragma once
#define PELMAR_VERSION_NUMBERS 1, 4, 0, 1
#define PELMAR_VERSION_TEXT "1.4.0.1"
