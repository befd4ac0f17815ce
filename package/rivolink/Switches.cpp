#include "Switches.h"

DWORD ReadSwitch(const char *name, DWORD fallback) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, RivolinkKeyPath, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return fallback;
    DWORD value = 0, size = sizeof value, type = 0;
    LONG read =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(&value), &size);
    RegCloseKey(key);
    return read == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value ? value : fallback;
}
