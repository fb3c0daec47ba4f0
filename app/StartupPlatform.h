#pragma once

namespace zrm58 {

// Under a Wayland session, ask for the X11 platform (XWayland): Wayland gives a client neither
// its position nor stay-on-top. A platform the user chose (QT_QPA_PLATFORM or -platform) wins.
void preferXcbPlatform(int argc, char** argv);

// The font families the settings offer are Windows fonts. Where one is not installed, stand in
// with a family of similar width that has Japanese glyphs, so that the line keeps its length.
void installFontSubstitutes();

} // namespace zrm58
