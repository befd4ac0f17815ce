// The receiver stand-in's names that others use: its settings' key (under
// HKEY_CURRENT_USER) and its window's title, by which the program finds it.
#pragma once

constexpr char DataCastKeyPath[] = "Software\\PackageStandIns\\DataCast";
constexpr char ReceiverTitle[] = "DataCast - NORVELL";
