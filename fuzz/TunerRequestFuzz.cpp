// Feeds arbitrary bytes to the tuner request's reader as the record that
// another program filled (the first 524 bytes; the text that follows is the
// name of the program granted the tuner last, and the reply of a refusal),
// decides, answers, and checks each step against a model of the record.
#include "Cp932Model.h"
#include "FuzzCheck.h"
#include "TunerRequestRecord.h"
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

// The record's fields: level at 4, the asker's name at 8, the reply at 264,
// the answer at 520; 256 bytes for each name.
constexpr size_t RecordBytes = 524, LevelAt = 4, NameAt = 8, ReplyAt = 264, AnswerAt = 520;
constexpr size_t NameBytes = 256;

uint32_t WordAt(const uint8_t *at) {
    return (uint32_t)at[0] | (uint32_t)at[1] << 8 | (uint32_t)at[2] << 16 | (uint32_t)at[3] << 24;
}

// The asker's name: its field up to the terminator; a field without one
// gives the whole characters that fit 255 bytes.
std::string ModelName(const uint8_t *field) {
    const char *text = reinterpret_cast<const char *>(field);
    if (std::memchr(field, '\0', NameBytes))
        return text;
    size_t at = 0;
    while (at + (cp932::IsLead(field[at]) ? 2 : 1) <= NameBytes - 1)
        at += cp932::IsLead(field[at]) ? 2 : 1;
    return std::string(text, at);
}

void CheckAnswer(const uint8_t *record, TunerDecision decision, const std::string &reply) {
    uint8_t answered[RecordBytes];
    std::memcpy(answered, record, sizeof answered);
    WriteTunerAnswer(answered, sizeof answered, decision, reply.c_str());
    bool refused = decision == TunerDecision::Refuse;
    Check(WordAt(answered + AnswerAt) == (refused ? 0u : 1u), "the answer is 0 or 1");
    // What the record should hold: a refusal's reply cut to 255 bytes and
    // terminated in its field; nothing else changed but the answer.
    uint8_t expected[RecordBytes];
    std::memcpy(expected, record, sizeof expected);
    if (refused) {
        std::string cut = reply.substr(0, NameBytes - 1);
        std::memcpy(expected + ReplyAt, cut.c_str(), cut.size() + 1);
    }
    Check(std::memcmp(answered, expected, AnswerAt) == 0,
          "only the reply, as far as it goes, and the answer are written");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    TunerAsk ask;
    std::memset(&ask, 0x5A, sizeof ask);
    if (size < RecordBytes) {
        TunerAsk untouched = ask;
        Check(!ParseTunerRequest(data, size, &ask) &&
                  std::memcmp(&ask, &untouched, sizeof ask) == 0,
              "a record cut short is not taken");
        return 0;
    }
    Check(ParseTunerRequest(data, size, &ask), "a whole record is taken");
    Check(ask.requestLevel == WordAt(data + LevelAt), "the level is the word at 4");
    Check(std::memchr(ask.programName, '\0', sizeof ask.programName) != nullptr,
          "the name is terminated within its buffer");
    std::string name = ModelName(data + NameAt);
    Check(ask.programName == name, "the name is its field's text, cut to whole characters");

    // The text after the record: the last asker's name, as far as it fits
    // its buffer, and a reply of any length.
    std::string tail(reinterpret_cast<const char *>(data + RecordBytes), size - RecordBytes);
    tail = tail.substr(0, tail.find('\0'));
    std::string last = tail.substr(0, NameBytes - 1);
    TunerDecision decision = DecideTunerRequest(ask, last.c_str());
    TunerDecision expected = WordAt(data + LevelAt) <= 1 ? TunerDecision::Refuse
                             : name == last              ? TunerDecision::YieldAgain
                                                         : TunerDecision::YieldNew;
    Check(decision == expected, "an asker that does not insist is refused; one that insists is "
                                "granted, and is new unless it was granted last");
    CheckAnswer(data, decision, tail);
    return 0;
}
