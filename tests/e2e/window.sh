#!/usr/bin/env bash
# The setup program as a user sees it, under a virtual X display: the window
# with its title, size, picture, white panel and "Install" button; a click on
# the button, the success box, Return; then the window again, now offering
# "Remove"; a click, the restart box, Return; and the machine before and
# after each. Screenshots of each stage go to <build>/e2e/screenshots/.
#
#   window.sh WINDOWS_BUILD_DIR
set -uo pipefail
# shellcheck source=lib/e2e.sh
source "$(dirname "$0")/lib/e2e.sh"
e2e_init window "${1:-}"

shots="$E2E_WORK/screenshots"
mkdir -p "$shots"
background_bmp="$E2E_BUILD/res/background.bmp"

# The layout, in client coordinates: the 900x424 picture, the 100-pixel white
# panel under it, and the 300x60 button at its right (580,444)-(880,504).
PICTURE_W=900
PICTURE_H=424
PANEL_H=100
BUTTON_L=580 BUTTON_T=444 BUTTON_R=880 BUTTON_B=504
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

click_button() {
  xdotool mousemove $((OX + (BUTTON_L + BUTTON_R) / 2)) $((OY + (BUTTON_T + BUTTON_B) / 2)) click 1
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

  click_button
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

  click_button
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
done

rm -f "$shots"/.*.png
e2e_finish
