#include "Cp932.h"

bool IsOnePathPart(const char *name) {
    if (!name[0])
        return false;
    for (const unsigned char *p = (const unsigned char *)name; *p; ++p) {
        if (IsCp932LeadByte(*p)) {
            if (!p[1])
                break; // a lone lead byte at the end is no separator
            ++p;
        } else if (*p == '\\' || *p == '/' || *p == ':') {
            return false;
        }
    }
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
