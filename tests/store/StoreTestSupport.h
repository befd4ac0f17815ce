// A prepared ADAMS folder, EPG data folder and channel table for the store's tests.
#pragma once
#include "TestSupport.h"
#include <ctime>
#include <string>

// What every day file of the store's tests carries after its station name.
const std::string Programmes(40, 'p');

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
