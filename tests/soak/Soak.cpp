// soak: a campaign of real runs of the program in one installation that
// persists from run to run, with faults drawn at random; after each run it
// checks the invariants (Checks.cpp) and prints every break. A seed draws
// the same campaign again; --run K draws run K alone, in a fresh
// installation.
//   soak [--runs N] [--seed S] [--run K] [--root-drive R:] [--small-drive S:]
// --root-drive names a drive whose root the ADAMS value may name, and
// --small-drive a small drive for the ADAMS folder to run full on; without
// them those faults are not drawn.
// Prints one line a run, a table of what was drawn (faults by how the runs
// ended) and, last, "N runs, B invariant breaks". Exit code 0 without
// breaks, 1 with, 2 for a wrong command line.
#include "Campaign.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

namespace {
// The campaign's lines go to a terminal or a log in UTF-8; what the program
// showed is code page 932.
std::string Utf8(const std::string &text) {
    std::wstring wide = Wide(text);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(bytes > 0 ? bytes : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &utf8[0], bytes, nullptr, nullptr);
    utf8.resize(utf8.size() - 1);
    return utf8;
}

int Usage() {
    fputs("usage: soak [--runs N] [--seed S] [--run K] [--root-drive R:] [--small-drive S:]\n",
          stderr);
    return 2;
}

// Runs of each end, per fault drawn (and for runs without any).
struct Table {
    std::set<std::string> ends;
    std::map<std::string, std::map<std::string, int>> counts;

    void Add(const Draw &draw) {
        std::string end = EndName(draw);
        ends.insert(end);
        ++counts["all runs"][end];
        if (!draw.faults)
            ++counts["no fault"][end];
        for (unsigned fault = 0; fault < FaultCount; ++fault)
            if (draw.Has(fault))
                ++counts[FaultName(fault)][end];
    }

    void Print() const {
        printf("\n%-22s", "faults \\ ended by");
        for (const std::string &end : ends)
            printf(" %14s", end.c_str());
        printf("\n");
        std::vector<std::string> rows = {"all runs", "no fault"};
        for (unsigned fault = 0; fault < FaultCount; ++fault)
            rows.push_back(FaultName(fault));
        for (const std::string &row : rows) {
            auto found = counts.find(row);
            printf("%-22s", row.c_str());
            for (const std::string &end : ends) {
                int count = 0;
                if (found != counts.end() && found->second.count(end))
                    count = found->second.at(end);
                printf(" %14d", count);
            }
            printf("\n");
        }
    }
};
} // namespace

int main(int argc, char **argv) {
    int runs = 200, only = 0;
    uint32_t seed = (uint32_t)GetTickCount();
    Drives drives;
    for (int i = 1; i < argc; ++i) {
        if (i + 1 >= argc)
            return Usage();
        if (strcmp(argv[i], "--runs") == 0)
            runs = atoi(argv[++i]);
        else if (strcmp(argv[i], "--seed") == 0)
            seed = (uint32_t)strtoul(argv[++i], nullptr, 10);
        else if (strcmp(argv[i], "--run") == 0)
            only = atoi(argv[++i]);
        else if (strcmp(argv[i], "--root-drive") == 0)
            drives.root = argv[++i];
        else if (strcmp(argv[i], "--small-drive") == 0)
            drives.small = argv[++i];
        else
            return Usage();
    }
    if (runs < 1 || only < 0)
        return Usage();
    setvbuf(stdout, nullptr, _IONBF, 0);
    printf("soak: seed %u, %s\n", seed,
           only ? ("run " + std::to_string(only) + " alone").c_str()
                : (std::to_string(runs) + " runs").c_str());

    Campaign campaign(drives);
    if (drives.root.empty() || drives.small.empty())
        printf("soak: %s not mapped: its faults are not drawn\n",
               drives.root.empty() && drives.small.empty() ? "no root drive and no small drive"
               : drives.root.empty()                       ? "no root drive"
                                                           : "no small drive");
    Table table;
    int done = 0, breaks = 0;
    std::vector<std::string> breakLines;
    for (int run = only ? only : 1; run <= (only ? only : runs); ++run) {
        Draw draw = DrawRun(seed, run);
        for (unsigned fault = 0; fault < FaultCount; ++fault)
            if (!campaign.CanMake(fault))
                draw.faults &= ~(1u << fault);
        RunRecord record;
        try {
            record = campaign.Run(draw);
        } catch (const std::exception &error) {
            record.breaks.push_back(std::string("the campaign could not go on: ") + error.what());
        }
        table.Add(draw);
        ++done;
        printf("run %d: %s; ended by %s%s: %s\n", run, Describe(draw).c_str(),
               record.action.c_str(), record.notes.c_str(),
               record.breaks.empty() ? "ok"
                                     : (std::to_string(record.breaks.size()) + " breaks").c_str());
        for (const std::string &what : record.breaks) {
            std::string line = "break: seed " + std::to_string(seed) + " run " +
                               std::to_string(run) + " " + Utf8(what);
            printf("  %s\n", line.c_str());
            breakLines.push_back(line);
        }
        breaks += (int)record.breaks.size();
    }
    table.Print();
    if (!breakLines.empty()) {
        printf("\nbreaks (replay one with --seed %u --run K, or the campaign up to it with "
               "--seed %u --runs K):\n",
               seed, seed);
        for (const std::string &line : breakLines)
            printf("%s\n", line.c_str());
    }
    printf("%d runs, %d invariant breaks\n", done, breaks);
    return breaks ? 1 : 0;
}
