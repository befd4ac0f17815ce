// The application object, the command line, and the application's message boxes.
#pragma once
#include "Wnd.h"

class CFileException;

// Receives the command line one argument at a time.
class CCommandLineInfo {
public:
    virtual ~CCommandLineInfo() = default;
    // param: the argument without a leading "/" or "-"; flag: whether it had one.
    virtual void ParseParam(const char *param, BOOL flag, BOOL last);
    char fileName[MAX_PATH] = {}; // the first argument without "/" or "-", if any
};

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp &) = delete; // the one application object
    CWinApp &operator=(const CWinApp &) = delete;

    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance() { return exitCode; }
    // True while nobody is there to answer a message (an unattended run):
    // the framework's own error messages are then not shown.
    virtual bool IsUnattended() const { return false; }

    void ParseCommandLine(CCommandLineInfo &info);
    // An application message box: the application title as caption, owned by
    // the main window when there is one, the exclamation icon unless the
    // caller names an icon.
    int MessageBox(const char *text, UINT type = MB_OK);
    // The executable's file name without its extension.
    const char *Title() const { return title; }
    void SetTitleFromModule();

    static CWinApp *Current() { return current; }
    // Runs the application object: the program's whole life.
    static int Run(HINSTANCE instance);

    CWnd *m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;

protected:
    int exitCode = 0;

private:
    static CWinApp *current;
    char title[MAX_PATH] = {};
};

// An application message box through the running application object; a
// plain one with the same icon rule when there is none.
int AppMessageBox(const char *text, UINT type = MB_OK);
// The standard file-error message, naming the file, with the stop icon.
void ReportFileError(const CFileException &error);
// The text of that message (kept apart so that it can be checked).
void FormatFileError(const CFileException &error, char *text, size_t size);
// The message for a failure that no handler expected, with the stop icon.
void ReportUnexpectedError();
extern const char UnexpectedErrorText[];
