// The main dialog, open without its modal run, in an installation of its
// own: ADAMS, EPG Temp and EPG data folders, a channel table, and the
// scheduler stand-in storing into a folder of the test.
#pragma once
#include "AcquireContext.h"
#include "PartsDialog.h"
#include "TestSupport.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

// "～" in code page 932, written as bytes.
extern const std::string Tilde;

// Records of a decoded schedule, "HHMMHHMM|" each.
std::string ScheduleRecords(const std::vector<BroadcastWindow> &windows);
// One window per hour from first to last, each hh:02 to hh:12.
std::vector<BroadcastWindow> HourlyWindows(int first, int last);
// The hour texts "%2d" of first to last.
std::vector<std::string> HourTexts(int first, int last);

class DialogFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Stores the received schedule file "Ep000001.tct" of the ADAMS folder.
    void WriteSchedule(const std::string &records);
    // The texts of a list box or combo box, in order.
    std::vector<std::string> Items(int id) const;
    // The selected item's text, or "(none)".
    std::string Selected(int id) const;
    int Selection(int id) const;
    void Select(int id, int index);
    std::string Text(int id) const;

    void SetSchedulerSwitch(const char *name, DWORD value);
    ScheduleRecord StoredRecord() const;
    BroadcastTimeTable StoredTable() const;
    // Today's guide data (or another day's) in the EPG data folder, by the clock.
    void WriteGuideData(time_t modified);

    TempFolder adams{"dialog-adams-表示"};
    TempFolder epgTemp{"dialog-epgtemp-ソフト"};
    TempFolder epgData{"dialog-epgdata"};
    TempFolder channels{"dialog-channels"};
    TempFolder scheduler{"dialog-scheduler"};
    CPartsDialog dialog;
};
