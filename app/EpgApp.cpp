#include "EpgApp.h"
#include "AcquireContext.h"
#include "ChannelTable.h"
#include "EpgMainDlg.h"
#include <cctype>
#include <cstring>

const char RunningMutexName[] = "PELMAR_RUNNING";

namespace {
const char AlreadyRunningMessage[] = "既に起動されています。";
const char NoChannelMessage[] = "チャンネル情報がありません。チャンネル設定プログラムを実行して\n"
                                "チャンネル設定をしてから実行してください。";
} // namespace

void CEpgCommandLineInfo::ParseParam(const char *param, BOOL flag, BOOL last) {
    CCommandLineInfo::ParseParam(param, flag, last);
    if (toupper((unsigned char)param[0]) != 'A')
        return;
    if (strcmp(param + 1, "uto") == 0)
        acquire.autoMode = 1;
}

// Returns another instance's handle of the mutex, or null when this instance
// is the only one (it then holds the mutex in m_hRunningMutex). A mutex that
// already exists when this instance creates it means that two instances
// started at the same moment: the later one counts as the second.
HANDLE CEpgApp::OtherInstance() {
    HANDLE other = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, RunningMutexName);
    if (other)
        return other;
    HANDLE created = CreateMutexA(nullptr, FALSE, RunningMutexName);
    if (created && GetLastError() == ERROR_ALREADY_EXISTS)
        return created;
    m_hRunningMutex = created;
    return nullptr;
}

BOOL CEpgApp::InitInstance() {
    CEpgCommandLineInfo commandLine;
    ParseCommandLine(commandLine);

    if (HANDLE other = OtherInstance()) {
        // The handle is kept while the message is on screen: until it is
        // closed the name stays taken, even if the first instance ends.
        if (!acquire.autoMode)
            MessageBox(AlreadyRunningMessage);
        CloseHandle(other);
        return FALSE;
    }
    if (CheckChannelTable(&acquire.adamsChannel) != ChannelFound) {
        // Also in an automatic run: only this tells an unattended user why nothing is received.
        MessageBox(NoChannelMessage, MB_OK);
        return FALSE;
    }

    BackupAdamsFolder();
    {
        CEpgMainDlg dialog(nullptr);
        m_pMainWnd = &dialog;
        dialog.DoModal();
        RemoveAdamsBackup();
        m_pMainWnd = nullptr;
    }
    return FALSE;
}

bool CEpgApp::IsUnattended() const {
    return acquire.autoMode != 0;
}

int CEpgApp::ExitInstance() {
    // The handle stays open until the process ends: that is what keeps the name taken.
    if (m_hRunningMutex)
        ReleaseMutex(m_hRunningMutex);
    return CWinApp::ExitInstance();
}
