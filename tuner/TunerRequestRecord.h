// The record that comes with the tuner library's event 9, filled by another
// program that asks for the tuner and answered in place: plain C++ over the
// record's bytes, for the callback and the fuzz target.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr size_t TunerRequestSize = 524;
constexpr size_t RequestLevelOffset = 4;
constexpr size_t ProgramNameOffset = 8;
constexpr size_t ReplyNameOffset = 264;
constexpr size_t AnswerOffset = 520;
constexpr size_t RequestNameSize = 256; // the name fields, and the buffers they are read into

// What the asker says.
struct TunerAsk {
    uint32_t requestLevel; // 0 and 1: the asker does not insist
    // Up to its terminator within the field; a name that fills the field
    // without one is cut to 255 bytes between whole code page 932 characters.
    char programName[RequestNameSize];
};

// Reads the asker's level and name. False, and nothing taken, when the
// record is shorter than a request.
bool ParseTunerRequest(const uint8_t *record, size_t size, TunerAsk *ask);

enum class TunerDecision {
    Refuse,     // the asker does not insist: the tuner is kept
    YieldAgain, // granted to the program that was granted it last; nothing else to do
    YieldNew,   // granted to a new program: the tuner is handed over
};
// lastRequester: the name of the program whose request was taken last.
TunerDecision DecideTunerRequest(const TunerAsk &ask, const char *lastRequester);

// Writes the answer into a record of at least TunerRequestSize bytes: 1 to
// yield; 0 to refuse, with replyName (cut to 255 bytes) in the reply field.
// Nothing else of the record is changed.
void WriteTunerAnswer(uint8_t *record, size_t size, TunerDecision decision, const char *replyName);
