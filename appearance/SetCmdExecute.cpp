// The settings command: fills the settings window, runs it modally, copies the values back.
#include "app/Unit1.h"
#include "appearance/ColorPicker.h"
#include "appearance/Unit2.h"
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QSpinBox>
#include <algorithm>
#include <cmath>

namespace zrm58 {

namespace {

// The timer's interval in whole seconds for SpinBox1: halves go to the even neighbour (1500 ms
// and 2500 ms both give 2), then the spin box's range 1..5.
int intervalSeconds(int milliseconds) {
    const double seconds = std::nearbyint(milliseconds / 1000.0); // default mode: ties to even
    return static_cast<int>(std::clamp(seconds, 1.0, 5.0));
}

// Letters A to Z compared without case, every other UTF-16 unit exactly.
bool equalsIgnoringAsciiCase(QStringView a, QStringView b) {
    if (a.size() != b.size()) return false;
    auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    for (qsizetype i = 0; i < a.size(); ++i)
        if (fold(a[i].unicode()) != fold(b[i].unicode())) return false;
    return true;
}

// The first entry equal to `family`, or -1 (no entry selected).
int familyIndex(const QComboBox& box, const QString& family) {
    for (int i = 0; i < box.count(); ++i)
        if (equalsIgnoringAsciiCase(box.itemText(i), family)) return i;
    return -1;
}

} // namespace

void TForm1::SetCmdExecute() {
    // Created at the first use, owned by the strip, and kept: it is hidden between uses.
    if (!Form2) new TForm2(this);
    TForm2* settings = Form2;
    if (!settings || settings->strip() != this || settings->isVisible()) return;
    settings->fillFromStrip();
    settings->placeForShowing();
    // The strip keeps ticking in the nested event loop. The result is not looked at: every
    // way of closing the window applies the values.
    settings->exec();
    // The Close button copies back before its save; every other way of closing leaves it here.
    if (!settings->copiedBackByClose()) settings->copyBackToStrip();
}

void TForm2::fillFromStrip() {
    copiedBackByClose_ = false;
    TForm1& s = *strip_;
    ComboColorBox1->setColor(s.BC0);
    ComboColorBox2->setColor(s.BC1);
    FontColorBox1->setColor(s.FontColor);
    GraCheck->setChecked(s.isGradient);
    DirectionBox1->setItemIndex(s.Direction);
    SpinBox1->setValue(intervalSeconds(s.Timer1->interval()));
    GazouCheck->setChecked(s.isGazou);
    // The two fractional boxes show one and two decimals but keep the value itself: a value the
    // user does not touch comes back unrounded. Limited to 0.1..1.0 and 0.1..10.
    OpSpin->setKeptValue(s.Rectangle1.opacity());
    ShowTaskCheck->setChecked(s.isShowTask);
    // These three run their change handlers when the state differs; the handlers then give the
    // strip the state it already has.
    TopCheck->setChecked(s.IsTop);
    BoldCheck->setChecked(s.isBold);
    ShadowCheck->setChecked(s.isShadow);
    OrgWidthSpin->setKeptValue(s.MuWidth);
    Edit1->setText(s.DateFormatStr);
    Edit2->setText(s.SepStr);
    ComboBox1->setCurrentIndex(familyIndex(*ComboBox1, s.FontFamilyName));
}

void TForm2::copyBackToStrip() {
    // A number still being typed counts as entered.
    for (QAbstractSpinBox* spin :
         std::initializer_list<QAbstractSpinBox*>{OpSpin, SpinBox1, OrgWidthSpin})
        spin->interpretText();

    TForm1& s = *strip_;
    s.FontColor = FontColorBox1->color();
    s.isGradient = GraCheck->isChecked();
    s.BC0 = ComboColorBox1->color();
    s.BC1 = ComboColorBox2->color();
    s.Direction = DirectionBox1->itemIndex();
    s.Timer1->setInterval(SpinBox1->value() * 1000);
    s.isGazou = GazouCheck->isChecked();
    s.Rectangle1.setOpacity(static_cast<float>(OpSpin->keptValue()));
    s.update(); // the opacity is applied when the background is painted
    s.isShowTask = ShowTaskCheck->isChecked(); // takes effect at the next start
    s.isShadow = ShadowCheck->isChecked();     // the shadow itself was switched at once
    s.MuWidth = OrgWidthSpin->keptValue();
    s.applyDialogWidth();
    s.applyBold();
    s.applyTextColours();
    s.DateFormatStr = Edit1->text(); // both texts as typed, without any check
    s.SepStr = Edit2->text();
    s.UpdateBackground();
    s.applyWindowStyle();
    // With no entry selected (a stored family that is none of the entries, and none picked),
    // the strip keeps its family.
    if (ComboBox1->currentIndex() >= 0) {
        s.FontFamilyName = ComboBox1->currentText();
        s.applyFontFamily();
    }
}

} // namespace zrm58
