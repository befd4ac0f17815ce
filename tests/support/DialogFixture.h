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

// One window per hour from first to last, each hh:02 to hh:12.
std::vector<ScheduleWindow> HourlyWindows(int first, int last);
// The hour texts "%2d" of first to last.
std::vector<std::string> HourTexts(int first, int last);

class DialogFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Stores the received schedule file "Ep000001.tct" of the ADAMS folder.
    void WriteSchedule(const std::string &records) { WriteReceivedSchedule(adams.Path(), records); }
    // The texts of a list box or combo box of the dialog, in order.
    std::vector<std::string> Items(int id) const { return ::Items(dialog.GetDlgItem(id)); }
    // The selected item's index (-1 for none), and its text, or "(none)".
    int Selection(int id) const { return ::Selection(dialog.GetDlgItem(id)); }
    std::string Selected(int id) const { return ::Selected(dialog.GetDlgItem(id)); }
    void Select(int id, int index);
    std::string Text(int id) const { return WindowText(dialog.GetDlgItem(id)); }

    void SetSchedulerSwitch(const char *name, DWORD value);
    ScheduleRecord StoredRecord() const;
    BroadcastTimeTable StoredTable() const;
    // Today's guide data (or another day's) in the EPG data folder, by the clock.
    void WriteGuideData(time_t modified) { ::WriteGuideData(epgData.Path(), modified); }

    TempFolder adams{"dialog-adams-表示"};
    TempFolder epgTemp{"dialog-epgtemp-ソフト"};
    TempFolder epgData{"dialog-epgdata"};
    TempFolder channels{"dialog-channels"};
    TempFolder scheduler{"dialog-scheduler"};
    CPartsDialog dialog;
};
