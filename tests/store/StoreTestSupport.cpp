#include "StoreTestSupport.h"
#include "Clock.h"
#include "FolderScan.h"
#include "StartUpCopy.h"
#include <iterator>
#include <sstream>
#include <stdexcept>

StoreFixture::StoreFixture() {
    ClearInstallationRegistry();
    RegisterInstallation({adams.Path(), channels.Path(), epgData.Path()});
    std::vector<TestChannel> table(12);
    table[0] = {"ＮＨＫ総合", 0};
    table[5] = {"ソフト放送", 1};
    WriteChannelTable(channels.Path(), table);
    CreateOwnTemp(adams.Path().c_str()); // as the program's start makes it
}

StoreFixture::~StoreFixture() {
    ResetCurrentTime();
    ClearInstallationRegistry();
}

std::string StoreFixture::Temp(const std::string &name) const {
    return name.empty() ? adams / "Temp" : adams / ("Temp\\" + name);
}

void StoreFixture::CopyToTemp(const std::string &name) const {
    WIN32_FILE_ATTRIBUTE_DATA status;
    if (!GetFileAttributesExA(Adams(name).c_str(), GetFileExInfoStandard, &status) ||
        !ListFiles(adams.Path().c_str(),
                   {{name, true, FileSize(status.nFileSizeHigh, status.nFileSizeLow),
                     FileTicks(status.ftLastWriteTime)}}) ||
        !CopyFileA(Adams(name).c_str(), Temp(name).c_str(), FALSE))
        throw std::runtime_error("cannot copy " + name + " into Temp");
}

void StoreFixture::WriteDaySet(const std::string &prefix, const std::string &date,
                               const std::string &stationName, const std::string &extensions) {
    std::istringstream list(extensions);
    std::vector<std::string> kinds{std::istream_iterator<std::string>(list), {}};
    ::WriteDaySet(Adams(prefix + date), stationName, Programmes, kinds);
    for (const std::string &extension : kinds)
        SetFileTimes(Adams(prefix + date + "." + extension), CurrentTime());
}
