#include "EpgApp.h"
#include "AcquireContext.h"
#include "ChannelTable.h"
#include "EpgMainDlg.h"
#include "File.h"
#include "FolderScan.h"
#include "Path.h"
#include "Registry.h"
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

int CEpgApp::ExitInstance() {
    // The handle stays open until the process ends: that is what keeps the name taken.
    if (m_hRunningMutex)
        ReleaseMutex(m_hRunningMutex);
    return CWinApp::ExitInstance();
}

namespace {
// The copies in Temp are the program's own. One that is read-only, as its
// original was, must neither keep a later start-up copy from replacing it
// (a copy that was not renewed would be restored over newer data) nor
// outlive the run.
void MakeWritable(const char *path) {
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
        !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
}
} // namespace

void CEpgApp::BackupAdamsFolder() {
    char folder[FolderBufferSize];
    if (ReadAdamsFolder(folder) != 1)
        return;
    char path[FolderBufferSize];
    if (JoinText(path, sizeof path, folder, "\\Temp\\"))
        CreateDirectoryA(path, nullptr); // may exist from an earlier run
    if (!JoinText(path, sizeof path, folder, "\\*.*"))
        return;

    ForEachEntry(path, [&](const WIN32_FIND_DATAA &entry) {
        // Folders fail to copy, so only the files directly in the folder reach the copy.
        char source[FolderBufferSize], target[FolderBufferSize];
        if (JoinText(source, sizeof source, folder, "\\", entry.cFileName) &&
            JoinText(target, sizeof target, folder, "\\Temp\\", entry.cFileName)) {
            MakeWritable(target);
            CopyFileA(source, target, FALSE);
        }
    });
}

void CEpgApp::RemoveAdamsBackup() {
    char folder[FolderBufferSize];
    if (ReadAdamsFolder(folder) != 1)
        return;
    char path[FolderBufferSize];
    if (!JoinText(path, sizeof path, folder, "\\Temp\\*.*"))
        return;

    bool found = ForEachEntry(path, [&](const WIN32_FIND_DATAA &entry) {
        // "." and ".." are spared, and with them names such as .abc whose base is empty or ".".
        char baseName[FolderBufferSize];
        CopyBaseName(entry.cFileName, baseName, sizeof baseName);
        if (baseName[0] == '\0' || strcmp(baseName, ".") == 0)
            return;
        char file[FolderBufferSize];
        if (!JoinText(file, sizeof file, folder, "\\Temp\\", entry.cFileName))
            return;
        MakeWritable(file);
        try {
            CFile::Remove(file);
        } catch (const CFileException &) {
            // In use or a folder: it stays, and so does the Temp folder.
        }
    });
    if (found && JoinText(path, sizeof path, folder, "\\Temp"))
        RemoveDirectoryA(path);
}
