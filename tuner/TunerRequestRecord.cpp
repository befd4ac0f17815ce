#include "TunerRequestRecord.h"
#include "ByteSource.h"
#include "Cp932.h"
#include <cstring>

namespace {
// How much of an unterminated name fits its buffer with a terminator: whole
// characters only, so a lead byte never stands alone at the end.
size_t WholeNameLength(const uint8_t *name) {
    size_t length = 0;
    while (true) {
        size_t step = IsCp932LeadByte(name[length]) ? 2 : 1;
        if (length + step > RequestNameSize - 1)
            return length;
        length += step;
    }
}

void PutUint32Le(uint8_t *at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = (uint8_t)(value >> (8 * i));
}
} // namespace

bool ParseTunerRequest(const uint8_t *record, size_t size, TunerAsk *ask) {
    ByteSource source = MakeByteSource(record, size);
    Skip(source, RequestLevelOffset);
    uint32_t level = GetUint32Le(source);
    ByteSpan name = GetBytes(source, RequestNameSize);
    Skip(source, TunerRequestSize - ProgramNameOffset - RequestNameSize);
    if (Failed(source))
        return false;
    // Another program may leave the name unterminated.
    const void *end = memchr(name.data, '\0', name.size);
    size_t length = end ? (size_t)((const uint8_t *)end - name.data) : WholeNameLength(name.data);
    ask->requestLevel = level;
    memcpy(ask->programName, name.data, length);
    ask->programName[length] = '\0';
    return true;
}

TunerDecision DecideTunerRequest(const TunerAsk &ask, const char *lastRequester) {
    if (ask.requestLevel == 0 || ask.requestLevel == 1)
        return TunerDecision::Refuse;
    return strcmp(ask.programName, lastRequester) == 0 ? TunerDecision::YieldAgain
                                                       : TunerDecision::YieldNew;
}

void WriteTunerAnswer(uint8_t *record, size_t size, TunerDecision decision, const char *replyName) {
    if (size < TunerRequestSize)
        return;
    if (decision != TunerDecision::Refuse) {
        PutUint32Le(record + AnswerOffset, 1);
        return;
    }
    PutUint32Le(record + AnswerOffset, 0);
    size_t length = strnlen(replyName, RequestNameSize - 1);
    memcpy(record + ReplyNameOffset, replyName, length);
    record[ReplyNameOffset + length] = '\0';
}
