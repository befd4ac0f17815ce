#include "StartTrace.h"
#include <cstdlib>
#include <cstring>

const StartStep StartStepList[StartSteps] = {
    {"process start, to the program's first instruction", true},
    {"run-time start-up, to its first own call (the running check)", false},
    {"channel table, Temp and the copy's list", false},
    {"the copy of the ADAMS folder into Temp", true},
    {"the main dialog's icon (the process's first drawing work)", false},
    {"the dialog's window and controls", false},
    {"window menu, schedule record, freshness, tuner calls", false},
    {"the receiver's start to its first message wait", true},
    {"1827 sent and handled by the receiver", true},
};

const char StartTraceCalls[] = "kernel32.OpenMutexA;kernel32.CopyFileA;kernel32.CreateProcessA;"
                               "user32.LoadIconA;user32.WaitForInputIdle;"
                               "user32.SendMessageTimeoutA";

namespace {
struct Line {
    double seconds;
    DWORD process, thread;
    const char *text;
};

// False for a line that is not a trace line (a program's own output).
bool Parse(const std::string &raw, Line &line) {
    const char *text = raw.c_str();
    char *end = nullptr;
    line.seconds = strtod(text, &end);
    if (end == text || *end != ':')
        return false;
    text = end + 1;
    line.process = strtoul(text, &end, 16);
    if (end == text || *end != ':')
        return false;
    text = end + 1;
    line.thread = strtoul(text, &end, 16);
    if (end == text || *end != ':')
        return false;
    line.text = end + 1;
    return true;
}

bool Has(const Line &line, const char *start, const char *part, const char *also = "") {
    return strncmp(line.text, start, strlen(start)) == 0 && strstr(line.text, part) &&
           strstr(line.text, also);
}

// The program's lines and, before its first one, the time of the bench's
// last CreateProcessA: the start of that program.
bool ProgramLines(const std::vector<std::string> &trace, DWORD bench, DWORD program,
                  double &started, std::vector<Line> &lines) {
    bool startSeen = false;
    for (const std::string &raw : trace) {
        Line line;
        if (!Parse(raw, line))
            continue;
        if (line.process == program)
            lines.push_back(line);
        else if (lines.empty() && line.process == bench && Has(line, "Call ", "CreateProcessA(")) {
            started = line.seconds;
            startSeen = true;
        }
    }
    return startSeen && !lines.empty();
}

// The first line from index `from` on that begins with start and holds the parts.
size_t Find(const std::vector<Line> &lines, size_t from, const char *start, const char *part,
            const char *also = "") {
    for (size_t i = from; i < lines.size(); ++i)
        if (Has(lines[i], start, part, also))
            return i;
    return lines.size();
}
} // namespace

bool SplitStart(const std::vector<std::string> &trace, DWORD bench, DWORD program,
                double steps[StartSteps], std::string &missing) {
    double started = 0;
    std::vector<Line> lines;
    if (!ProgramLines(trace, bench, program, started, lines)) {
        missing = "the program's start by the bench";
        return false;
    }
    size_t n = lines.size(), mark[StartSteps];
    mark[0] = Find(lines, 0, "Starting thread proc", "");
    mark[1] = Find(lines, mark[0], "Call ", "OpenMutexA(");
    mark[2] = Find(lines, mark[1], "Call ", "CopyFileA(");
    mark[4] = Find(lines, mark[2], "Ret  ", "LoadIconA(");
    mark[3] = n;
    for (size_t i = mark[2]; i < mark[4]; ++i) // the last copy's end
        if (Has(lines[i], "Ret  ", "CopyFileA("))
            mark[3] = i;
    mark[5] = Find(lines, mark[4], "Call dialog proc", "WM_INITDIALOG");
    mark[6] = Find(lines, mark[5], "Call ", "CreateProcessA(", "DataCast.exe");
    mark[7] = Find(lines, mark[6], "Ret  ", "WaitForInputIdle(");
    size_t sent = Find(lines, mark[7], "Call ", "SendMessageTimeoutA(", ",00000723,");
    mark[8] = Find(lines, sent, "Ret  ", "SendMessageTimeoutA(");
    const char *names[StartSteps] = {"its first thread",
                                     "OpenMutexA",
                                     "CopyFileA",
                                     "the last CopyFileA's return",
                                     "LoadIconA's return",
                                     "WM_INITDIALOG",
                                     "CreateProcessA of the receiver",
                                     "WaitForInputIdle's return",
                                     "SendMessageTimeoutA's return for 1827"};
    double previous = started;
    for (int s = 0; s < StartSteps; ++s) {
        if (mark[s] >= n) {
            missing = names[s];
            return false;
        }
        steps[s] = lines[mark[s]].seconds - previous;
        previous = lines[mark[s]].seconds;
    }
    return true;
}
