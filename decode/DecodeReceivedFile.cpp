#include "DecodeReceivedFile.h"

#include <File.h>

namespace {

// A work buffer in whole pages, locked into physical memory while it lives.
class PageBuffer {
public:
    explicit PageBuffer(size_t size) {
        if (size == 0)
            return;
        data = static_cast<uint8_t *>(
            VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (data)
            locked = VirtualLock(data, size) != FALSE; // best effort: the quota may be small
        this->size = size;
    }
    ~PageBuffer() {
        if (!data)
            return;
        if (locked)
            VirtualUnlock(data, size);
        VirtualFree(data, 0, MEM_RELEASE);
    }
    PageBuffer(const PageBuffer &) = delete;
    PageBuffer &operator=(const PageBuffer &) = delete;

    bool Failed() const { return size != 0 && !data; }
    uint8_t *data = nullptr;

private:
    size_t size = 0;
    bool locked = false;
};

// Reads exactly count bytes; false when the file ends first.
bool ReadAll(CFile &file, uint8_t *buffer, size_t count) {
    while (count > 0) {
        UINT chunk = count > 0x40000000 ? 0x40000000 : static_cast<UINT>(count);
        UINT done = file.Read(buffer, chunk);
        if (done == 0)
            return false;
        buffer += done;
        count -= done;
    }
    return true;
}

void WriteAll(CFile &file, const uint8_t *data, size_t count) {
    while (count > 0) {
        UINT chunk = count > 0x40000000 ? 0x40000000 : static_cast<UINT>(count);
        file.Write(data, chunk);
        data += chunk;
        count -= chunk;
    }
}

// Reads the body after the header and decodes it into output.
DecodeStatus DecodeOpenFiles(const FileKind &kind, CFile &input, CFile &output) {
    size_t bodySize = 0;
    DecodeStatus status = GetBodySize(kind, input.GetLength(), &bodySize);
    if (status != DecodeStatus::Ok)
        return status;

    PageBuffer body(bodySize);
    PageBuffer inflated(DecodeBufferSize(kind, bodySize));
    if (body.Failed() || inflated.Failed())
        return DecodeStatus::NoMemory;

    input.Seek(HeaderLength(kind), CFile::begin);
    if (!ReadAll(input, body.data, bodySize))
        return DecodeStatus::ShortInput; // the file ended before its length said

    DecodedContent content;
    status = DecodeBody(kind, body.data, bodySize, inflated.data, DecodeBufferSize(kind, bodySize),
                        &content);
    if (status == DecodeStatus::Ok)
        WriteAll(output, content.data, content.size);
    return status;
}

// Removes an output file that this call created, once it is closed.
void DiscardOutput(CFile &output, const char *outputPath) {
    try {
        output.Close();
    } catch (const CFileException &) {
    }
    DeleteFileA(outputPath);
}

} // namespace

DecodeStatus DecodeReceivedFileStatus(char *inputPath, const char *outputPath) {
    // The look-up lower-cases inputPath, which is then opened: Windows names ignore letter case.
    const FileKind *kind = GetFileKind(LookupFileKind(inputPath));
    if (!kind)
        return DecodeStatus::UnknownKind;

    // Compatibility share mode: nobody else may touch either file meanwhile.
    CFile input(inputPath, CFile::modeRead | CFile::shareCompat | CFile::typeBinary);
    CFile output(outputPath,
                 CFile::modeCreate | CFile::modeWrite | CFile::shareCompat | CFile::typeBinary);
    DecodeStatus status = DecodeStatus::Ok;
    try {
        status = DecodeOpenFiles(*kind, input, output);
        if (status == DecodeStatus::Ok)
            output.Close();
    } catch (const CFileException &) {
        DiscardOutput(output, outputPath);
        throw;
    }
    // Content that could not be decoded leaves no output for a caller to take as decoded.
    if (status != DecodeStatus::Ok)
        DiscardOutput(output, outputPath);
    return status;
}

int32_t DecodeReceivedFile(char *inputPath, const char *outputPath) {
    return DecodeReceivedFileStatus(inputPath, outputPath) == DecodeStatus::Ok ? 1 : 0;
}
