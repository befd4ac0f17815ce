#include "CopyList.h"
#include "Cp932.h"
#include <cstdlib>

const char CopyListName[] = "Pelmar-copies.lst";

std::string ListLines(const std::vector<ListedFile> &files) {
    std::string lines;
    for (const ListedFile &file : files) {
        lines += file.name;
        if (file.stamped)
            lines += "\t" + std::to_string(file.size) + "\t" + std::to_string(file.written);
        lines += "\r\n";
    }
    return lines;
}

void ListedNames::AddFromText(const std::string &text) {
    for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        std::string line = text.substr(start, end - start);
        size_t tab = line.find('\t'); // no file name holds a tab
        ListedFile file = {line.substr(0, tab), tab != std::string::npos, 0, 0};
        if (file.name.empty())
            continue;
        if (file.stamped) {
            const char *stamp = line.c_str() + tab + 1;
            char *next = nullptr;
            file.size = std::strtoull(stamp, &next, 10);
            file.written = *next == '\t' ? std::strtoull(next + 1, nullptr, 10) : 0;
        }
        files[LowerCp932(file.name)] = file;
    }
}

bool ListedNames::Holds(const char *name, uint64_t size, uint64_t written) const {
    auto found = files.find(LowerCp932(name));
    return found != files.end() && (!found->second.stamped || (found->second.size == size &&
                                                               found->second.written == written));
}

bool ListedNames::Names(const char *name) const {
    return files.count(LowerCp932(name)) != 0;
}
