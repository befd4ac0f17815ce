// What a stand-in receives, written down for test authors: each call or
// message one line "PID TID TEXT", appended to the file named by the text
// value "Log" of the stand-in's own key under
// HKEY_CURRENT_USER\Software\PackageStandIns. Without that value nothing is
// written. Read at each line, so that a test switches it from outside.
#pragma once
#include <string>

// keyPath: the stand-in's key, relative to HKEY_CURRENT_USER.
void WriteLogLine(const char *keyPath, const char *format, ...)
    __attribute__((format(printf, 2, 3)));

// Text in double quotes, its bytes as they are (code page 932 included),
// except control bytes, written \xNN so that a line stays one line;
// nullptr gives (null).
std::string Quoted(const char *text);
// The same for a buffer that may lack its terminator within size bytes.
std::string Quoted(const char *text, size_t size);
