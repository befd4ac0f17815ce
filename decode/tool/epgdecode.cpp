// epgdecode: decodes one received file by its extension, or describes it.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "DecodeBody.h"
#include "FileKind.h"

namespace {

enum ExitCode { exitDecoded = 0, exitNoKind = 1, exitFailed = 2 };

const char usageText[] =
    "usage: epgdecode INPUT OUTPUT   decode the received file INPUT into OUTPUT\n"
    "       epgdecode --info INPUT   describe the received file INPUT\n"
    "       epgdecode --help         show this text\n"
    "\n"
    "The kind of INPUT is told by its extension (ept, ep1, ep2, kct, ptt, tct,\n"
    "mtt, in any letter case). OUTPUT is created or replaced, and only once\n"
    "INPUT has been decoded in full.\n"
    "Exit status: 0 decoded (or described), 1 the extension names no kind,\n"
    "2 the input cannot be read or decoded, the output cannot be written, or\n"
    "the command line is wrong.\n";

int Fail(int code, const char *file, const std::string &cause) {
    std::fprintf(stderr, "epgdecode: %s: %s\n", file, cause.c_str());
    return code;
}

// The kind named by a path's extension; the caller's text stays as it is so
// that it can still be opened where letter case matters.
const FileKind *KindOfPath(const char *path, int32_t *kindNumber) {
    std::string copy(path);
    *kindNumber = LookupFileKind(&copy[0]);
    return GetFileKind(*kindNumber);
}

bool ReadWholeFile(const char *path, std::vector<uint8_t> *bytes, std::string *cause) {
    std::FILE *file = std::fopen(path, "rb");
    if (!file) {
        *cause = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes->insert(bytes->end(), chunk, chunk + got);
    bool failed = std::ferror(file) != 0;
    int readError = errno;
    std::fclose(file);
    if (failed)
        *cause = std::string("cannot read: ") + std::strerror(readError);
    return !failed;
}

bool WriteWholeFile(const char *path, const DecodedContent &content, std::string *cause) {
    std::FILE *file = std::fopen(path, "wb");
    if (!file) {
        *cause = std::string("cannot create: ") + std::strerror(errno);
        return false;
    }
    bool written =
        content.size == 0 || std::fwrite(content.data, 1, content.size, file) == content.size;
    int writeError = errno;
    if (std::fclose(file) != 0 && written) {
        written = false;
        writeError = errno;
    }
    if (!written) {
        *cause = std::string("cannot write: ") + std::strerror(writeError);
        std::remove(path);
    }
    return written;
}

// A decoded input: its kind, body and content (which may point into body).
struct Decoded {
    int32_t kindNumber = 0;
    const FileKind *kind = nullptr;
    std::vector<uint8_t> file;
    std::vector<uint8_t> inflated;
    size_t bodySize = 0;
    DecodedContent content{nullptr, 0};
};

// Reads and decodes an input; on failure prints the cause and returns the exit code.
int DecodeInput(const char *input, Decoded *decoded) {
    decoded->kind = KindOfPath(input, &decoded->kindNumber);
    if (!decoded->kind)
        return Fail(exitNoKind, input, DecodeStatusText(DecodeStatus::UnknownKind));
    std::string cause;
    if (!ReadWholeFile(input, &decoded->file, &cause))
        return Fail(exitFailed, input, cause);

    const FileKind &kind = *decoded->kind;
    DecodeStatus status = GetBodySize(kind, decoded->file.size(), &decoded->bodySize);
    if (status == DecodeStatus::ShortInput)
        return Fail(exitFailed, input,
                    "the file is " + std::to_string(decoded->file.size()) +
                        " bytes long, shorter than its " + std::to_string(HeaderLength(kind)) +
                        "-byte header");
    if (status == DecodeStatus::Ok) {
        try {
            decoded->inflated.resize(DecodeBufferSize(kind, decoded->bodySize));
        } catch (const std::bad_alloc &) {
            return Fail(exitFailed, input, DecodeStatusText(DecodeStatus::NoMemory));
        }
        status = DecodeBody(kind, decoded->file.data() + HeaderLength(kind), decoded->bodySize,
                            decoded->inflated.data(), decoded->inflated.size(), &decoded->content);
    }
    if (status != DecodeStatus::Ok)
        return Fail(exitFailed, input, DecodeStatusText(status));
    return exitDecoded;
}

int Describe(const char *input) {
    Decoded decoded;
    int code = DecodeInput(input, &decoded);
    if (code != exitDecoded)
        return code;
    const FileKind &kind = *decoded.kind;
    std::printf("kind: %d\n", static_cast<int>(decoded.kindNumber));
    std::printf("received extension: %s\n", kind.receivedExt);
    std::printf("decoded extension: %s\n", kind.decodedExt);
    std::printf("header length: %d\n", static_cast<int>(HeaderLength(kind)));
    std::printf("body size: %llu\n", static_cast<unsigned long long>(decoded.bodySize));
    std::printf("decoded size: %llu\n", static_cast<unsigned long long>(decoded.content.size));
    return exitDecoded;
}

int Decode(const char *input, const char *output) {
    Decoded decoded;
    int code = DecodeInput(input, &decoded);
    if (code != exitDecoded)
        return code;
    std::string cause;
    if (!WriteWholeFile(output, decoded.content, &cause))
        return Fail(exitFailed, output, cause);
    return exitDecoded;
}

int Usage(std::FILE *to, int code) {
    std::fputs(usageText, to);
    return code;
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0)
        return Usage(stdout, exitDecoded);
    if (argc == 3 && std::strcmp(argv[1], "--info") == 0)
        return Describe(argv[2]);
    if (argc == 3 && argv[1][0] != '-')
        return Decode(argv[1], argv[2]);
    return Usage(stderr, exitFailed);
}
