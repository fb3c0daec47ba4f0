#include "appearance/Unit2.h"
#include "app/Unit1.h"

namespace zrm58 {

TForm2* Form2 = nullptr;

TForm2::TForm2(TForm1* strip) : QDialog(strip) { Form2 = this; }

} // namespace zrm58
