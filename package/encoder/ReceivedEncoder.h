// Makes received files from plain content, as the ADAMS broadcast delivers
// them: a header of the kind's length, then for most kinds the content
// compressed with zlib and scrambled in blocks of 256 bytes. Plain C++ and
// zlib only, so that tools and tests can use it anywhere.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Kinds of received file, numbered in the receiver's order.
enum ReceivedKind {
    KindNone = 0,
    KindEpt = 1, // a station's programme schedule of one day
    KindEp1 = 2, // a station's day file that carries the station name
    KindEp2 = 3, // a station's programme messages of one day
    KindKct = 4,
    KindPtt = 5,
    KindTct = 6, // broadcast schedule, kept plain
    KindMtt = 7, // kept plain
};

constexpr size_t ScrambleBlockSize = 256;

// The kind named by a three-letter extension ("ep1", "EP1"...), or KindNone.
ReceivedKind KindFromExtension(const std::string &extension);
// The kind of a file name by its last extension, or KindNone.
ReceivedKind KindOfFileName(const std::string &fileName);
// Header length of the kind: 58 for the day files, 32 for the others, 0 for none.
size_t ReceivedHeaderSize(ReceivedKind kind);
// Whether the kind's body is compressed and scrambled (kinds 1 to 5).
bool IsScrambledKind(ReceivedKind kind);

// Scrambles one block in place; the register starts afresh with every call.
void ScrambleBlock(uint8_t *data, size_t length);
// Scrambles a whole body in place, block by block of ScrambleBlockSize bytes.
void ScrambleBody(uint8_t *data, size_t length);
// Compresses content into a zlib stream at a zlib level (0 stores it, 9 is
// the best, -1 zlib's default). False when zlib fails.
bool CompressContent(const std::string &content, int level, std::string &stream);

// Builds a whole received file of this kind from plain content. Returns false
// (and leaves file alone) for an unknown kind or when compression fails.
bool EncodeReceivedFile(ReceivedKind kind, const std::string &content, std::string &file);

// The plain content of the day file that names its station (".ep1"): eleven
// bytes of its own (in the receiver's files the prefix, the date and the
// year), the name's length in one byte, the name (at most 255 bytes), then
// the programmes.
std::string NamingDayContent(const std::string &stationName, const std::string &programmes,
                             const std::string &lead = std::string(11, 'h'));
