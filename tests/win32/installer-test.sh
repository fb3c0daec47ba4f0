# shellcheck shell=bash
# The installer under Wine, sourced by scripts/test-windows.sh (root, out, version, pass, fail,
# check defined; the Wine prefix exported): a silent installation with the autostart chosen
# puts the programs, the Start-menu entry and the logon entry in place; the silent uninstaller
# takes them away and leaves the settings file. Then the two-folder case (below).
setup=$out/core/zrm58-$version-setup.exe
inst=$out/install-test
rm -rf "$inst"
mkdir -p "$inst"
inst_win=$(winepath -w "$inst" 2>/dev/null)
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
start_menu_entry() { find "$WINEPREFIX/drive_c/users" -name ZRM58.lnk 2>/dev/null | head -1; }

if [ ! -f "$setup" ]; then
  fail "installer: $setup was not built"
else
  wine "$setup" /S /AUTOSTART=1 "/D=$inst_win" >/dev/null 2>&1 || true
  check "installer: programs" "uninstall.exe zrm58-line.exe zrm58.exe" \
    "$(cd "$inst" && ls uninstall.exe zrm58-line.exe zrm58.exe 2>/dev/null | sort | tr '\n' ' ' | sed 's/ $//')"
  if [ -n "$(start_menu_entry)" ]; then pass; else fail "installer: no Start-menu entry"; fi
  if wine reg query "$run_key" /v ZRM58 2>/dev/null | grep -q 'zrm58.exe'; then
    pass
  else
    fail "installer: no logon entry with /AUTOSTART=1"
  fi
  printf '[Form]\r\nLeft=7\r\n' >"$inst/ZRM58.ini"
  # _?= runs the uninstaller in place and waits for it (it cannot delete itself then).
  wine "$inst/uninstall.exe" /S "_?=$inst_win" >/dev/null 2>&1 || true
  check "uninstaller: programs removed, settings kept" "ZRM58.ini uninstall.exe" \
    "$(cd "$inst" && ls | sort | tr '\n' ' ' | sed 's/ $//')"
  check "uninstaller: Start-menu entry removed" "" "$(start_menu_entry)"
  if wine reg query "$run_key" /v ZRM58 >/dev/null 2>&1; then
    fail "uninstaller: the logon entry stayed"
  else
    pass
  fi
fi

# One installation: a second installer run given another folder updates the first in place, and
# an uninstaller run from a stray copy elsewhere leaves the entries to the installed copy.
second=$out/install-test-2
stray=$out/install-test-stray
rm -rf "$inst" "$second" "$stray"
mkdir -p "$inst" "$second" "$stray"
second_win=$(winepath -w "$second" 2>/dev/null)
stray_win=$(winepath -w "$stray" 2>/dev/null)
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZRM58'
reg_value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_SZ *//p"; }
if [ -f "$setup" ]; then
  wine "$setup" /S /AUTOSTART=1 "/D=$inst_win" >/dev/null 2>&1 || true
  wine "$setup" /S /AUTOSTART=1 "/D=$second_win" >/dev/null 2>&1 || true
  check "second installation: updated in place, nothing in the other folder" "" \
    "$(ls "$second" 2>/dev/null)"
  check "second installation: the first folder's programs" "uninstall.exe zrm58-line.exe zrm58.exe" \
    "$(cd "$inst" && ls uninstall.exe zrm58-line.exe zrm58.exe 2>/dev/null | sort | tr '\n' ' ' | sed 's/ $//')"
  check "second installation: the logon entry" "\"$inst_win\\zrm58.exe\"" "$(reg_value "$run_key" ZRM58)"
  check "second installation: the Apps entry" "$inst_win" \
    "$(reg_value "$uninstall_key" InstallLocation)"
  # A copy of the uninstaller in another folder (as an older installer left one) run there.
  cp "$inst/uninstall.exe" "$stray/"
  wine "$stray/uninstall.exe" /S "_?=$stray_win" >/dev/null 2>&1 || true
  if [ -n "$(start_menu_entry)" ]; then pass; else fail "stray uninstaller: took the Start-menu entry"; fi
  check "stray uninstaller: the logon entry stays" "\"$inst_win\\zrm58.exe\"" \
    "$(reg_value "$run_key" ZRM58)"
  check "stray uninstaller: the Apps entry stays" "$inst_win" \
    "$(reg_value "$uninstall_key" InstallLocation)"
  wine "$inst/uninstall.exe" /S "_?=$inst_win" >/dev/null 2>&1 || true
  check "uninstaller of the installed copy: entries gone" "" \
    "$(start_menu_entry)$(reg_value "$run_key" ZRM58)$(reg_value "$uninstall_key" InstallLocation)"
fi
