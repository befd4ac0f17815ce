// Feeds arbitrary bytes to the decoder: as a path to look up, as the body of
// every kind, and (scrambled first) as the zlib stream of a body, so that the
// mutations reach the inflate step instead of dying in the descrambler.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "DecodeBody.h"
#include "FileKind.h"
#include "ReceivedFileEncoder.h"

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

void FuzzLookup(const uint8_t *data, size_t size) {
    std::string path(reinterpret_cast<const char *>(data), size);
    std::string before = path;
    int32_t kind = LookupFileKind(&path[0]);
    Check(kind >= 0 && kind <= fileKindCount);
    // Only ASCII capitals change, and only into small letters.
    for (size_t i = 0; i < size; ++i) {
        if (path[i] != before[i])
            Check(before[i] >= 'A' && before[i] <= 'Z' && path[i] == before[i] + 32);
    }
}

// Decodes body (changed in place); content may point into body or output.
DecodeStatus DecodeAs(const FileKind &kind, std::vector<uint8_t> &body, DecodedContent *content,
                      std::vector<uint8_t> *output) {
    output->assign(DecodeBufferSize(kind, body.size()), 0);
    DecodeStatus status =
        DecodeBody(kind, body.data(), body.size(), output->data(), output->size(), content);
    if (status == DecodeStatus::Ok) {
        Check(content->size <= 10 * body.size());
        if (!kind.scrambled)
            Check(content->size == body.size());
    } else {
        Check(content->size == 0);
    }
    return status;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzLookup(data, size);
    std::vector<uint8_t> body;
    std::vector<uint8_t> output;
    DecodedContent content;
    for (int32_t k = 1; k <= fileKindCount; ++k) {
        const FileKind &kind = *GetFileKind(k);
        size_t bodySize = 0;
        DecodeStatus sized = GetBodySize(kind, size, &bodySize);
        Check(sized == DecodeStatus::Ok ? bodySize + HeaderLength(kind) == size
                                        : sized == DecodeStatus::ShortInput);
        body.assign(data, data + size);
        DecodeAs(kind, body, &content, &output);
        if (!kind.scrambled)
            Check(size == 0 || std::memcmp(content.data, data, size) == 0);
    }

    // The bytes as the zlib stream itself: must agree with bare zlib.
    body = encoder::Scramble(std::vector<uint8_t>(data, data + size));
    DecodeStatus status = DecodeAs(*GetFileKind(1), body, &content, &output);
    std::vector<uint8_t> reference(10 * size);
    uLongf produced = static_cast<uLongf>(reference.size());
    int zresult =
        size ? uncompress(reference.data(), &produced, data, static_cast<uLong>(size)) : Z_OK;
    Check((status == DecodeStatus::Ok) == (zresult == Z_OK));
    if (status == DecodeStatus::Ok && size)
        Check(content.size == produced &&
              std::memcmp(content.data, reference.data(), produced) == 0);
    return 0;
}
