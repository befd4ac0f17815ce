// The application object: the program's start and end, around one modal run
// of the main dialog.
#pragma once
#include "App.h"

class CEpgCommandLineInfo : public CCommandLineInfo {
public:
    // Sets autoMode for the switch Auto (first letter in either case, then exactly "uto").
    void ParseParam(const char *param, BOOL flag, BOOL last) override;
};

class CEpgApp : public CWinApp {
public:
    HANDLE m_hRunningMutex = nullptr;

    BOOL InitInstance() override;
    int ExitInstance() override;
    // An automatic run, which the scheduler starts with nobody to answer a message.
    bool IsUnattended() const override;

    // Copies the files of the ADAMS folder into its "\Temp\" subfolder (the
    // start-up copy that vanished day files are restored from).
    void BackupAdamsFolder();
    // Empties and removes the start-up copy; what cannot be deleted stays.
    void RemoveAdamsBackup();

private:
    HANDLE OtherInstance();
};

// Name of the mutex that marks a running instance.
extern const char RunningMutexName[];
