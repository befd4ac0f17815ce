// One reception of the broadcast: the received files it writes, in order,
// one step per timer tick.
//   step 0     the broadcast schedule "Ep000001.tct" into the ADAMS folder
//   steps 1-8  every station's ".ep1", ".ep2" and ".ept" day files of today
//              and the seven following days, one day per step
//   step 9     "Ep000001.tct" into the EPG data folder: today's guide data
//              is now present
#pragma once
#include "Feed.h"
#include "ReceivedEncoder.h"
#include <string>

constexpr int ReceptionDays = 8;
constexpr int ReceptionSteps = ReceptionDays + 2;
constexpr char ScheduleFileName[] = "Ep000001.tct";

// One day of the reception: its calendar date and its "MMDD" date field.
struct DayDate {
    int year, month, day;
    char field[5];
};

struct Reception {
    std::string adamsFolder;   // where the received files go
    std::string epgDataFolder; // where the finished reception is marked
    Feed feed;
    DayDate days[ReceptionDays]; // today first
    int step = 0;
};

enum StepResult { StepWritten, StepFailed, ReceptionComplete };

// The plain content of the broadcast schedule: one 9-byte record "HHMMhhmm"
// and a line feed per window.
std::string ScheduleContent(const Feed &feed);
// The plain content of one day file. A ".ep1" file holds the station name's
// length at offset 11 and the name from offset 12.
std::string DayFileContent(ReceivedKind kind, const FeedStation &station, const DayDate &date);
// prefix + MMDD + ".ep1", ".ep2" or ".ept".
std::string DayFileName(const FeedStation &station, const DayDate &date, ReceivedKind kind);

// Sets a reception up: folders from the registry, the days from the local
// date, step 0. False (with a reason) when a folder is not registered or
// does not exist.
bool PrepareReception(Reception &reception, const Feed &feed, std::string &error);
// Writes the files of the reception's current step and moves on; a failed
// step stays current, so that it can be tried again.
StepResult RunReceptionStep(Reception &reception);

// Writes a file as a whole under its final name: written to a temporary
// file in the same folder, then renamed over any old one, so that a reader
// never sees it half written.
bool WriteReplacing(const std::string &folder, const std::string &name, const std::string &bytes);
