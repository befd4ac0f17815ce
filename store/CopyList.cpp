#include "CopyList.h"
#include "Cp932.h"

const char CopyListName[] = "Pelmar-copies.lst";

void ListedNames::AddFromText(const std::string &text) {
    for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
         start = end + 2)
        if (end > start)
            Add(text.substr(start, end - start));
}

void ListedNames::Add(const std::string &name) {
    names.insert(LowerCp932(name));
}

bool ListedNames::Holds(const char *name) const {
    return names.count(LowerCp932(name)) != 0;
}
