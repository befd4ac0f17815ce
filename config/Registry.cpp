#include "Registry.h"
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
    char data[FolderBufferSize + 1] = {};
    if (offeredSize > FolderBufferSize)
        offeredSize = FolderBufferSize;
    DWORD size = offeredSize;
    LONG result = RegQueryValueExA(key, valueName, nullptr, nullptr, (BYTE *)data, &size);
    if (result != ERROR_SUCCESS || size == 0 || size > offeredSize)
        return 0;
    // A value that fills the whole buffer without a terminator would be cut:
    // it is not taken. An empty value names no folder at all.
    if (size == offeredSize && data[size - 1] != '\0')
        return 0;
    if (data[0] == '\0')
        return 0;
    memcpy(buffer, data, size);
    if (size < offeredSize)
        buffer[size] = '\0';
    return 1;
}

int ReadAdamsFolder(char *folder) {
    return ReadRegistryText(HKEY_CURRENT_USER, AdamsKey, "Adams-E", folder, FolderBufferSize);
}

int ReadChannelInstallPath(char *folder) {
    return ReadRegistryText(HKEY_LOCAL_MACHINE, ChannelKey, "Install Path", folder,
                            FolderBufferSize);
}

int ReadEpgTempFolder(char *folder) {
    return ReadRegistryText(HKEY_LOCAL_MACHINE, EpgKey, "EPG Temp", folder, FolderBufferSize);
}
