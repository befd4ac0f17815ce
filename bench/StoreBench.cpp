// Times the day-file completeness pass on a full ADAMS folder under Wine:
// 20 stations with eight days of ".ep1", ".ep2" and ".ept" files, 20
// outdated day sets, and the start-up copy of all of them. Prints the time of
// a first pass (which purges the outdated sets), of later passes, the files
// touched, and the ratio of a later pass to a bare look at the same files.
#include "BenchFiles.h"
#include "Completeness.h"
#include "ReceivedEncoder.h"
#include "Registry.h"
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {
const char Folder[] = "C:\\pelmar-bench\\adams-表示";
const char AdamsKey[] = "Software\\ﾉｰﾍﾞﾙ\\ADAMS\\adams-e\\";
constexpr int Stations = 20, Outdated = 20, Rounds = 15;

// Fills the folder and its start-up copy; returns the names of the files written.
void Prepare(const std::vector<std::string> &files, const std::string &ep1,
             const std::string &other) {
    std::string folder = Folder, temp = folder + "\\Temp";
    RemoveFiles(temp);
    RemoveFiles(folder);
    for (const std::string &name : files) {
        const std::string &content = name.substr(name.size() - 3) == "ep1" ? ep1 : other;
        Write(folder + "\\" + name, content);
        Write(temp + "\\" + name, content);
    }
}

// What every pass must at least do: list the ".ep1" files and look for each day file.
void BareLook(const std::vector<std::string> &names) {
    Listing(Folder);
    for (const std::string &name : names)
        GetFileAttributesA((std::string(Folder) + "\\" + name).c_str());
}
} // namespace

int main() {
    CreateDirectoryA("C:\\pelmar-bench", nullptr);
    CreateDirectoryA(Folder, nullptr);
    CreateDirectoryA((std::string(Folder) + "\\Temp").c_str(), nullptr);
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, AdamsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    RegSetValueExA(key, "Adams-E", 0, REG_SZ, (const BYTE *)Folder, sizeof Folder);
    RegCloseKey(key);

    char window[DayWindowLength][DateFieldSize];
    BuildDayDates(time(nullptr), window);
    char yesterday[DayWindowLength][DateFieldSize];
    BuildDayDates(time(nullptr) - 86400, yesterday);
    std::vector<std::string> files, looked;
    for (int s = 0; s < Stations; ++s) {
        char prefix[8];
        snprintf(prefix, sizeof prefix, "S%03d", s);
        for (const char *date : window)
            for (const char *extension : {".ep1", ".ep2", ".ept"}) {
                files.push_back(std::string(prefix) + date + extension);
                if (extension[3] != '2')
                    looked.push_back(files.back());
            }
        if (s < Outdated)
            for (const char *extension : {".ep1", ".ep2", ".ept"})
                files.push_back(std::string(prefix) + yesterday[0] + extension);
    }
    std::string ep1, other;
    EncodeReceivedFile(KindEp1, std::string(11, 'h') + "\x08Station1" + std::string(4000, 'p'),
                       ep1);
    EncodeReceivedFile(KindEpt, std::string(6000, 's'), other);

    std::vector<double> first, later, bare;
    size_t deleted = 0, restored = 0;
    for (int round = 0; round < Rounds; ++round) {
        Prepare(files, ep1, other);
        std::set<std::string> before = Listing(Folder);
        double start = Now();
        int verdict = CheckDayFiles();
        first.push_back(Now() - start);
        std::set<std::string> after = Listing(Folder);
        deleted =
            std::count_if(before.begin(), before.end(), [&](auto &n) { return !after.count(n); });
        restored =
            std::count_if(after.begin(), after.end(), [&](auto &n) { return !before.count(n); });
        start = Now();
        CheckDayFiles();
        later.push_back(Now() - start);
        start = Now();
        BareLook(looked);
        bare.push_back(Now() - start);
        if (verdict != 1) {
            fprintf(stderr, "store_bench: the full folder was judged incomplete\n");
            return 1;
        }
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2] * 1000.0;
    };
    printf("folder: %zu day files (%d stations x 8 days x 3, %d outdated sets), start-up copy of "
           "each\n",
           files.size(), Stations, Outdated);
    printf("first pass:  %.2f ms (deleted %zu files, restored %zu, %zu day files looked for)\n",
           median(first), deleted, restored, looked.size());
    printf("later pass:  %.2f ms\n", median(later));
    printf("bare look:   %.2f ms (list the folder, look for each day file once)\n", median(bare));
    printf("ratio later pass / bare look: %.2f\n", median(later) / median(bare));

    RemoveFiles(std::string(Folder) + "\\Temp");
    RemoveFiles(Folder);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\ﾉｰﾍﾞﾙ");
    return 0;
}
