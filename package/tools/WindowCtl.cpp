// windowctl: works another program's windows from a script, as a user would,
// for the demo and its pictures. The window is the top-level window with the
// exact title given (code page 932).
//   windowctl wait TITLE [SECONDS]        until it is shown (default 20 s)
//   windowctl gone TITLE [SECONDS]        until it has gone
//   windowctl post TITLE MESSAGE WPARAM [LPARAM]   posts a message to it
//   windowctl click TITLE ID              presses its button ID
//   windowctl show TITLE COMMAND          ShowWindow with that command (9 restores)
//   windowctl text TITLE ID               prints the text of its control ID
//   windowctl rect TITLE                  prints its place on screen: X Y WIDTH HEIGHT
//   windowctl font TITLE                  prints the face that draws its dialog font,
//                                         its height and the dialog units it gives
//   windowctl clipped TITLE               prints each static text and button whose
//                                         text, in the dialog's font, does not fit it,
//                                         or that the window cuts
// Numbers may be decimal or 0x hexadecimal. Exit code 0, 1 when the window
// is not there (or still there for gone), 2 for a wrong command line; for
// clipped, 0 when every text fits, 3 when one does not, and 1 also when the
// window's dialog template cannot be read.
#include "ClippedTexts.h"
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
bool Number(const char *text, unsigned long &value) {
    char *end = nullptr;
    value = strtoul(text, &end, 0);
    return end != text && *end == '\0';
}

HWND Find(const char *title) {
    HWND window = FindWindowA(nullptr, title);
    return window && IsWindowVisible(window) ? window : nullptr;
}

int Usage() {
    fputs("usage: windowctl wait|gone TITLE [SECONDS]\n"
          "       windowctl post TITLE MESSAGE WPARAM [LPARAM]\n"
          "       windowctl click|text TITLE ID\n"
          "       windowctl show TITLE COMMAND\n"
          "       windowctl rect|font|clipped TITLE\n",
          stderr);
    return 2;
}

int Wait(const char *title, const char *secondsText, bool untilGone) {
    unsigned long seconds = 20;
    if (secondsText && !Number(secondsText, seconds))
        return Usage();
    for (DWORD waited = 0; waited <= seconds * 1000; waited += 100) {
        if ((Find(title) != nullptr) != untilGone)
            return 0;
        Sleep(100);
    }
    return 1;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3)
        return Usage();
    const char *command = argv[1];
    const char *title = argv[2];
    if (strcmp(command, "wait") == 0 || strcmp(command, "gone") == 0)
        return argc <= 4 ? Wait(title, argc == 4 ? argv[3] : nullptr, command[0] == 'g') : Usage();

    unsigned long values[3] = {};
    for (int i = 3; i < argc && i < 6; ++i)
        if (!Number(argv[i], values[i - 3]))
            return Usage();
    HWND window = Find(title);
    if (!window)
        return 1;
    if (strcmp(command, "post") == 0 && (argc == 5 || argc == 6)) {
        PostMessageA(window, (UINT)values[0], (WPARAM)values[1], (LPARAM)values[2]);
    } else if (strcmp(command, "click") == 0 && argc == 4) {
        PostMessageA(GetDlgItem(window, (int)values[0]), BM_CLICK, 0, 0);
    } else if (strcmp(command, "show") == 0 && argc == 4) {
        ShowWindowAsync(window, (int)values[0]);
    } else if (strcmp(command, "rect") == 0 && argc == 3) {
        RECT place;
        GetWindowRect(window, &place);
        printf("%ld %ld %ld %ld\n", place.left, place.top, place.right - place.left,
               place.bottom - place.top);
    } else if (strcmp(command, "font") == 0 && argc == 3) {
        return PrintDialogFont(window);
    } else if (strcmp(command, "clipped") == 0 && argc == 3) {
        int clipped = PrintClippedTexts(window);
        return clipped < 0 ? 1 : clipped == 0 ? 0 : 3;
    } else if (strcmp(command, "text") == 0 && argc == 4) {
        char text[512] = {};
        GetDlgItemTextA(window, (int)values[0], text, sizeof text);
        printf("%s\n", text);
    } else {
        return Usage();
    }
    return 0;
}
