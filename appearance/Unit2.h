#pragma once
#include <QDialog>

namespace zrm58 {

class TForm1;

// The settings window (placeholder until it is built).
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(TForm1* strip);
};

extern TForm2* Form2;

} // namespace zrm58
