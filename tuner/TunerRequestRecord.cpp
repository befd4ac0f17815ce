#include "TunerRequestRecord.h"
#include "ByteSink.h"
#include "ByteSource.h"
#include "Cp932.h"
#include <cstring>

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
    // Unterminated, it is cut to whole characters that fit a buffer with its terminator.
    size_t length = end ? (size_t)((const uint8_t *)end - name.data)
                        : WholeCharacters((const char *)name.data, name.size, RequestNameSize - 1);
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
