#pragma once

namespace zrm58 {

class TForm1;

// Brings the strip wholly onto a screen (Strip::bringWholeOnScreen), shows and raises it
// (another start of the program asked for it).
void comeForward(TForm1& strip);

} // namespace zrm58
