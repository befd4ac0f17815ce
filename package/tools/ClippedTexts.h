// Which texts of another program's dialog do not fit their controls.
#pragma once
#include <windows.h>

// Measures every visible static text and button of the dialog WINDOW in the
// font its template gives its controls, prints each text that needs more
// room than its control gives it or whose control the window cuts, and
// returns how many; -1 when the dialog's template cannot be found in its
// program's file.
int PrintClippedTexts(HWND window);

// Prints the face that draws the dialog's template font, its height and the
// dialog units it gives; 1 when the template cannot be found.
int PrintDialogFont(HWND window);
