// The folders that other software of the installation registers, read afresh
// on every call. Each reader fills a caller's 256-byte buffer and returns 1
// when the value was read, 0 otherwise (the buffer is then left untouched).
#pragma once
#include <windows.h>

#include "Limits.h"

// The ADAMS receiver's data folder (current user, "Adams-E").
int ReadAdamsFolder(char *folder);
// The channel utility's folder, which holds "ChTable.dat" ("Install Path").
int ReadChannelInstallPath(char *folder);
// The folder that receives decoded working files ("EPG Temp").
int ReadEpgTempFolder(char *folder);

// Reads a text value of an open key; the same rules as ReadRegistryText.
int ReadKeyText(HKEY key, const char *valueName, char *buffer, DWORD offeredSize);
// Reads a text value of at most offeredSize bytes into buffer. Returns 1 when
// the value exists, is not empty, and is terminated within offeredSize bytes;
// otherwise 0, and buffer is left untouched.
int ReadRegistryText(HKEY root, const char *keyPath, const char *valueName, char *buffer,
                     DWORD offeredSize);
