// A prepared ADAMS folder, EPG data folder and channel table for the store's tests.
#pragma once
#include "TestSupport.h"
#include <ctime>
#include <string>

// The plain content of an ".ep1" day file that names its station.
std::string Ep1Content(const std::string &stationName);
// The received form of a day file (header, compressed and scrambled body).
std::string ReceivedDayFile(const std::string &extension, const std::string &content);

class StoreFixture {
public:
    StoreFixture();
    ~StoreFixture();
    // Writes prefix + date + each extension, dated by the clock; ".ep1" files carry stationName.
    void WriteDaySet(const std::string &prefix, const std::string &date,
                     const std::string &stationName = "Station",
                     const std::string &extensions = "ep1 ep2 ept");
    std::string Adams(const std::string &name) const { return adams / name; }
    std::string Temp(const std::string &name = "") const;
    // Copies a file of the folder into Temp and lists it, as the start-up copy does.
    void CopyToTemp(const std::string &name) const;

    TempFolder adams{"store-adams-表示"};
    TempFolder channels{"store-channels"};
    TempFolder epgData{"store-epg-ソフト"};
};
