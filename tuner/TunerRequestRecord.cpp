#include "TunerRequestRecord.h"
#include "ByteSink.h"
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
    ByteSink answer = MakeByteSink(record, size);
    Skip(answer, ReplyNameOffset);
    if (decision == TunerDecision::Refuse) {
        size_t length = strnlen(replyName, RequestNameSize - 1);
        PutBytes(answer, replyName, length);
        PutByte(answer, 0);
    }
    Skip(answer, AnswerOffset - answer.position); // the rest of the reply field as it was
    PutUint32Le(answer, decision == TunerDecision::Refuse ? 0 : 1);
}
