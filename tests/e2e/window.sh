#!/usr/bin/env bash
# The setup program as a user sees it, under a virtual X display: the window
# with its title, size, picture, white panel and "Install" button; a click on
# the button, the button drawn pressed, the blinking progress banner, the
# success box, Return; then the window again, now offering "Remove"; a click,
# the pressed button, the restart box, Return; and the machine before and
# after each. In the 64-bit prefix also the operating-system line under
# several per-program Windows version settings. Screenshots of each stage go
# to <build>/e2e/screenshots/.
#
#   window.sh WINDOWS_BUILD_DIR
set -uo pipefail
# shellcheck source=lib/e2e.sh
source "$(dirname "$0")/lib/e2e.sh"
e2e_init window "${1:-}"

shots="$E2E_WORK/screenshots"
mkdir -p "$shots"
# Only this run's pictures: some stages are not caught on every run.
rm -f "$shots"/*.png
background_bmp="$E2E_BUILD/res/background.bmp"

# The layout, in client coordinates: the 900x424 picture, the 100-pixel white
# panel under it, and the 300x60 button at its right (580,444)-(880,504).
PICTURE_W=900
PICTURE_H=424
PANEL_H=100
BUTTON_L=580 BUTTON_T=444 BUTTON_R=880 BUTTON_B=504
# Inside the button's outline, where its label is looked for.
LABEL_X=$((BUTTON_L + 4)) LABEL_Y=$((BUTTON_T + 4))
LABEL_W=$((BUTTON_R - BUTTON_L - 8)) LABEL_H=$((BUTTON_B - BUTTON_T - 8))
# The progress banner in the button's place: "Installing" centred in the
# banner less its bottom 15 rows, the status line in its bottom 20.
INSTALLING_B=$((BUTTON_B - 15))
STATUS_T=$((BUTTON_B - 20))
# The operating-system line over the picture's lower left; its top is fixed.
OS_LINE_L=20 OS_LINE_T=400 OS_LINE_R=$((PICTURE_W - 160)) OS_LINE_B=$PICTURE_H
TITLE_PATTERN='^Kelvane Brevik Installation \(Version 1\.0\.0\.7\)$'

# find_window PATTERN: the X window id of the first window whose name matches.
find_window() {
  WIN_ID="$(xdotool search --name "$1" 2>/dev/null | head -n 1)"
  [ -n "$WIN_ID" ]
}

# The window's outer size that the frame formula gives: the picture plus
# twice the border (border width and padded border width of the system's
# non-client metrics) wide, and the picture, twice the border, the caption
# height and the panel high.
expected_outer_size() {
  local border caption
  border="$(probe metrics | sed -n 's/^nc_border=//p')"
  caption="$(probe metrics | sed -n 's/^nc_caption=//p')"
  [ -n "$border" ] && [ -n "$caption" ] || return 1
  echo "$((PICTURE_W + 2 * border))x$((PICTURE_H + 2 * border + caption + PANEL_H))"
}

# pixel FILE X Y: the colour of one pixel as #RRGGBB.
pixel() {
  convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-Fa-f]\{6\}' | head -n 1
}

# client_pixel FILE X Y: the same, at client coordinates of the setup window.
client_pixel() { pixel "$1" $((OX + $2)) $((OY + $3)); }

# crop FILE W H X Y OUT: a part of a screenshot at client coordinates.
crop() { convert "$1" -crop "$2x$3+$((OX + $4))+$((OY + $5))" +repage "$6" 2>/dev/null; }

# differing_pixels A B: how many pixels of two same-sized pictures differ.
differing_pixels() { compare -metric AE "$1" "$2" null: 2>&1 >/dev/null | cut -d' ' -f1; }

screenshot() { import -window root "$1" 2>/dev/null; }

# press_return_in_box ID: gives the message box the keyboard focus and
# presses Return, as a user confirming it would.
press_return_in_box() {
  xdotool windowfocus --sync "$1" >/dev/null 2>&1 || true
  xdotool key --clearmodifiers Return
}

# a banner point not hidden by the box (BOX_X BOX_Y BOX_W BOX_H, screen).
banner_point_outside_box() {
  local x y
  for x in $((BUTTON_L + 12)) $((BUTTON_R - 12)) $(((BUTTON_L + BUTTON_R) / 2)); do
    for y in $((BUTTON_T + 8)) $((BUTTON_B - 8)); do
      if ! ((OX + x >= BOX_X && OX + x < BOX_X + BOX_W && OY + y >= BOX_Y && OY + y < BOX_Y + BOX_H)); then
        BX=$x BY=$y
        return 0
      fi
    done
  done
  return 1
}

# box_geometry ID: BOX_X BOX_Y BOX_W BOX_H of an X window.
box_geometry() {
  local X Y WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
  BOX_X=$X BOX_Y=$Y BOX_W=$WIDTH BOX_H=$HEIGHT
}

# check_window_stage STAGE LABEL_SHOT: the window just opened: its title,
# size, picture, panel and button; saves the screenshot as STAGE.
check_window_stage() {
  local stage="$1" shot="$shots/$1-$E2E_ARCH.png"
  check "$stage: window \"$E2E_TITLE\" found by its title (xdotool)" wait_until 60 find_window "$TITLE_PATTERN"
  check "$stage: window known to Windows" wait_until 30 read_setup_window
  expect_eq "$stage: window title" "$E2E_TITLE" "${SETUP_TITLE:-}"
  expect_eq "$stage: window visible" 1 "${SETUP_VISIBLE:-}"
  [ -n "${OX:-}" ] && [ -n "${CLIENT_W:-}" ] || return
  expect_eq "$stage: outer size from the picture, the panel and the frame metrics" \
    "$(expected_outer_size)" "$SETUP_OUTER"
  # The frame formula does not always match the frame that the system
  # draws (under Wine the client area comes out a few pixels short of
  # 900x524), so what must hold is that the picture's height, the panel's
  # texts and the whole button are inside the client area.
  echo "     [$E2E_ARCH] $stage: client area $SETUP_CLIENT (picture and panel: ${PICTURE_W}x$((PICTURE_H + PANEL_H)))"
  check "$stage: client area holds the picture's height and the whole button ($SETUP_CLIENT)" \
    test "$CLIENT_W" -gt "$BUTTON_R" -a "$CLIENT_H" -gt "$BUTTON_B" -a "$CLIENT_H" -gt "$PICTURE_H"
  # Painted once the panel is white.
  panel_painted() { screenshot "$shot" && [ "$(client_pixel "$shot" 10 $((BUTTON_B + 4)))" = "#FFFFFF" ]; }
  wait_until 20 panel_painted
  check "$stage: screenshot $shot" test -s "$shot"
  expect_eq "$stage: white panel under the picture" "#FFFFFF #FFFFFF #FFFFFF" \
    "$(client_pixel "$shot" 2 $((PICTURE_H + 2))) $(client_pixel "$shot" 400 $((BUTTON_B + 4))) $(client_pixel "$shot" $((BUTTON_L - 10)) $((BUTTON_T + 2)))"
  # The picture above the operating-system line holds nothing else: it
  # matches the bitmap, as far as the client area shows it.
  local width=$((CLIENT_W < PICTURE_W ? CLIENT_W : PICTURE_W))
  crop "$shot" "$width" 390 0 0 "$shots/.$stage-picture.png"
  convert "$background_bmp" -crop "${width}x390+0+0" +repage "$shots/.bitmap-picture.png" 2>/dev/null
  expect_eq "$stage: picture drawn from bitmap 101 (differing pixels of ${width}x390)" 0 \
    "$(differing_pixels "$shots/.$stage-picture.png" "$shots/.bitmap-picture.png")"
  expect_eq "$stage: button outline black, inside white" "#000000 #000000 #FFFFFF" \
    "$(client_pixel "$shot" "$BUTTON_L" $(((BUTTON_T + BUTTON_B) / 2))) $(client_pixel "$shot" $(((BUTTON_L + BUTTON_R) / 2)) "$BUTTON_B") $(client_pixel "$shot" $((BUTTON_L + 6)) $((BUTTON_T + 6)))"
  # The label: the black text's bounding box, centred in the button.
  local label="$shots/.$stage-$E2E_ARCH-label.png" inner_w=$((BUTTON_R - BUTTON_L - 8)) inner_h=$((BUTTON_B - BUTTON_T - 8))
  crop "$shot" "$inner_w" "$inner_h" $((BUTTON_L + 4)) $((BUTTON_T + 4)) "$label"
  local box
  box="$(convert "$label" -negate -trim -format '%w %h %X %Y' info: 2>/dev/null)"
  local w h x y
  read -r w h x y <<<"$box"
  if [ -n "${w:-}" ] && [ "$w" -gt 20 ] && [ "$w" -lt "$inner_w" ]; then
    local dx=$((2 * ${x#+} + w - inner_w)) dy=$((2 * ${y#+} + h - inner_h))
    check "$stage: button label ${w}x$h, centred in the button (offsets $((dx / 2)),$((dy / 2)))" \
      test "${dx#-}" -le 6 -a "${dy#-}" -le 6
  else
    fail "$stage: no button label found (text box [$box])"
  fi
}

# --- The pressed button and the progress banner ---------------------------------
#
# The pressed look is drawn on the mouse press, 200 ms before the procedure
# starts: the install then runs on a worker and the timer soon draws the
# banner over it; the uninstall runs on the window's own thread, so nothing
# draws over the pressed button until the restart box appears. Each is
# caught by polling quick screenshots, never by sleeping a guessed time.

# Seconds to watch the button's place once a box that hid it is moved aside.
PRESS_WATCH_SECONDS=3
# Solid label pixels that may differ between the released and the pressed
# label (none did under Wine 8).
CORE_TOLERANCE=4

# now_ms: the wall clock in milliseconds.
now_ms() {
  local t="${EPOCHREALTIME//[.,]/}"
  echo $((t / 1000))
}

# quick_screenshot FILE.ppm: the whole screen, uncompressed: about 60 ms, a
# quarter of a PNG's time, short enough to catch a look lasting 200 ms.
quick_screenshot() { import -window root "$1" 2>/dev/null; }

# text_core SHOT X Y W H OUT [white]: the pixels of a part of the client area
# that are exactly black (with white: exactly white), as black on white.
# The anti-aliased edges are left out: the system shades them differently
# for black-on-white and white-on-black text, the fully covered pixels not.
text_core() {
  local negate=()
  [ "${7:-}" = white ] && negate=(-negate)
  convert "$1" -crop "$4x$5+$((OX + $2))+$((OY + $3))" +repage "${negate[@]}" -threshold 0 "$6" 2>/dev/null
}

# black_count IMAGE: how many pixels of a black-and-white picture are black.
black_count() { convert "$1" -format '%[fx:round((1-mean)*w*h)]' info: 2>/dev/null; }

# ink_box IMAGE: "W H X Y" of the black pixels' bounding box in a
# black-and-white picture.
ink_box() { convert "$1" -trim -format '%w %h %X %Y' info: 2>/dev/null | tr -d '+'; }

# outside_button SHOT OUT: the client area with the button's place blacked
# out: what no procedure step redraws.
outside_button() {
  convert "$1" -crop "${CLIENT_W}x$CLIENT_H+$OX+$OY" +repage -fill black \
    -draw "rectangle $((BUTTON_L - 1)),$((BUTTON_T - 1)) $((BUTTON_R + 1)),$((BUTTON_B + 1))" "$2" 2>/dev/null
}

# stage_reference STAGE: from the stage's screenshot of the released button,
# its label's solid pixels (REFERENCE_CORE) and the rest of the client area
# (REFERENCE_OUTSIDE).
stage_reference() {
  REFERENCE_CORE="$shots/.$1-$E2E_ARCH-core.png"
  REFERENCE_OUTSIDE="$shots/.$1-$E2E_ARCH-outside.png"
  text_core "$shots/$1-$E2E_ARCH.png" "$LABEL_X" "$LABEL_Y" "$LABEL_W" "$LABEL_H" "$REFERENCE_CORE"
  outside_button "$shots/$1-$E2E_ARCH.png" "$REFERENCE_OUTSIDE"
}

# outside_intact SHOT: the client area around the button as the stage's
# screenshot shows it: no box, nor what a box that just moved away left
# behind before the window's part under it was restored.
outside_intact() {
  local outside="$shots/.look-outside.png"
  outside_button "$1" "$outside" && [ "$(differing_pixels "$outside" "$REFERENCE_OUTSIDE")" = 0 ]
}

# button_look SHOT: what the button's place shows: "pressed" (black, with
# the released label's solid pixels in white at their place), "installing"
# (black with other white text above the status line: the banner showing
# "Installing"), "banner" (black without it), or "released" (not black).
button_look() {
  local shot="$1" core="$shots/.look-core.png" differ
  if [ "$(client_pixel "$shot" $((BUTTON_L + 6)) $((BUTTON_T + 6)))" != "#000000" ]; then
    echo released
    return
  fi
  text_core "$shot" "$LABEL_X" "$LABEL_Y" "$LABEL_W" "$LABEL_H" "$core" white
  differ="$(differing_pixels "$core" "$REFERENCE_CORE")"
  if [[ "$differ" =~ ^[0-9]+$ ]] && [ "$differ" -le "$CORE_TOLERANCE" ]; then
    echo pressed
    return
  fi
  text_core "$shot" "$LABEL_X" "$LABEL_Y" "$LABEL_W" $((STATUS_T - LABEL_Y)) "$core" white
  if [ "$(black_count "$core")" -gt 100 ]; then echo installing; else echo banner; fi
}

# keep_look: keeps the current frame the first time it shows the pressed
# button (as pressed-STAGE-ARCH.png, in PRESSED_SHOT) or the banner showing
# "Installing" (as installing-ARCH.png, in INSTALLING_SHOT).
keep_look() {
  if [ "$LAST_LOOK" = pressed ] && [ -z "$PRESSED_SHOT" ]; then
    PRESSED_SHOT="$shots/pressed-$STAGE-$E2E_ARCH.png"
    convert "$FRAME" "$PRESSED_SHOT"
  elif [ "$LAST_LOOK" = installing ] && [ -z "$INSTALLING_SHOT" ]; then
    INSTALLING_SHOT="$shots/installing-$E2E_ARCH.png"
    convert "$FRAME" "$INSTALLING_SHOT"
  fi
}

# watch_button LOOKS BOX_PATTERN SECONDS: quick screenshots until the
# button's place shows one of LOOKS (words of button_look) with nothing over
# the rest of the window, a window named by BOX_PATTERN (none when empty)
# appears, or SECONDS pass. Leaves the last look in LAST_LOOK ("covered"
# when something lay over the window) and the box's X window in BOX_ID;
# fails unless a look of LOOKS was seen. A screenshot taken when the box may
# already be up is not read.
watch_button() {
  local looks=" $1 " pattern="$2" deadline=$(($(now_ms) + $3 * 1000))
  while [ "$(now_ms)" -lt "$deadline" ]; do
    quick_screenshot "$FRAME" || continue
    if [ -n "$pattern" ]; then
      BOX_ID="$(xdotool search --name "$pattern" 2>/dev/null | head -n 1)"
      [ -z "$BOX_ID" ] || return 1
    fi
    LAST_LOOK="$(button_look "$FRAME")"
    [ "$LAST_LOOK" = released ] || outside_intact "$FRAME" || LAST_LOOK=covered
    keep_look
    [[ "$looks" != *" $LAST_LOOK "* ]] || return 0
  done
  return 1
}

# uncover_button LOOKS: moves the box BOX_ID below the window, where it
# hides nothing of it, then watches the button's place for one of LOOKS for
# up to PRESS_WATCH_SECONDS. Wine restores the uncovered part from its copy
# of what the window drew, without asking the window to paint it anew.
uncover_button() {
  local x=$OX y=$((OY + CLIENT_H + 40)) X Y deadline=$(($(now_ms) + PRESS_WATCH_SECONDS * 1000))
  # Moved again should the system still be placing the box when it first shows.
  while [ "$(now_ms)" -lt "$deadline" ]; do
    xdotool windowmove --sync "$BOX_ID" "$x" "$y" >/dev/null 2>&1
    eval "$(xdotool getwindowgeometry --shell "$BOX_ID" 2>/dev/null | grep -E '^(X|Y)=')"
    if [ "${X:-}" = "$x" ] && [ "${Y:-}" = "$y" ]; then
      watch_button "$1" "" "$PRESS_WATCH_SECONDS"
      return
    fi
  done
  return 1
}

# press_button STAGE BOX_PATTERN LOOKS: presses the mouse button over the
# action button, watches the button's place until it shows one of LOOKS or
# the procedure's box BOX_PATTERN appears, then releases it. The window's
# drawing reaches the X screen only when its thread next takes messages:
# for the install after the 200 ms pause, until the timer draws the banner
# over it; for the uninstall, which runs on the window's thread, only
# together with the restart box, which hides most of the button: a box that
# comes first is moved aside and the button read from what it uncovered.
# Leaves PRESSED_SHOT (empty when not caught), INSTALLING_SHOT when the
# banner showed "Installing", LAST_LOOK and BOX_ID.
press_button() {
  STAGE="$1" FRAME="$shots/.frame.ppm"
  PRESSED_SHOT="" INSTALLING_SHOT="" LAST_LOOK="none" BOX_ID=""
  rm -f "$FRAME"
  stage_reference "$STAGE"
  xdotool mousemove $((OX + (BUTTON_L + BUTTON_R) / 2)) $((OY + (BUTTON_T + BUTTON_B) / 2)) mousedown 1
  watch_button "$3" "$2" "$E2E_RUN_TIMEOUT"
  xdotool mouseup 1
  [ -z "$BOX_ID" ] || uncover_button "$3"
}

# keep_missed: when no screenshot showed the pressed button, keeps the last
# one taken as pressed-STAGE-ARCH-missed.png, for a look at what showed.
keep_missed() {
  [ -n "$PRESSED_SHOT" ] || [ ! -s "$FRAME" ] || convert "$FRAME" "$shots/pressed-$STAGE-$E2E_ARCH-missed.png"
}

# check_pressed_look STAGE: the kept screenshot of the pressed button, by
# pixels at the layout's places: filled black inside its black outline, the
# panel white around it, and the label in white: the released label's solid
# pixels, no more and no fewer.
check_pressed_look() {
  local stage="$1" shot="$PRESSED_SHOT" core="$shots/.$1-$E2E_ARCH-pressed-core.png"
  local mid_x=$(((BUTTON_L + BUTTON_R) / 2)) mid_y=$(((BUTTON_T + BUTTON_B) / 2))
  expect_eq "$stage: pressed button black inside and on its outline, panel white around it ($shot)" \
    "#000000 #000000 #000000 #000000 #FFFFFF #FFFFFF" \
    "$(client_pixel "$shot" "$BUTTON_L" "$mid_y") $(client_pixel "$shot" "$mid_x" "$BUTTON_B") $(client_pixel "$shot" $((BUTTON_L + 6)) $((BUTTON_T + 6))) $(client_pixel "$shot" $((BUTTON_R - 6)) $((BUTTON_B - 6))) $(client_pixel "$shot" $((BUTTON_L - 4)) "$mid_y") $(client_pixel "$shot" "$mid_x" $((BUTTON_B + 4)))"
  text_core "$shot" "$LABEL_X" "$LABEL_Y" "$LABEL_W" "$LABEL_H" "$core" white
  local white released differ
  white="$(black_count "$core")"
  released="$(black_count "$REFERENCE_CORE")"
  differ="$(differing_pixels "$core" "$REFERENCE_CORE")"
  check "$stage: pressed label white, the released label's $released solid pixels at their place ($white white, $differ differ)" \
    test "${released:-0}" -gt 100 -a "${differ:-99999}" -le "$CORE_TOLERANCE"
}

# watch_for_installing: after press_button on "Install", quick screenshots
# until the banner shows "Installing" or the success box appears; a box
# is moved aside and the banner it covered read. The banner is drawn on
# timer ticks 500 ms apart, "Installing" on every other one, and a fast
# install may end before the first tick, so a run may not show it at all.
watch_for_installing() {
  [ -z "$INSTALLING_SHOT" ] || return 0
  if [ -z "$BOX_ID" ]; then
    watch_button installing '^Brevik Installation$' "$E2E_RUN_TIMEOUT" && return 0
  fi
  [ -z "$BOX_ID" ] || uncover_button "pressed installing banner"
}

# check_installing_banner: the kept banner, by pixels: black inside and on
# its outline, and "Installing" in white, centred in the banner less its
# bottom 15 rows.
check_installing_banner() {
  local shot="$INSTALLING_SHOT" core="$shots/.installing-core.png"
  local mid_x=$(((BUTTON_L + BUTTON_R) / 2)) mid_y=$(((BUTTON_T + BUTTON_B) / 2))
  expect_eq "install: banner black inside and on its outline ($shot)" "#000000 #000000 #000000 #000000" \
    "$(client_pixel "$shot" "$BUTTON_L" "$mid_y") $(client_pixel "$shot" "$mid_x" "$BUTTON_T") $(client_pixel "$shot" $((BUTTON_L + 6)) $((BUTTON_T + 6))) $(client_pixel "$shot" $((BUTTON_R - 6)) $((BUTTON_B - 6)))"
  text_core "$shot" "$LABEL_X" "$BUTTON_T" "$LABEL_W" $((STATUS_T - BUTTON_T)) "$core" white
  local w h x y
  read -r w h x y <<<"$(ink_box "$core")"
  if [ -n "${y:-}" ] && [ "$w" -gt 100 ]; then
    # Client coordinates of the text's centre, against the rectangle's.
    local dx=$((2 * (LABEL_X + x) + w - BUTTON_L - BUTTON_R)) dy=$((2 * (BUTTON_T + y) + h - BUTTON_T - INSTALLING_B))
    check "install: \"Installing\" ${w}x$h in white, centred above the status line (offsets $((dx / 2)),$((dy / 2)))" \
      test "${dx#-}" -le 6 -a "${dy#-}" -le 6
  else
    fail "install: no \"Installing\" text in the banner (text box [$w $h $x $y])"
  fi
}

# --- The operating-system line under several Windows versions --------------------

# The per-program Windows version settings tried, and where Wine reads them
# when a program starts.
OS_VERSIONS=(winxp vista win7 win2008r2 win8 win10)
APP_DEFAULTS_KEY='HKCU\Software\Wine\AppDefaults'
# What Wine 8 reports for each, as the class the program makes of it: used
# only when the reporting program of the Windows tests was not built.
declare -A WINE8_OS_CLASS=([winxp]=1 [vista]=3 [win7]=3 [win2008r2]=4 [win8]=5 [win10]=5)
declare -A OS_LINE_TEXT=([1]='O/S: WIN XP' [3]='O/S: VISTA' [4]='O/S: WIN7' [5]='O/S: WIN8')
OS_CLASS_REPORT_EXE="$E2E_BUILD/bin/os_class_report.exe"

# set_program_version PROGRAM VERSION: the Windows version Wine gives PROGRAM
# (a file name); clear_program_version PROGRAM takes the setting away.
set_program_version() {
  wine reg add "$APP_DEFAULTS_KEY\\$1" /v Version /d "$2" /f >/dev/null 2>&1
}
clear_program_version() {
  wine reg delete "$APP_DEFAULTS_KEY\\$1" /f >/dev/null 2>&1
}

# reported_os_class VERSION: "major.minor type T class C" as the version
# service answers a 32-bit program under that setting, read by the
# reporting program of the Windows tests; empty when that is not built.
reported_os_class() {
  [ -f "$OS_CLASS_REPORT_EXE" ] || return 0
  set_program_version os_class_report.exe "$1"
  local major minor type class
  read -r major minor type class < <(wine "$OS_CLASS_REPORT_EXE" 2>/dev/null | tr -d '\r')
  clear_program_version os_class_report.exe
  [ -n "${class:-}" ] && echo "$major.$minor type $type class $class"
}

# distinct A B ... [-- C D ...]: each group's values are all given and
# differ pairwise.
distinct() {
  local -A seen=()
  local value
  for value in "$@"; do
    if [ "$value" = -- ]; then
      seen=()
      continue
    fi
    [ -n "$value" ] || return 1
    [ -n "${seen[$value]:-}" ] && return 1
    seen[$value]=1
  done
  return 0
}

# check_os_lines: for each version setting, the program started visibly, its
# operating-system line cropped (kept as os-line-VERSION.png) and checked for
# dark text at the line's top left; then closed, which ends it with 0. The
# crops of settings the program classes alike are identical, the others
# differ.
check_os_lines() {
  local version report class pid shot crop_file core w h x y count
  declare -A class_of=() crop_of=()
  local classes=()
  for version in "${OS_VERSIONS[@]}"; do
    report="$(reported_os_class "$version")"
    if [ -n "$report" ]; then
      class="${report##* }"
    else
      class="${WINE8_OS_CLASS[$version]}"
      report="not measured (os_class_report.exe not built): Wine 8 gives class $class"
    fi
    echo "     [$E2E_ARCH] os-line $version: $report, shown as \"${OS_LINE_TEXT[$class]:-O/S: unknown}\""
    set_program_version BrevikSetup.exe "$version"
    e2e_background "$SETUP_EXE"
    pid="$BG_PID"
    if ! wait_until 60 find_window "$TITLE_PATTERN" || ! wait_until 30 read_setup_window; then
      fail "os-line $version: window did not appear"
      probe close >/dev/null
      wait_pid_exit "$pid" 30
      continue
    fi
    shot="$shots/.os-line-$version.png"
    panel_painted() { screenshot "$shot" && [ "$(client_pixel "$shot" 10 $((BUTTON_B + 4)))" = "#FFFFFF" ]; }
    check "os-line $version: window painted" wait_until 20 panel_painted
    crop_file="$shots/os-line-$version.png"
    crop "$shot" $((OS_LINE_R - OS_LINE_L)) $((OS_LINE_B - OS_LINE_T)) "$OS_LINE_L" "$OS_LINE_T" "$crop_file"
    # Dark: below half intensity; the picture there is light (over 85 %).
    core="$shots/.os-line-$version-core.png"
    convert "$crop_file" -threshold 50% "$core" 2>/dev/null
    count="$(black_count "$core")"
    read -r w h x y <<<"$(ink_box "$core")"
    check "os-line $version: ${count:-no} dark text pixels at the line's top left (text box ${w:-?}x${h:-?} at +${x:-?}+${y:-?}) in $crop_file" \
      test "${count:-0}" -gt 50 -a "${x:-99}" -le 4 -a "${y:-99}" -le 6 -a "${h:-0}" -ge 8
    probe close >/dev/null
    wait_pid_exit "$pid" 60
    expect_eq "os-line $version: closed while idle, exit code" 0 "$RC"
    [ -n "${crop_of[$class]:-}" ] || classes+=("$class")
    class_of[$version]="$class"
    crop_of[$class]="${crop_of[$class]:-$version}"
    if [ "${crop_of[$class]}" != "$version" ]; then
      expect_eq "os-line $version: same line as ${crop_of[$class]} (class $class), differing pixels" 0 \
        "$(differing_pixels "$crop_file" "$shots/os-line-${crop_of[$class]}.png")"
    fi
  done
  clear_program_version BrevikSetup.exe
  check "the version setting of BrevikSetup.exe removed" eval "! wine reg query '$APP_DEFAULTS_KEY\\BrevikSetup.exe' >/dev/null 2>&1"
  local i j a b differ
  for ((i = 0; i < ${#classes[@]}; i++)); do
    for ((j = i + 1; j < ${#classes[@]}; j++)); do
      a="${crop_of[${classes[i]}]}" b="${crop_of[${classes[j]}]}"
      differ="$(differing_pixels "$shots/os-line-$a.png" "$shots/os-line-$b.png")"
      check "os-line: $a (class ${classes[i]}) and $b (class ${classes[j]}) differ ($differ pixels)" \
        test "${differ:-0}" -gt 50
    done
  done
  # Whatever Wine makes of each setting, 5.1, 6.0 and 6.2 fall in three
  # classes and the two 6.1 settings (one a workstation, one a server) in
  # two: else a setting did not take effect and the comparisons prove little.
  check "os-line: the settings took effect (classes: winxp ${class_of[winxp]:-?}, vista ${class_of[vista]:-?}, win8 ${class_of[win8]:-?} distinct; win7 ${class_of[win7]:-?}, win2008r2 ${class_of[win2008r2]:-?} distinct)" \
    distinct "${class_of[winxp]:-}" "${class_of[vista]:-}" "${class_of[win8]:-}" -- "${class_of[win7]:-}" "${class_of[win2008r2]:-}"
}

e2e_start_xvfb || {
  e2e_finish
  exit 1
}
pass "virtual display $DISPLAY (1280x1024x24)"

for arch in win64 win32; do
  e2e_prefix "$arch" x11 || continue

  # --- Install ---
  e2e_background "$SETUP_EXE"
  setup_pid="$BG_PID"
  check_window_stage install
  check "install: nothing installed before the click" test ! -e "$TARGET"
  label_install="$shots/.install-$E2E_ARCH-label.png"

  press_button install '^Brevik Installation$' "pressed installing banner"
  press_look="$LAST_LOOK"
  watch_for_installing
  keep_missed
  if [ -n "$PRESSED_SHOT" ]; then
    check_pressed_look install
  else
    # The first tick of the banner's timer may come at once after the pause.
    echo "     [$E2E_ARCH] install: pressed look not caught (the button's place showed: $press_look)"
  fi
  if [ -n "$INSTALLING_SHOT" ]; then
    check_installing_banner
  else
    echo "     [$E2E_ARCH] install: \"Installing\" not seen (the install may end before the banner's first tick; last look: $LAST_LOOK)"
  fi
  check "install: success box \"Brevik Installation\" shown" wait_until 120 find_window '^Brevik Installation$'
  box="${WIN_ID:-}"
  if [ -n "$box" ]; then
    shot="$shots/install-done-$E2E_ARCH.png"
    sleep 0.5
    screenshot "$shot"
    box_geometry "$box"
    if banner_point_outside_box; then
      expect_eq "install: the progress banner (black) in the button's place" "#000000" "$(client_pixel "$shot" "$BX" "$BY")"
    else
      fail "install: the success box hides the whole banner"
    fi
    press_return_in_box "$box"
  fi
  wait_pid_exit "$setup_pid" 60
  expect_eq "install: program ended after Return, exit code" 0 "$RC"
  check_installed

  # --- Remove ---
  e2e_background "$SETUP_EXE"
  setup_pid="$BG_PID"
  check_window_stage remove
  label_remove="$shots/.remove-$E2E_ARCH-label.png"
  differ="$(differing_pixels "$label_install" "$label_remove")"
  check "remove: the button label changed (Install -> Remove, $differ pixels differ)" test "${differ:-0}" -gt 100

  press_button remove '^REBOOT YOUR SYSTEM$' pressed
  keep_missed
  check "remove: pressed button seen (last look: $LAST_LOOK)" test -n "$PRESSED_SHOT"
  [ -n "$PRESSED_SHOT" ] && check_pressed_look remove
  check "remove: restart box \"REBOOT YOUR SYSTEM\" shown" wait_until 120 find_window '^REBOOT YOUR SYSTEM$'
  box="${WIN_ID:-}"
  if [ -n "$box" ]; then
    sleep 0.5
    screenshot "$shots/remove-done-$E2E_ARCH.png"
    press_return_in_box "$box"
  fi
  wait_pid_exit "$setup_pid" 60
  expect_eq "remove: program ended after Return, exit code" 0 "$RC"
  check_removed

  # --- The operating-system line under several version settings ---
  [ "$arch" = win64 ] && check_os_lines
done

rm -f "$shots"/.*.png "$shots"/.*.ppm
e2e_finish
