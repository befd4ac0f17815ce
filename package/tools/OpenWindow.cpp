// openwindow: opens a visible top-level window with the given title for the
// given number of seconds, as another program of the installation would.
// Usage: openwindow TITLE SECONDS (1 to 86400). Closing the window ends it
// earlier. Exit code 0, or 2 for a wrong command line.
#include <windows.h>
#include <cstdlib>

namespace {
constexpr UINT_PTR LifeTimer = 1;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == LifeTimer)
            DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool ParseSeconds(const char *text, UINT &seconds) {
    char *end = nullptr;
    long value = strtol(text, &end, 10);
    if (end == text || *end || value < 1 || value > 86400)
        return false;
    seconds = (UINT)value;
    return true;
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    UINT seconds = 0;
    if (__argc != 3 || !__argv[1][0] || !ParseSeconds(__argv[2], seconds))
        return 2;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "OpenWindowPeer";
    if (!RegisterClassA(&windowClass))
        return 1;
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, __argv[1],
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                  360, 160, nullptr, nullptr, instance, nullptr);
    if (!window || !SetTimer(window, LifeTimer, seconds * 1000, nullptr))
        return 1;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
