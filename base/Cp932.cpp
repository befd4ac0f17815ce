#include "Cp932.h"

bool IsOnePathPart(const char *name) {
    if (!name[0])
        return false;
    for (const char *p = name; *p; p += Cp932CharSize(p))
        if (*p == '\\' || *p == '/' || *p == ':') // never a trail byte: the walk passes those
            return false;
    return true;
}

std::string LowerCp932(std::string text) {
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = (unsigned char)text[i];
        if (IsCp932LeadByte(c))
            ++i;
        else if (c >= 'A' && c <= 'Z')
            text[i] = (char)(c - 'A' + 'a');
    }
    return text;
}

size_t WholeCharacters(const char *text, size_t length, size_t limit) {
    size_t kept = 0;
    while (kept < length) {
        size_t step = IsCp932LeadByte((unsigned char)text[kept]) ? 2 : 1;
        if (kept + step > limit || kept + step > length)
            break;
        kept += step;
    }
    return kept;
}
