// Feeds arbitrary bytes to the tuner request's reader as the record that
// another program filled (the first 524 bytes; what follows is the name of
// the program granted the tuner last), decides, answers, and checks that
// the answer changes only its own fields.
#include "FileKind.h"
#include "FuzzCheck.h"
#include "TunerRequestRecord.h"
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

uint32_t WordAt(const uint8_t *at) {
    return (uint32_t)at[0] | (uint32_t)at[1] << 8 | (uint32_t)at[2] << 16 | (uint32_t)at[3] << 24;
}

// A name that filled its field: cut to whole characters, as long as they fit.
void CheckCutName(const uint8_t *field, const char *name) {
    size_t length = std::strlen(name), at = 0;
    Check(length <= RequestNameSize - 1 && std::memcmp(name, field, length) == 0,
          "a cut name is the start of its field");
    while (at < length)
        at += IsCp932LeadByte(field[at]) ? 2 : 1;
    Check(at == length, "a cut name ends between characters");
    Check(length + (IsCp932LeadByte(field[length]) ? 2 : 1) > RequestNameSize - 1,
          "a cut name keeps every character that fits");
}

void CheckAsk(const uint8_t *record, const TunerAsk &ask) {
    Check(ask.requestLevel == WordAt(record + RequestLevelOffset), "the level is the word at 4");
    Check(std::memchr(ask.programName, '\0', sizeof ask.programName) != nullptr,
          "the name is terminated within its buffer");
    const uint8_t *field = record + ProgramNameOffset;
    if (std::memchr(field, '\0', RequestNameSize))
        Check(std::strcmp(ask.programName, reinterpret_cast<const char *>(field)) == 0,
              "a terminated name is read whole");
    else
        CheckCutName(field, ask.programName);
}

void CheckAnswer(const uint8_t *record, TunerDecision decision, const char *reply) {
    uint8_t answered[TunerRequestSize];
    std::memcpy(answered, record, sizeof answered);
    WriteTunerAnswer(answered, sizeof answered, decision, reply);
    bool refused = decision == TunerDecision::Refuse;
    Check(WordAt(answered + AnswerOffset) == (refused ? 0u : 1u), "the answer is 0 or 1");
    Check(std::memcmp(answered, record, ReplyNameOffset) == 0,
          "the asker's fields are left as they were");
    size_t length = refused ? strnlen(reply, RequestNameSize - 1) : 0;
    if (refused)
        Check(std::memcmp(answered + ReplyNameOffset, reply, length) == 0 &&
                  answered[ReplyNameOffset + length] == 0,
              "a refusal's reply is the name given, terminated within its field");
    size_t untouched = refused ? length + 1 : 0;
    Check(std::memcmp(answered + ReplyNameOffset + untouched, record + ReplyNameOffset + untouched,
                      RequestNameSize - untouched) == 0,
          "the reply field is written only as far as the reply");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    TunerAsk ask;
    std::memset(&ask, 0x5A, sizeof ask);
    if (size < TunerRequestSize) {
        TunerAsk untouched = ask;
        Check(!ParseTunerRequest(data, size, &ask) &&
                  std::memcmp(&ask, &untouched, sizeof ask) == 0,
              "a record cut short is not taken");
        return 0;
    }
    Check(ParseTunerRequest(data, size, &ask), "a whole record is taken");
    CheckAsk(data, ask);

    std::string last(reinterpret_cast<const char *>(data + TunerRequestSize),
                     std::min<size_t>(size - TunerRequestSize, RequestNameSize - 1));
    TunerDecision decision = DecideTunerRequest(ask, last.c_str());
    if (ask.requestLevel <= 1)
        Check(decision == TunerDecision::Refuse, "an asker that does not insist is refused");
    else
        Check(decision == (std::strcmp(ask.programName, last.c_str()) == 0
                               ? TunerDecision::YieldAgain
                               : TunerDecision::YieldNew),
              "an insisting asker is granted, and is new unless it was the last one");
    // The reply is the asker's own name here: any text of up to 255 bytes.
    CheckAnswer(data, decision, ask.programName);

    // The request written again from what was read, and read back.
    uint8_t rewritten[TunerRequestSize] = {};
    for (int b = 0; b < 4; ++b)
        rewritten[RequestLevelOffset + b] = (uint8_t)(ask.requestLevel >> (8 * b));
    std::memcpy(rewritten + ProgramNameOffset, ask.programName, std::strlen(ask.programName));
    TunerAsk again;
    Check(ParseTunerRequest(rewritten, sizeof rewritten, &again) &&
              again.requestLevel == ask.requestLevel &&
              std::strcmp(again.programName, ask.programName) == 0,
          "a request written from what was read reads back the same");
    return 0;
}
