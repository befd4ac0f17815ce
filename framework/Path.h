// Path helpers that walk code page 932 text character by character, so that
// the second byte of a double-byte character (it may be 0x5C) is never taken
// for a "\".
#pragma once
#include <cstddef>

// The file name part of a path: what follows its last "\" or "/".
const char *FindFileName(const char *path);
// The file name of a path without its extension, copied into a bounded buffer.
void CopyBaseName(const char *path, char *baseName, size_t size);
// Copies first and then each further part into buffer, never past size bytes.
// Returns false (buffer cut and terminated) when the whole did not fit.
bool JoinText(char *buffer, size_t size, const char *first, const char *second,
              const char *third = nullptr);
