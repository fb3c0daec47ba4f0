// The settings window's controls and its model: the values shown, the values taken, and the
// modal run.
#include "faces/qt/ColorPicker.h"
#include "faces/qt/QtText.h"
#include "faces/qt/SettingsWindow.h"
#include "faces/qt/StripWindow.h"
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QSpinBox>

namespace zrm58 {

void TForm2::showValues() {
    SettingsModel& m = model_;
    showing_ = true;
    ComboColorBox1->setColor(m.ComboColorBox1);
    ComboColorBox2->setColor(m.ComboColorBox2);
    FontColorBox1->setColor(m.FontColorBox1);
    GraCheck->setChecked(m.GraCheck);
    DirectionBox1->setItemIndex(m.DirectionBox1);
    SpinBox1->setValue(m.SpinBox1);
    GazouCheck->setChecked(m.GazouCheck);
    // The two fractional boxes show one and two decimals; the model keeps the value itself, so
    // that a value the user does not touch comes back unrounded.
    OpSpin->setValue(m.OpSpin);
    m.boxShown(SettingsModel::Box::Opacity, OpSpin->value());
    ShowTaskCheck->setChecked(m.ShowTaskCheck);
    // These three run their change handlers when the state differs; the handlers then give the
    // strip the state it already has.
    TopCheck->setChecked(m.TopCheck);
    BoldCheck->setChecked(m.BoldCheck);
    ShadowCheck->setChecked(m.ShadowCheck);
    OrgWidthSpin->setValue(m.OrgWidthSpin);
    m.boxShown(SettingsModel::Box::WidthFactor, OrgWidthSpin->value());
    Edit1->setText(toQString(m.Edit1));
    Edit2->setText(toQString(m.Edit2));
    // The fixed families, then those installed here: the list is made again when it changed.
    QStringList families;
    for (const std::u16string& family : m.fontFamilies)
        families << toQString(family);
    QStringList shown;
    for (int i = 0; i < ComboBox1->count(); ++i)
        shown << ComboBox1->itemText(i);
    if (shown != families) {
        ComboBox1->clear();
        ComboBox1->addItems(families);
    }
    ComboBox1->setCurrentIndex(m.ComboBox1);
    showing_ = false;
}

void TForm2::storeValues() {
    // A number still being typed counts as entered.
    for (QAbstractSpinBox* spin :
         std::initializer_list<QAbstractSpinBox*>{OpSpin, SpinBox1, OrgWidthSpin})
        spin->interpretText();
    SettingsModel& m = model_;
    m.ComboColorBox1 = ComboColorBox1->color();
    m.ComboColorBox2 = ComboColorBox2->color();
    m.FontColorBox1 = FontColorBox1->color();
    m.GraCheck = GraCheck->isChecked();
    m.DirectionBox1 = DirectionBox1->itemIndex();
    m.SpinBox1 = SpinBox1->value();
    m.GazouCheck = GazouCheck->isChecked();
    m.OpSpin = OpSpin->value();
    m.ShowTaskCheck = ShowTaskCheck->isChecked();
    m.TopCheck = TopCheck->isChecked();
    m.BoldCheck = BoldCheck->isChecked();
    m.ShadowCheck = ShadowCheck->isChecked();
    m.OrgWidthSpin = OrgWidthSpin->value();
    m.Edit1 = toU16(Edit1->text());
    m.Edit2 = toU16(Edit2->text());
    m.ComboBox1 = ComboBox1->currentIndex();
}

void TForm2::fillFromStrip() {
    model_.fillFromStrip();
    showValues();
}

void TForm2::copyBackToStrip() {
    storeValues();
    model_.copyBackToStrip();
}

void TForm2::run(SettingsModel& model) {
    if (&model != &model_ || isVisible()) return;
    showValues();
    placeForShowing();
    // The strip keeps ticking in the nested event loop. The result is not looked at: every
    // way of closing the window applies the values.
    exec();
    storeValues();
}

} // namespace zrm58
