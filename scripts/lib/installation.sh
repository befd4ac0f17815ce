# A demo installation of the tuner package in a Wine prefix of its own, for
# scripts/demo and scripts/pictures (sourced, not run), made by makeinstall
# on the recipe that the tests use (package/tools/InstallationRecipe.h). The
# prefix shows every window on one virtual screen of 800 x 600, on the
# user's display or on a virtual one (Xvfb), so that the scripts can find,
# work and photograph the windows.
#
# Layout in the prefix (drive C:):
#   C:\Pelmar                     Pelmar.exe with Rivolink.dll, Wakeplan.dll, DataCast.exe
#   C:\ADAMS                      the receiver's folder
#   C:\TunerDesk\Channel          ChTable.dat, the ADAMS broadcast on channel 6
#   C:\TunerDesk\EPG\Data, \Temp  the guide data's folder and the decoded files' folder
#   C:\TunerDesk\Wakeplan         what the scheduler keeps
#   C:\TunerDesk\Logs             every stand-in's log

here=${here:?}
# What the installation needs is installed first, once for the whole command
# (the scripts it calls, scripts/build among them, skip bootstrap): its
# settings name the Japanese locale, which bootstrap generates on a fresh
# machine. A shell knows only the locales there were when it started, so
# after bootstrap has generated it the script goes on in a new shell.
if [ -z "${PELMAR_BOOTSTRAPPED:-}" ]; then
  had_locale=yes
  locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$' || had_locale=
  "$here/scripts/bootstrap"
  export PELMAR_BOOTSTRAPPED=1
  [ -n "$had_locale" ] || exec "$0" "$@"
fi
demo="$here/build/demo"
prefix="$demo/prefix"
# The 32-bit program with the 32-bit stand-ins: what a user installs.
bin="$here/build/x86/bin"
export WINEPREFIX="$prefix"
source "$here/scripts/lib/wine-env"
c="$prefix/drive_c"

# The font that stands in for the dialogs' own: Monapo, whose widths and
# digits follow that font's, so that every text of the program fits its
# control, derived (scripts/lib/dialog-font) with that font's 12-px lines at
# 9 pt, which the restored automatic window's fixed size needs. Give another
# family in PELMAR_DIALOG_FONT to compare (docs/fonts.md).
dialog_font=${PELMAR_DIALOG_FONT:-Pelmar Dialog}

w() { "$wine" "$@"; }
# Wine's own settings; the package's are makeinstall's.
reg() { w reg add "$1" /v "$2" /d "$3" /f >/dev/null 2>&1; }
makeinstall() { w "$bin/makeinstall.exe" "$@" >/dev/null; }
ctl() { w "$bin/windowctl.exe" "$@"; }
# Wine hands a program its command line in its code page (932): arguments
# are given here in UTF-8. Files the program reads are code page 932.
cp932() { iconv -f UTF-8 -t CP932; }
utf8() { iconv -f CP932 -t UTF-8 -c; }

# Starts a virtual display when there is none; headless=1 then.
installation_display() {
  headless=1
  if [ -n "${DISPLAY:-}" ] && [ "${PELMAR_HEADLESS:-0}" != 1 ]; then
    headless=0
    return
  fi
  export DISPLAY=:${PELMAR_DISPLAY:-77}
  Xvfb "$DISPLAY" -screen 0 1024x768x24 >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null || true' EXIT
  sleep 1
}

# The prefix, the program and the package's parts, the registry values.
installation_prepare() {
  mkdir -p "$prefix"
  if [ ! -f "$prefix/system.reg" ]; then
    w wineboot -i >/dev/null 2>&1 || true
    "$wineserver" -w
  fi
  # One virtual screen for every program of the prefix.
  reg 'HKCU\Software\Wine\Explorer' 'Desktop' 'Default'
  reg 'HKCU\Software\Wine\Explorer\Desktops' 'Default' '800x600'
  # The dialogs ask for the package's usual Japanese font, which Debian does
  # not ship; a free font with the same widths stands in for it (see
  # dialog_font above).
  if [ "$dialog_font" = 'Pelmar Dialog' ] && [ ! -f "$c/windows/Fonts/pelmar-dialog.ttf" ]; then
    "$here/scripts/lib/dialog-font" /usr/share/fonts/truetype/monapo/monapo.ttf \
      "$c/windows/Fonts/pelmar-dialog.ttf" 'Pelmar Dialog'
  fi
  reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' 'ＭＳ Ｐゴシック' "$dialog_font"
  # The window frames' symbols.
  [ -f /usr/share/wine/fonts/marlett.ttf ] && cp /usr/share/wine/fonts/marlett.ttf "$c/windows/Fonts/"
  # The program and the package's parts, the installer's values and the
  # stand-ins' settings. The 32-bit tool writes the machine-wide values into
  # the 32-bit view (Wow6432Node), as the package's 32-bit installer does and
  # where the 32-bit program reads them.
  mkdir -p "$c/TunerDesk/Channel"
  makeinstall package --program 'C:\Pelmar' --adams 'C:\ADAMS' --channels 'C:\TunerDesk\Channel' \
    --epg-data 'C:\TunerDesk\EPG\Data' --epg-temp 'C:\TunerDesk\EPG\Temp' \
    --scheduler 'C:\TunerDesk\Wakeplan' --logs 'C:\TunerDesk\Logs' --feed 'C:\TunerDesk\feed.txt'
  w "$bin/writechannels.exe" 'C:\TunerDesk\Channel' 6 \
    ＮＨＫ総合 ＮＨＫ教育 日本テレビ ＴＢＳ フジテレビ ＡＤＡＭＳ テレビ朝日 テレビ東京 - - - ＭＸテレビ \
    >/dev/null
  # The broadcast: six stations of the user's channel list and today's windows.
  printf '%s\n' \
    'station NHK1 ＮＨＫ総合' 'station NHK2 ＮＨＫ教育' 'station NTV_ 日本テレビ' \
    'station TBS_ ＴＢＳ' 'station CX__ フジテレビ' 'station EX__ テレビ朝日' \
    'window 06:02 06:12' 'window 07:02 07:12' 'window 12:02 12:12' 'window 19:02 19:12' \
    'window 23:02 23:12' 'window 25:02 25:12' | cp932 >"$c/TunerDesk/feed.txt"
}

# Empties the folders of an earlier run: no guide data, no day files, a
# scheduler that holds nothing, empty logs.
installation_reset() {
  rm -rf "$c/ADAMS" "$c/TunerDesk/EPG" "$c/TunerDesk/Wakeplan" "$c/TunerDesk/Logs"
  mkdir -p "$c/ADAMS" "$c/TunerDesk/EPG/Data" "$c/TunerDesk/EPG/Temp" "$c/TunerDesk/Logs"
}

# The receiver's pace: milliseconds per step of a reception (ten steps).
installation_pace() { makeinstall pace "$1"; }

# Guide data as an earlier run left it: DAYS_AGO 0 today's, 1 yesterday's.
installation_guide_data() {
  local days_ago=$1
  printf 'guide data' >"$c/TunerDesk/EPG/Data/Ep000001.tct"
  touch -d "$(date -d "-$days_ago day" '+%Y-%m-%d 06:15')" "$c/TunerDesk/EPG/Data/Ep000001.tct"
}

# A received schedule file in the ADAMS folder: WINDOW... as HHMMHHMM.
installation_schedule() {
  local records=""
  for window in "$@"; do records+="$window|"; done
  printf '%s' "$records" >"$c/TunerDesk/schedule.tch"
  w "$bin/epgencode.exe" 'C:\TunerDesk\schedule.tch' 'C:\ADAMS\Ep000001.tct' >/dev/null
}

# Waits until the main dialog is shown (its title ends with a blank).
main_title='EPGデータ管理プログラム '
wait_main() { ctl wait "$main_title" "${1:-30}"; }

# Saves the window of TITLE as a PNG, with a little margin.
photograph() {
  local file=$1 caption=$2
  read -r x y width height < <(ctl rect "$caption" | tr -d '\r')
  local left=$((x > 8 ? x - 8 : 0)) top=$((y > 8 ? y - 8 : 0))
  import -window root -crop "$((width + 16))x$((height + 16))+$left+$top" +repage "$file"
}

# Ends every program of the prefix, the virtual screen with them.
installation_end() { "$wineserver" -k 2>/dev/null || true; }
