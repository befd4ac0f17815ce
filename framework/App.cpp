#include "App.h"
#include "File.h"
#include "Path.h"
#include <cstdio>
#include <cstdlib>

CWinApp *CWinApp::current = nullptr;

const char UnexpectedErrorText[] = "予期しないエラーが発生しました。";

namespace {
bool Unattended() {
    return CWinApp::Current() && CWinApp::Current()->IsUnattended();
}
} // namespace

void CCommandLineInfo::ParseParam(const char *param, BOOL flag, BOOL) {
    if (!flag && fileName[0] == '\0')
        lstrcpynA(fileName, param, sizeof fileName);
}

CWinApp::CWinApp() {
    current = this;
}

CWinApp::~CWinApp() {
    if (current == this)
        current = nullptr;
}

void CWinApp::ParseCommandLine(CCommandLineInfo &info) {
    for (int i = 1; i < __argc; ++i) {
        const char *argument = __argv[i];
        BOOL flag = argument[0] == '/' || argument[0] == '-';
        info.ParseParam(flag ? argument + 1 : argument, flag, i == __argc - 1);
    }
}

int CWinApp::MessageBox(const char *text, UINT type) {
    if ((type & MB_ICONMASK) == 0)
        type |= MB_ICONEXCLAMATION;
    HWND owner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    return ::MessageBoxA(owner, text, title, type);
}

int CWinApp::Run(HINSTANCE instance) {
    CWinApp *app = current;
    if (!app)
        return 1;
    app->m_hInstance = instance;
    app->SetTitleFromModule();
    // No message loop of its own: the dialogs run theirs, and the program ends
    // when InitInstance returns. An exception that nothing expected ends the
    // program here, with a message, rather than in the C runtime's abort,
    // whose box would wait in an unattended run.
    try {
        app->InitInstance();
    } catch (...) {
        ReportUnexpectedError();
    }
    return app->ExitInstance();
}

void CWinApp::SetTitleFromModule() {
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, sizeof module);
    CopyBaseName(module, title, sizeof title);
}

void FormatFileError(const CFileException &error, char *text, size_t size) {
    const char *form;
    switch (error.osError) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        form = "%s が見つかりません。";
        break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        form = "%s は他のプログラムが使用中です。";
        break;
    case ERROR_ACCESS_DENIED:
        form = "%s にアクセスできません。";
        break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        form = "%s を書き込む領域がありません。";
        break;
    default:
        form = "%s の読み書き中にエラーが発生しました。";
        break;
    }
    snprintf(text, size, form, error.fileName);
}

int AppMessageBox(const char *text, UINT type) {
    if (CWinApp *app = CWinApp::Current())
        return app->MessageBox(text, type);
    if ((type & MB_ICONMASK) == 0)
        type |= MB_ICONEXCLAMATION;
    return ::MessageBoxA(nullptr, text, nullptr, type);
}

void ReportFileError(const CFileException &error) {
    if (Unattended())
        return; // nobody could answer it
    char text[MAX_PATH + 128];
    FormatFileError(error, text, sizeof text);
    AppMessageBox(text, MB_OK | MB_ICONSTOP);
}

void ReportUnexpectedError() {
    if (!Unattended())
        AppMessageBox(UnexpectedErrorText, MB_OK | MB_ICONSTOP);
}
