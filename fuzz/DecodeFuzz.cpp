// Feeds arbitrary bytes to the decoder: as a path to look up, as the body of
// every kind, (scrambled first) as the zlib stream of a body, so that the
// mutations reach the inflate step instead of dying in the descrambler, and
// as the content of a file that the package's encoder makes. The kinds, their
// extensions, headers and scrambling are the encoder's, not the decoder's.
#include "Cp932Model.h"
#include "DecodeBody.h"
#include "FileKind.h"
#include "FuzzCheck.h"
#include "ReceivedEncoder.h"
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>
#include <zlib.h>

namespace {

// The look-up as a model: the text (up to its terminator) walked one
// character at a time, a lead byte taking the byte after it; single-byte
// capitals lower-cased; the extension after the last dot of the last path
// part names the kind, by the encoder's list.
int32_t ModelLookup(std::string &path) {
    size_t end = std::strlen(path.c_str());
    size_t dot = std::string::npos, separator = std::string::npos;
    for (size_t at = 0; at < end;) {
        if (cp932::IsLead((uint8_t)path[at]) && at + 1 < end) {
            at += 2;
            continue;
        }
        char &c = path[at];
        if (c >= 'A' && c <= 'Z')
            c = (char)(c + ('a' - 'A'));
        if (c == '.')
            dot = at;
        if (c == '\\' || c == '/')
            separator = at;
        ++at;
    }
    if (dot == std::string::npos || (separator != std::string::npos && separator > dot))
        return 0;
    return KindFromExtension(path.substr(dot + 1, end - dot - 1));
}

void CheckLookup(const uint8_t *data, size_t size) {
    std::string path(reinterpret_cast<const char *>(data), size);
    std::string expected = path;
    int32_t expectedKind = ModelLookup(expected);
    Check(LookupFileKind(&path[0]) == expectedKind, "a path names the kind of its extension");
    Check(path == expected, "only single-byte capitals are lower-cased");
}

// Decodes body (changed in place); content may point into body or output.
DecodeStatus DecodeAs(const FileKind &kind, std::vector<uint8_t> &body, DecodedContent *content,
                      std::vector<uint8_t> *output) {
    output->assign(DecodeBufferSize(kind, body.size()), 0);
    DecodeStatus status =
        DecodeBody(kind, body.data(), body.size(), output->data(), output->size(), content);
    if (status == DecodeStatus::Ok)
        Check(content->size <= 10 * body.size(), "content is at most ten times its body");
    else
        Check(content->size == 0, "a body that does not decode gives no content");
    return status;
}

void CheckBodies(const uint8_t *data, size_t size) {
    std::vector<uint8_t> body, output;
    DecodedContent content;
    for (int32_t k = 1; k <= fileKindCount; ++k) {
        const FileKind &kind = *GetFileKind(k);
        size_t header = ReceivedHeaderSize((ReceivedKind)k), bodySize = 0;
        DecodeStatus sized = GetBodySize(kind, size, &bodySize);
        Check(size >= header ? sized == DecodeStatus::Ok && bodySize == size - header
                             : sized == DecodeStatus::ShortInput,
              "a file has the body after its kind's header, or is short");
        body.assign(data, data + size);
        DecodeStatus status = DecodeAs(kind, body, &content, &output);
        if (!IsScrambledKind((ReceivedKind)k))
            Check(status == DecodeStatus::Ok && content.size == size &&
                      (size == 0 || std::memcmp(content.data, data, size) == 0),
                  "a plain kind's content is its body");
    }
}

// The bytes as the zlib stream itself: must agree with bare zlib.
void CheckStream(const uint8_t *data, size_t size) {
    std::vector<uint8_t> body(data, data + size), output;
    for (size_t at = 0; at < size; at += ScrambleBlockSize)
        ScrambleBlock(body.data() + at, std::min(ScrambleBlockSize, size - at));
    DecodedContent content;
    DecodeStatus status = DecodeAs(*GetFileKind(KindEpt), body, &content, &output);
    std::vector<uint8_t> reference(10 * size);
    uLongf produced = static_cast<uLongf>(reference.size());
    int zresult =
        size ? uncompress(reference.data(), &produced, data, static_cast<uLong>(size)) : Z_OK;
    Check((status == DecodeStatus::Ok) == (zresult == Z_OK), "a stream decodes when zlib's does");
    if (status == DecodeStatus::Ok && size)
        Check(content.size == produced &&
                  std::memcmp(content.data, reference.data(), produced) == 0,
              "a stream decodes to what zlib's does");
}

// The bytes as content: a file the encoder makes of them decodes back, for
// a kind that the input's length picks.
void CheckEncoded(const uint8_t *data, size_t size) {
    ReceivedKind kind = (ReceivedKind)(1 + size % fileKindCount);
    std::string file;
    Check(EncodeReceivedFile(kind, std::string(data, data + size), file), "the encoder takes it");
    const FileKind &row = *GetFileKind(kind);
    Check(KindFromExtension(row.receivedExt) == kind, "a kind has the encoder's extension");
    size_t bodySize = 0;
    Check(GetBodySize(row, file.size(), &bodySize) == DecodeStatus::Ok,
          "an encoded file holds its header");
    std::vector<uint8_t> body(file.end() - bodySize, file.end()), output;
    DecodedContent content;
    Check(DecodeAs(row, body, &content, &output) == DecodeStatus::Ok && content.size == size &&
              (size == 0 || std::memcmp(content.data, data, size) == 0),
          "an encoded file decodes to its content");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    CheckLookup(data, size);
    CheckBodies(data, size);
    CheckStream(data, size);
    CheckEncoded(data, size);
    return 0;
}
