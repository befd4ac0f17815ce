// makeinstall: a demo installation of the package, made by the recipe that
// the tests use (InstallationRecipe.h).
//   makeinstall package --program DIR --adams DIR --channels DIR --epg-data DIR
//               [--epg-temp DIR] [--scheduler DIR] [--logs DIR] [--feed FILE]
//       copies the program and the package's parts from the tool's own
//       folder into the program's folder (made if missing) and writes the
//       installer's values and the stand-ins' settings;
//   makeinstall pace MILLISECONDS
//       the receiver's time between two steps of a reception;
//   makeinstall dayset FOLDER PREFIX NAME DAY...
//       a received day set of the station PREFIX named NAME (code page 932)
//       for each DAY, counted from today (-1 is yesterday).
// Exit code 0, 1 when something cannot be written, 2 for a wrong command line.
#include "InstallationRecipe.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <stdexcept>

namespace {
int Usage() {
    fputs("usage: makeinstall package --program DIR --adams DIR --channels DIR --epg-data DIR "
          "[--epg-temp DIR] [--scheduler DIR] [--logs DIR] [--feed FILE]\n"
          "       makeinstall pace MILLISECONDS\n"
          "       makeinstall dayset FOLDER PREFIX NAME DAY...\n",
          stderr);
    return 2;
}

bool ParseNumber(const char *text, long &number) {
    char *end = nullptr;
    number = strtol(text, &end, 10);
    return end != text && !*end;
}

std::string OwnFolder() {
    char module[MAX_PATH];
    GetModuleFileNameA(nullptr, module, sizeof module);
    std::string path = module;
    return path.substr(0, path.find_last_of('\\'));
}

int Package(int argc, char **argv) {
    std::map<std::string, std::string> options;
    for (int i = 2; i + 1 < argc; i += 2)
        options[argv[i]] = argv[i + 1];
    InstallationFolders folders;
    std::string program;
    const std::map<std::string, std::string *> known = {
        {"--program", &program},           {"--adams", &folders.adams},
        {"--channels", &folders.channels}, {"--epg-data", &folders.epgData},
        {"--epg-temp", &folders.epgTemp},  {"--scheduler", &folders.scheduler},
        {"--logs", &folders.logs},         {"--feed", &folders.feed}};
    for (const auto &option : options) {
        auto found = known.find(option.first);
        if (found == known.end())
            return Usage();
        *found->second = option.second;
    }
    if (argc % 2 != 0 || program.empty() || folders.adams.empty() || folders.channels.empty() ||
        folders.epgData.empty())
        return Usage();
    CreateDirectoryA(program.c_str(), nullptr);
    CopyProgram(OwnFolder(), program);
    RegisterInstallation(folders);
    return 0;
}

int DaySets(int argc, char **argv) {
    if (argc < 6)
        return Usage();
    std::vector<int> days;
    for (int i = 5; i < argc; ++i) {
        long day;
        if (!ParseNumber(argv[i], day))
            return Usage();
        days.push_back((int)day);
    }
    for (int day : days)
        WriteDaySet(std::string(argv[2]) + "\\" + argv[3] + DateField(day), argv[4]);
    return 0;
}
} // namespace

int main(int argc, char **argv) {
    try {
        if (argc >= 2 && strcmp(argv[1], "package") == 0)
            return Package(argc, argv);
        if (argc >= 2 && strcmp(argv[1], "dayset") == 0)
            return DaySets(argc, argv);
        long pace;
        if (argc == 3 && strcmp(argv[1], "pace") == 0 && ParseNumber(argv[2], pace) && pace > 0) {
            SetSwitch(DataCastKeyPath, "StepMilliseconds", (DWORD)pace);
            return 0;
        }
    } catch (const std::exception &error) {
        fprintf(stderr, "makeinstall: %s\n", error.what());
        return 1;
    }
    return Usage();
}
