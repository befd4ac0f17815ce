#include "ConflictWatch.h"
#include "AcquireContext.h"

namespace {
struct ConflictingProgram {
    const char *windowTitle; // the exact title of its top-level window
    const char *displayName; // what the user is told
};

// Tested in this order.
const ConflictingProgram ConflictingPrograms[] = {
    {"bitcastBar Base", "bitcast browser"},
    {"ADAMSステーション", "ADAMSステーション"},
    {"MGI PURE DIVA", "PURE DIVA"},
    {"チャンネル設定ユーティリティ", "チャンネル設定ユーティリティ"},
};
} // namespace

void WatchConflicts() {
    for (const ConflictingProgram &program : ConflictingPrograms) {
        if (FindWindowA(nullptr, program.windowTitle)) {
            lstrcpynA(acquire.conflictName, program.displayName, sizeof acquire.conflictName);
            acquire.conflictFound = 1;
        }
    }
}
