#include "Freshness.h"
#include "AcquireContext.h"
#include "Clock.h"
#include "LocalTime.h"
#include "File.h"
#include "FolderScan.h"
#include "Path.h"
#include "Registry.h"

namespace {
// The registry offers 128 bytes for this value: 127 characters and the terminator.
constexpr DWORD EpgDataValueSize = 128;

bool SameDay(const tm &a, const tm &b) {
    return a.tm_year == b.tm_year && a.tm_mon == b.tm_mon && a.tm_mday == b.tm_mday;
}
} // namespace

AcquireStatus CheckEpgFreshness() {
    char keyPath[64];
    JoinText(keyPath, sizeof keyPath, "Software\\Norvell\\TunerDesk", "\\EPG");
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return StatusNoRegistry;
    char folder[FolderBufferSize] = {};
    int read = ReadKeyText(key, "EPG data", folder, EpgDataValueSize);
    RegCloseKey(key);

    // Without a usable folder (missing, empty, or too long for its 128 bytes)
    // there is no data to find; the root of the current drive is not looked at.
    char path[FolderBufferSize];
    if (read != 1 || !JoinText(path, sizeof path, folder, "\\Ep000001.tct"))
        return StatusNoData;

    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareExclusive))
        return StatusNoData;
    WIN32_FILE_ATTRIBUTE_DATA status;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &status)) {
        file.Close();
        return StatusNoData;
    }
    file.Close();

    tm modified, today;
    if (!LocalFields(FileTimeToTime(status.ftLastWriteTime), modified) ||
        !LocalFields(CurrentTime(), today))
        return StatusNoData;
    strftime(acquire.epgDateText, sizeof acquire.epgDateText, "%Y/%m/%d", &modified);
    return SameDay(modified, today) ? StatusCurrent : StatusOutdated;
}
