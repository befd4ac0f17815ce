#include "Path.h"
#include <windows.h>
#include <cstring>
#include <initializer_list>

const char *FindFileName(const char *path) {
    const char *name = path;
    for (const char *p = path; *p; p = CharNextExA(932, p, 0)) {
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    }
    return name;
}

void CopyBaseName(const char *path, char *baseName, size_t size) {
    const char *name = FindFileName(path);
    const char *dot = nullptr;
    for (const char *p = name; *p; p = CharNextExA(932, p, 0)) {
        if (*p == '.')
            dot = p;
    }
    size_t length = dot ? (size_t)(dot - name) : strlen(name);
    if (size == 0)
        return;
    if (length >= size)
        length = size - 1;
    memcpy(baseName, name, length);
    baseName[length] = '\0';
}

bool JoinText(char *buffer, size_t size, const char *first, const char *second, const char *third) {
    if (size == 0)
        return false;
    buffer[0] = '\0';
    size_t used = 0;
    for (const char *part : {first, second, third}) {
        if (!part)
            continue;
        size_t length = strlen(part);
        if (used + length >= size) {
            memcpy(buffer + used, part, size - 1 - used);
            buffer[size - 1] = '\0';
            return false;
        }
        memcpy(buffer + used, part, length + 1);
        used += length;
    }
    return true;
}
