# shellcheck shell=bash
# The installer under Wine, sourced by scripts/test-windows.sh (root, out, version, pass, fail,
# check defined; the Wine prefix exported): a silent installation with the autostart chosen
# puts the programs, the Start-menu entry and the logon entry in place; the silent uninstaller
# takes them away and leaves the settings file.
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
