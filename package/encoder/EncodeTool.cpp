// epgencode: makes a received file from a file of plain content.
// Usage: epgencode PLAIN-FILE RECEIVED-FILE; the kind comes from the
// received file's extension (ept, ep1, ep2, kct, ptt, tct, mtt).
#include "ReceivedEncoder.h"
#include <cstdio>
#include <fstream>
#include <iterator>

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: epgencode PLAIN-FILE RECEIVED-FILE\n");
        return 2;
    }
    ReceivedKind kind = KindOfFileName(argv[2]);
    if (kind == KindNone) {
        fprintf(stderr, "epgencode: %s has no extension of a received kind\n", argv[2]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        fprintf(stderr, "epgencode: cannot read %s\n", argv[1]);
        return 1;
    }
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string file;
    if (!EncodeReceivedFile(kind, content, file)) {
        fprintf(stderr, "epgencode: cannot encode %s\n", argv[1]);
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(file.data(), (std::streamsize)file.size());
    out.close();
    if (!out) {
        fprintf(stderr, "epgencode: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
