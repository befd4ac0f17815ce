#include "Registry.h"
#include "RegistryText.h"
#include <cstring>

namespace {
const char AdamsKey[] = "Software\\ﾉｰﾍﾞﾙ\\ADAMS\\adams-e\\";
const char ChannelKey[] = "Software\\Norvell\\TunerDesk\\Channel\\";
const char EpgKey[] = "Software\\NORVELL\\TunerDesk\\EPG";
} // namespace

int ReadRegistryText(HKEY root, const char *keyPath, const char *valueName, char *buffer,
                     DWORD offeredSize) {
    HKEY key;
    if (RegOpenKeyExA(root, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    int read = ReadKeyText(key, valueName, buffer, offeredSize);
    RegCloseKey(key);
    return read;
}

int ReadKeyText(HKEY key, const char *valueName, char *buffer, DWORD offeredSize) {
    BYTE data[RegistryTextLimit];
    if (offeredSize > RegistryTextLimit)
        offeredSize = RegistryTextLimit;
    DWORD size = offeredSize;
    if (RegQueryValueExA(key, valueName, nullptr, nullptr, data, &size) != ERROR_SUCCESS)
        return 0;
    return TakeRegistryText(data, size, offeredSize, buffer);
}

// Only a folder of its own is the ADAMS folder: a drive's root, a relative
// path or one with "." or ".." parts would let the start-up copy and its
// removal reach files that are not the receiver's (a root's Temp, the
// current folder's, a user's %TEMP% one level up).
int ReadAdamsFolder(char *folder) {
    char value[FolderBufferSize];
    if (ReadRegistryText(HKEY_CURRENT_USER, AdamsKey, "Adams-E", value, FolderBufferSize) != 1 ||
        !IsFolderPath(value))
        return 0;
    memcpy(folder, value, sizeof value);
    return 1;
}

int ReadChannelInstallPath(char *folder) {
    return ReadRegistryText(HKEY_LOCAL_MACHINE, ChannelKey, "Install Path", folder,
                            FolderBufferSize);
}

int ReadEpgTempFolder(char *folder) {
    return ReadRegistryText(HKEY_LOCAL_MACHINE, EpgKey, "EPG Temp", folder, FolderBufferSize);
}
