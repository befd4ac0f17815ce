// The broadcast-time list of the main dialog: today's broadcast windows, read
// from the schedule file that the receiver stores, and the hours and minutes
// offered for the daily acquisition window. Without a schedule a fixed
// default range is offered instead.
#include "DecodeReceivedFile.h"
#include "EpgMainDlg.h"
#include "File.h"
#include "Path.h"
#include "Registry.h"
#include "ScheduleFile.h"
#include "ScheduleRecords.h"
#include "resource.h"
#include <cstdio>
#include <cstring>

namespace {
constexpr int DefaultFirstHour = 6;
constexpr int DefaultLastHour = 23;
constexpr int DefaultEndHourIndex = 18; // the item "24"
static_assert(MaxHourItems == HourItemCount, "the plan's items fit the dialog's slots");
const char WindowFormat[] = "%2d:%02d ～ %2d:%02d";
const char DefaultRangeText[] = " 6:00 ～ 24:00";

// Puts an item's text into its slot, adds it, then keeps its value in the slot's first byte.
void AddItem(char *slot, const char *format, int text, int value, CComboBox &box,
             CComboBox *secondBox = nullptr) {
    snprintf(slot, ItemSlotSize, format, text);
    box.AddString(slot);
    if (secondBox)
        secondBox->AddString(slot);
    slot[0] = (char)value;
}

// Selects the first of count items whose value byte equals value; else leaves the selection.
void SelectValue(CComboBox &box, const char (*slots)[ItemSlotSize], int count, int value) {
    for (int i = 0; i < count; ++i) {
        if ((unsigned char)slots[i][0] == value) {
            box.SetCurSel(i);
            return;
        }
    }
}
} // namespace

int CEpgMainDlg::ReloadScheduleRecord() {
    if (ReadScheduleRecord(&schedRecord) != 0)
        return 0;
    acquire.storedReceiveMode = schedRecord.enabled;
    return 1;
}

int CEpgMainDlg::ReadBroadcastSchedule() {
    char adamsFolder[FolderBufferSize], tempFolder[FolderBufferSize];
    if (ReadAdamsFolder(adamsFolder) != 1 || ReadEpgTempFolder(tempFolder) != 1)
        return 0;
    // The EPG Temp folder is registered with its trailing "\".
    char source[FolderBufferSize], decoded[FolderBufferSize];
    if (!JoinText(source, sizeof source, adamsFolder, "\\Ep000001.tct") ||
        !JoinText(decoded, sizeof decoded, tempFolder, "Ep000001.tch"))
        return 0;
    try {
        if (DecodeReceivedFile(source, decoded) != 1)
            return 0;
    } catch (const CFileException &) {
        return 0;
    }

    return ReadDecodedSchedule(decoded, broadcastWindows, broadcastWindowCount);
}

// Empties the list box and the four time combos.
void CEpgMainDlg::EmptyTimeBoxes() {
    timeList.ResetContent();
    startHourCombo.ResetContent();
    startMinuteCombo.ResetContent();
    endHourCombo.ResetContent();
    endMinuteCombo.ResetContent();
}

void CEpgMainDlg::AddMinuteItems() {
    for (int k = 0; k < MinuteItemCount; ++k)
        AddItem(minuteItems[k], "%02d", 10 * k, 10 * k, startMinuteCombo, &endMinuteCombo);
}

int CEpgMainDlg::FillTimeList() {
    if (!ReloadScheduleRecord())
        return 0;
    memset(broadcastWindows, 0, sizeof broadcastWindows);
    if (!ReadBroadcastSchedule())
        return 0;
    // An empty schedule names no window to build the ranges from: it counts as none.
    if (broadcastWindowCount == 0)
        return 0;

    EmptyTimeBoxes();
    char line[64];
    for (int i = 0; i < broadcastWindowCount; ++i) {
        const BroadcastWindow &window = broadcastWindows[i];
        snprintf(line, sizeof line, WindowFormat, window.startHour, window.startMinute,
                 window.endHour, window.endMinute);
        timeList.AddString(line);
    }

    // Hours past midnight read 25, 26...: the combos sort their texts, and
    // only texts that sort in item order keep an item's position equal to its
    // hour - base. After 26:02 - 26:12 the end hours end with 27, after
    // 22:55 - 23:10 with 23 and 24; each item shows and stores its own hour.
    const BroadcastWindow &first = broadcastWindows[0];
    const BroadcastWindow &last = broadcastWindows[broadcastWindowCount - 1];
    HourItems hours = PlanHourItems(first, last);
    int n = hours.startCount;
    for (int i = 0; i < n; ++i)
        AddItem(hourItems[i], "%2d", hours.base + i, hours.base + i, startHourCombo, &endHourCombo);
    for (int i = n; i <= hours.lastEndIndex; ++i)
        AddItem(hourItems[i], "%2d", hours.base + i, hours.base + i, endHourCombo);
    lastEndHourIndex = hours.lastEndIndex;
    hourBase = hours.base;
    AddMinuteItems();

    char range[64];
    snprintf(range, sizeof range, WindowFormat, first.startHour, 0, last.endHour + 1, 0);
    // While the dialog closes the lists are renewed for the scheduler only.
    if (acquire.stopRequested)
        return 1;

    timeList.SetCurSel(0);
    SetDlgItemTextA(m_hWnd, IDC_DATA_DATE, acquire.epgDateText);
    startHourCombo.SetCurSel(0);
    endHourCombo.SetCurSel(lastEndHourIndex);
    SelectValue(startHourCombo, hourItems, n, schedRecord.dailyWindow[0]);
    SelectValue(endHourCombo, hourItems, lastEndHourIndex + 1, schedRecord.dailyWindow[2]);
    startMinuteCombo.SetCurSel(0);
    endMinuteCombo.SetCurSel(0);
    SelectValue(startMinuteCombo, minuteItems, MinuteItemCount, schedRecord.dailyWindow[1]);
    SelectValue(endMinuteCombo, minuteItems, MinuteItemCount, schedRecord.dailyWindow[3]);
    SetDlgItemTextA(m_hWnd, IDC_SETTABLE_RANGE, range);
    return 1;
}

int CEpgMainDlg::FillDefaultTimes() {
    if (!ReloadScheduleRecord())
        return 0;
    // Emptied first, so that a second fill does not offer every hour twice.
    EmptyTimeBoxes();
    int n = 0;
    for (int hour = DefaultFirstHour; hour <= DefaultLastHour; ++hour, ++n)
        AddItem(hourItems[n], "%2d", hour, hour, startHourCombo, &endHourCombo);
    AddItem(hourItems[n], "%2d", 24, 24, endHourCombo);
    lastEndHourIndex = DefaultEndHourIndex;
    hourBase = DefaultFirstHour;
    AddMinuteItems();

    startHourCombo.SetCurSel(0);
    startMinuteCombo.SetCurSel(0);
    endMinuteCombo.SetCurSel(0);
    endHourCombo.SetCurSel(DefaultEndHourIndex);
    SetDlgItemTextA(m_hWnd, IDC_SETTABLE_RANGE, DefaultRangeText);
    return 1;
}
