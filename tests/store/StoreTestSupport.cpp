#include "StoreTestSupport.h"
#include "Clock.h"
#include "ReceivedEncoder.h"
#include "StartUpCopy.h"
#include <sstream>
#include <stdexcept>

std::string Ep1Content(const std::string &stationName) {
    std::string content(11, 'h');
    content += (char)(unsigned char)stationName.size();
    content += stationName;
    content += std::string(40, 'p'); // programme data after the name
    return content;
}

std::string ReceivedDayFile(const std::string &extension, const std::string &content) {
    std::string file;
    if (!EncodeReceivedFile(KindFromExtension(extension), content, file))
        throw std::runtime_error("cannot encode a ." + extension + " file");
    return file;
}

StoreFixture::StoreFixture() {
    ClearInstallationRegistry();
    SetRegistryText(HKEY_CURRENT_USER, AdamsKeyPath, "Adams-E", adams.Path());
    SetRegistryText(HKEY_LOCAL_MACHINE, ChannelKeyPath, "Install Path", channels.Path());
    SetRegistryText(HKEY_LOCAL_MACHINE, EpgKeyPath, "EPG data", epgData.Path());
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
                   {{name, true, (uint64_t)status.nFileSizeHigh << 32 | status.nFileSizeLow,
                     (uint64_t)status.ftLastWriteTime.dwHighDateTime << 32 |
                         status.ftLastWriteTime.dwLowDateTime}}) ||
        !CopyFileA(Adams(name).c_str(), Temp(name).c_str(), FALSE))
        throw std::runtime_error("cannot copy " + name + " into Temp");
}

void StoreFixture::WriteDaySet(const std::string &prefix, const std::string &date,
                               const std::string &stationName, const std::string &extensions) {
    std::istringstream list(extensions);
    for (std::string extension; list >> extension;) {
        std::string content = extension == "ep1" ? Ep1Content(stationName) : "programmes";
        std::string path = Adams(prefix + date + "." + extension);
        WriteFile(path, ReceivedDayFile(extension, content));
        SetFileTimes(path, CurrentTime());
    }
}
