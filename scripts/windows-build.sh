# shellcheck shell=bash
# The Windows cross build and its Wine prefix, shared by scripts/test-windows.sh and the
# resource benchmark's Windows part. Source it with root set to the source tree; then
#   configure_windows_build   GoogleTest for the target (built once) and the mingw-w64 preset
#                             configured into build-win/core
#   prepare_wine_prefix DIR   a quiet private prefix in DIR, booted, with the fonts linked as a
#                             Japanese Windows has them; exports WINEPREFIX and Wine's settings
#   japanese_locale DIR       ja_JP.UTF-8 for the C library compiled into DIR (for LOCPATH)

windows_out=$root/build-win # the mingw-w64 preset builds into build-win/core

configure_windows_build() {
  local toolchain=$root/cmake/toolchains/mingw-w64-x86_64.cmake launcher=()
  if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  fi
  mkdir -p "$windows_out"
  # GoogleTest for the target, from the googletest package's sources, built once.
  local gtest=$windows_out/googletest
  if [ ! -f "$gtest/install/lib/cmake/GTest/GTestConfig.cmake" ]; then
    cmake -S /usr/src/googletest -B "$gtest/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$gtest/install" "${launcher[@]}" >/dev/null
    cmake --build "$gtest/build" -j"$(nproc)" >/dev/null
    cmake --install "$gtest/build" >/dev/null
  fi
  # The core, its tests, the programs: CMakePresets.json's mingw-w64 preset.
  (cd "$root" && cmake --preset mingw-w64 "${launcher[@]}" >/dev/null)
}

prepare_wine_prefix() {
  # A private prefix, quiet, without the .NET and HTML engines it would offer to download.
  export WINEPREFIX=$1
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true # the prefix's first boot has settled
  # The prefix's fonts as a Japanese Windows has them: Wine's own Tahoma (captions, message
  # boxes, the system's dialogs) has no Japanese, so it is linked to the Noto CJK font (Debian's
  # fonts-noto-cjk, which Wine finds through fontconfig), as Windows links its UI fonts.
  local font_link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' face
  for face in Tahoma 'MS Shell Dlg' 'MS Shell Dlg 2' 'Microsoft Sans Serif'; do
    wine reg add "$font_link" /v "$face" /t REG_MULTI_SZ /d 'NotoSansCJK-Regular.ttc,Noto Sans CJK JP' /f \
      >/dev/null 2>&1 || true
  done
}

japanese_locale() {
  # Wine takes the user locale from the host's; a private locale directory (LOCPATH) gives it
  # ja_JP without touching the system's locales.
  if [ ! -d "$1/ja_JP.UTF-8" ]; then
    mkdir -p "$1"
    localedef -i ja_JP -c -f UTF-8 "$1/ja_JP.UTF-8" >/dev/null 2>&1 || true
  fi
}
