# Shared by scripts/test and scripts/run: the set-up check, the Wine prefixes and the private X
# display. Source it with $top set to the repository root.
: "${top:?set top to the repository root before sourcing common.bash}"

WINE64=/usr/lib/wine/wine64
WINESERVER64=/usr/lib/wine/wineserver64
# Wine's 32-bit Windows DLLs, which scripts/setup unpacks here: with them the 64-bit Wine runs the
# 32-bit build in its WoW64 mode.
WOW64_DLLS=$top/build/wow64

# Runs scripts/setup when a tool, the Japanese locale or a library's source is missing.
# Each check is a file test or a PATH lookup, so a ready machine pays nothing.
EnsureSetup() {
  local missing=()
  local tool
  for tool in cmake ninja g++ x86_64-w64-mingw32-g++-posix i686-w64-mingw32-g++-posix nasm \
              Xvfb xdotool import xwininfo zstd cupsd lpadmin lpstat ipptool pdftoppm pdfinfo \
              clang-format clang clang++ llvm-symbolizer; do
    command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
  done
  # libFuzzer, for the fuzz preset.
  compgen -G '/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a' >/dev/null ||
    missing+=(libFuzzer)
  local file
  for file in "$WINE64" "$WINESERVER64" /usr/src/googletest/CMakeLists.txt \
              /usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf /usr/share/wine/fonts/tahoma.ttf \
              /usr/include/benchmark/benchmark.h /usr/include/jpeglib.h /usr/include/png.h \
              /usr/include/zlib.h /usr/include/libdeflate.h \
              /usr/lib/cups/backend/cups-pdf /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd; do
    [ -e "$file" ] || missing+=("$file")
  done
  locale -a 2>/dev/null | grep -qix 'ja_JP.utf8' || missing+=(ja_JP.UTF-8)
  local library
  for library in libjpeg-turbo zlib libpng1.6 libdeflate; do
    compgen -G "$top/third_party/$library-[0-9]*/" >/dev/null || missing+=("$library source")
  done
  [ "$(cat "$WOW64_DLLS/version" 2>/dev/null)" = "$(dpkg-query -W -f='${Version}' wine64 2>/dev/null)" ] ||
    missing+=("Wine's 32-bit DLLs")
  if [ ${#missing[@]} -gt 0 ]; then
    echo "missing: ${missing[*]}; running scripts/setup"
    "$top/scripts/setup"
  fi
}

# Wall-clock timing of the phases, printed as one table by PrintTimings.
phase_names=()
phase_seconds=()
phase_started=0
PhaseBegin() {
  phase_started=$SECONDS
  echo "==> $1"
  phase_names+=("$1")
}
PhaseEnd() {
  phase_seconds+=($((SECONDS - phase_started)))
}
PrintTimings() {
  local i
  echo "timings:"
  for i in "${!phase_seconds[@]}"; do
    printf '  %-32s %4ds\n' "${phase_names[$i]}" "${phase_seconds[$i]}"
  done
}

# The environment every Wine command gets. The Japanese locale gives code page 932. WINEDLLPATH
# lets 32-bit programs run; a prefix must be made with it too, or it has no 32-bit system folder.
ExportWineEnv() {
  export WINEPREFIX=$1
  export WINELOADER=$WINE64 WINE=$WINE64 WINESERVER=$WINESERVER64
  export WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all} WINEDLLPATH=$WOW64_DLLS
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export LANG=ja_JP.UTF-8
  unset LC_ALL LC_CTYPE LC_MESSAGES
}

# The template prefix lives in build/wine-template. It is rebuilt when the key changes: the
# installed Wine package, the user (Wine makes a profile per user name) and the recipe, which is
# the text of MakeWineTemplate.
TemplateKey() {
  printf '%s user=%s recipe=%s\n' "$(dpkg-query -W wine64 2>/dev/null | tr '\t' ' ')" \
    "$(id -un)" "$(declare -f MakeWineTemplate | sha1sum | cut -c1-12)"
}

# Makes sure build/wine-template/prefix is ready. Creation is serialised with flock so two runs in
# the same tree do not build it twice, and done in a scratch folder renamed into place at the end,
# so an interrupted or failed build leaves no half-made template. Returns non-zero on failure.
EnsureWineTemplate() {
  local dir=$top/build/wine-template
  mkdir -p "$dir" || return 1
  local lock rc=0
  exec {lock}>"$dir.lock"
  flock "$lock"
  if [ ! -d "$dir/prefix/drive_c" ] || [ "$(cat "$dir/key" 2>/dev/null)" != "$(TemplateKey)" ]; then
    echo "building the Wine template prefix ($(TemplateKey))"
    rm -rf "$dir/prefix" "$dir/key" "$dir"/new.*
    local new
    new=$(mktemp -d "$dir/new.XXXXXX")
    if MakeWineTemplate "$new/prefix" {lock}>&-; then
      mv "$new/prefix" "$dir/prefix" && rmdir "$new" && TemplateKey >"$dir/key" || rc=1
    else
      echo "making the Wine template prefix failed" >&2
      rm -rf "$new"
      rc=1
    fi
  fi
  exec {lock}>&-
  return $rc
}

# The recipe of the template prefix, made in $1. Every step must succeed.
MakeWineTemplate() (
  ExportWineEnv "$1"
  unset DISPLAY
  trap '"$WINESERVER64" -k 2>/dev/null || true' EXIT
  reg() { timeout 60 "$WINE64" reg add "$@" /f </dev/null >/dev/null; }
  timeout 300 "$WINE64" wineboot -u </dev/null >/dev/null 2>&1 || exit 1
  [ -d "$1/drive_c/windows/system32" ] || exit 1
  [ -f "$1/drive_c/windows/syswow64/kernel32.dll" ] || exit 1  # 32-bit programs can run
  # Without a window manager, hiding or destroying a managed window waits 2 s for an answer that
  # never comes; unmanaged windows are also drawn with Wine's own frame.
  reg 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N || exit 1
  # A crash prints a backtrace and ends the process instead of opening a modal window.
  reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 || exit 1
  # The Japanese faces programs ask for, mapped to the IPA fonts.
  local replacements='HKCU\Software\Wine\Fonts\Replacements'
  reg "$replacements" /v 'ＭＳ Ｐゴシック' /t REG_SZ /d IPAPGothic || exit 1
  reg "$replacements" /v 'MS PGothic' /t REG_SZ /d IPAPGothic || exit 1
  reg "$replacements" /v 'MS UI Gothic' /t REG_SZ /d IPAPGothic || exit 1
  reg "$replacements" /v 'ＭＳ ゴシック' /t REG_SZ /d IPAGothic || exit 1
  reg "$replacements" /v 'MS Gothic' /t REG_SZ /d IPAGothic || exit 1
  # Dialogs and message boxes draw with Tahoma; link it to a font that has Japanese glyphs.
  reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
    /v Tahoma /t REG_MULTI_SZ /d 'ipagp.ttf,IPAPGothic' || exit 1
  "$WINESERVER64" -w
  # Debian's Wine does not look for its own TrueType fonts where the package puts them.
  cp /usr/share/wine/fonts/*.ttf "$1/drive_c/windows/Fonts/" || exit 1
  # The profile folders are symlinks to $HOME; make them real folders inside the prefix.
  local link
  for link in "$1"/drive_c/users/*/{Desktop,Documents,Downloads,Music,Pictures,Videos,Templates}; do
    if [ -L "$link" ]; then
      rm "$link" && mkdir "$link" || exit 1
    fi
  done
)

# Makes build/NAME.XXXXXX for one run's prefix and private files, marked with this script's pid,
# and prints its path.
NewRunDir() {
  local dir
  dir=$(mktemp -d "$top/build/$1.XXXXXX")
  echo $$ >"$dir/owner.pid"
  echo "$dir"
}

# Run folders of scripts that were killed outright (their owner is gone): stop their wineserver
# and Xvfb, then delete them.
RemoveStaleRunDirs() {
  local dir pid xvfb
  for dir in "$top"/build/wine-test.* "$top"/build/wine-shot.* "$top"/build/wine-bench.*; do
    [ -d "$dir" ] || continue
    pid=$(cat "$dir/owner.pid" 2>/dev/null || true)
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
      continue
    fi
    xvfb=$(cat "$dir/xvfb.pid" 2>/dev/null || true)
    if [ -n "$xvfb" ] && grep -q Xvfb "/proc/$xvfb/cmdline" 2>/dev/null; then
      kill "$xvfb" 2>/dev/null || true
    fi
    if [ -d "$dir/prefix" ]; then
      WINEPREFIX=$dir/prefix timeout 30 "$WINESERVER64" -k 2>/dev/null || true
    fi
    StopPrinters "$dir"
    rm -rf "$dir"
  done
}

# Copies the template into a new folder.
CopyWineTemplate() {
  local dest=$1
  cp -a "$top/build/wine-template/prefix" "$dest"
}

# Starts a private Xvfb and sets XVFB_PID and DISPLAY. The display number is drawn at random from
# a high range, not the lowest free one: runs of other people on this machine that start at the
# same moment would otherwise both take :0, and the later one deletes the earlier one's socket, so
# every window created after that fails. Xvfb says on -displayfd when it is ready; a number that
# turns out to be taken makes it exit, and another number is tried.
StartXvfb() {
  local attempt fifo number started
  for attempt in 1 2 3 4 5 6 7 8; do
    number=$((200 + RANDOM % 700))
    [ -e "/tmp/.X$number-lock" ] && continue
    fifo=$(mktemp -u "${TMPDIR:-/tmp}/capslate-xvfb.XXXXXX")
    mkfifo "$fifo"
    Xvfb ":$number" -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -nolisten local -noreset \
      3>"$fifo" </dev/null >/dev/null 2>&1 &
    XVFB_PID=$!
    started=""
    read -r -t 30 started <"$fifo" || true
    rm -f "$fifo"
    if [ "$started" = "$number" ] && kill -0 "$XVFB_PID" 2>/dev/null; then
      export DISPLAY=:$number
      return 0
    fi
    StopXvfb
  done
  echo "Xvfb did not start" >&2
  return 1
}

StopXvfb() {
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
  fi
}

# Starts a persistent wineserver for $WINEPREFIX and warms the prefix up (services). With the
# desktop keeper program as argument (tests/win/DesktopKeeper.cpp), also starts the desktop process
# (explorer.exe, which holds the desktop and the clipboard bridge to X), detached from our output,
# and waits until it is ready; it then lives until StopWine.
StartWine() {
  "$WINESERVER64" -p
  timeout 120 "$WINE64" wineboot </dev/null >/dev/null 2>&1
  if [ $# -gt 0 ]; then
    local out=$WINEPREFIX/desktop-keeper.log i
    "$WINE64" "$1" </dev/null >"$out" 2>&1 &
    disown
    for ((i = 0; i < 300; i++)); do
      grep -q '^ready' "$out" && return 0
      sleep 0.1
    done
    echo "the Wine desktop did not start: $(cat "$out")" >&2
    return 1
  fi
}

StopWine() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    timeout 30 "$WINESERVER64" -k 2>/dev/null || true
  fi
}

# SetWineDpi DPI: the screen resolution that Wine gives the programs of $WINEPREFIX (its
# LogPixels setting, which Wine 8 reads from HKCU\Control Panel\Desktop). Call it with Wine
# stopped (StopWine); the programs started after the next StartWine see it. The template prefix
# has Wine's default, 96 DPI.
SetWineDpi() {
  timeout 60 "$WINE64" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    </dev/null >/dev/null 2>&1 || return 1
  # The registry reaches the prefix's files when the server that reg started has ended.
  timeout 30 "$WINESERVER64" -w
}

# Printing tests print for real: CUPS with the cups-pdf printer, which writes each job as a PDF.
# StartPrinters RUN_DIR makes two printers for this run, one with A4 and one with A3 paper, each
# writing its jobs into RUN_DIR/pdf/<printer>, and exports their names (CAPSLATE_TEST_PRINTERS,
# separated by ";") and the folder (CAPSLATE_TEST_PDF_DIR) for the tests. cupsd is started when it
# is not running. Returns non-zero when the printers cannot be made.
#
# A cupsd that a run starts is recorded in CUPSD_STARTED (its pid), and StopPrinters stops it once
# no run's printers are left, whichever run that is: runs of several trees may overlap on this
# machine, and the last one out stops it. A cupsd that was running already (the system's own) is
# never stopped. The lock keeps one run from stopping cupsd while another starts or uses it.
CUPSD_STARTED=/run/capslate-cupsd.pid
CUPSD_LOCK=/run/lock/capslate-cupsd.lock

StartPrinters() {
  local lock rc=0
  mkdir -p "$(dirname "$CUPSD_LOCK")" && exec {lock}>"$CUPSD_LOCK" || return 1
  flock "$lock"
  AddPrinters "$1" || rc=1
  exec {lock}>&-
  return $rc
}

CupsRunning() {
  LC_ALL=C lpstat -r 2>/dev/null | grep -q 'is running'
}

AddPrinters() {
  local dir=$1 id size queue pid
  if ! CupsRunning; then
    mkdir -p /run/cups
    cupsd || return 1
    for _ in $(seq 1 50); do
      CupsRunning && break
      sleep 0.1
    done
    # cupsd writes the pid of the daemon it became there.
    pid=$(cat /run/cups/cupsd.pid 2>/dev/null || true)
    [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = cupsd ] && echo "$pid" >"$CUPSD_STARTED"
  fi
  id=$(basename "$dir" | tr -cd 'A-Za-z0-9' | tr 'A-Z' 'a-z')
  CAPSLATE_TEST_PRINTERS=
  for size in A4 A3; do
    queue=capslate-$id-${size,,}
    mkdir -p -m 1777 "$dir/pdf/$queue"
    # cups-pdf reads cups-pdf-<name>.conf for a printer whose device is cups-pdf:/<name>.
    printf 'Out %s\nAnonDirName %s\n' "$dir/pdf/$queue" "$dir/pdf/$queue" \
      >"/etc/cups/cups-pdf-$queue.conf" || return 1
    lpadmin -p "$queue" -v "cups-pdf:/$queue" -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd \
      -o "PageSize=$size" -E 2>/dev/null || return 1
    CAPSLATE_TEST_PRINTERS+="${CAPSLATE_TEST_PRINTERS:+;}$queue"
  done
  export CAPSLATE_TEST_PRINTERS CAPSLATE_TEST_PDF_DIR=$dir/pdf
}

# Removes the printers StartPrinters made for RUN_DIR, and stops the cupsd a run started when no
# run's printers remain.
StopPrinters() {
  local id queue lock pid
  mkdir -p "$(dirname "$CUPSD_LOCK")" && exec {lock}>"$CUPSD_LOCK" || return 0
  flock "$lock"
  id=$(basename "$1" | tr -cd 'A-Za-z0-9' | tr 'A-Z' 'a-z')
  for queue in capslate-$id-a4 capslate-$id-a3; do
    lpadmin -x "$queue" 2>/dev/null || true
    rm -f "/etc/cups/cups-pdf-$queue.conf"
  done
  pid=$(cat "$CUPSD_STARTED" 2>/dev/null || true)
  if [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = cupsd ]; then
    if ! LC_ALL=C lpstat -e 2>/dev/null | grep -q '^capslate-'; then
      kill "$pid" 2>/dev/null || true
      for _ in $(seq 1 50); do
        [ -e "/proc/$pid" ] || break
        sleep 0.1
      done
      [ -e "/proc/$pid" ] || rm -f "$CUPSD_STARTED"
    fi
  elif [ -n "$pid" ]; then
    rm -f "$CUPSD_STARTED"  # it has gone already
  fi
  exec {lock}>&-
}
