// What a registry query gave for a folder value, taken as text: plain C++,
// for the registry readers and the fuzz target.
#pragma once
#include <cstddef>
#include <cstdint>

// The largest size a reader offers: its buffer.
constexpr size_t RegistryTextLimit = 256;

// data and size: the value's bytes as the query delivered them, with
// offeredSize bytes offered (at most RegistryTextLimit count). Returns 1 and
// copies the value into buffer, terminated within offeredSize bytes, when it
// is a folder: not empty, and either shorter than offeredSize or ending with
// its terminator there. Otherwise 0, and buffer is left untouched. The
// value's type is not looked at.
int TakeRegistryText(const uint8_t *data, size_t size, size_t offeredSize, char *buffer);

// True when text names a folder by an absolute path below a root: a drive
// ("C:\" or "C:/") or a share ("\\server\share") followed by at least one
// folder name, with no part that is "." or "..", and no part holding a
// character that no folder name holds (":" "*" "?" """ "<" ">" "|" or a
// control character). A drive's or a share's root, a relative path ("ADAMS",
// "C:ADAMS", "\ADAMS") and an empty text are no folder of their own. Walked
// as code page 932: a trail byte 0x5C is no separator.
bool IsFolderPath(const char *text);
