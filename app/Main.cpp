#include "EpgApp.h"

// The one application object, built before the program's entry.
CEpgApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return CWinApp::Run(instance);
}
