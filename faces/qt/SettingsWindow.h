#pragma once
#include "strip/SettingsModel.h"
#include "strip/SettingsWindowLayout.h"
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <optional>
#include <string>
#include <string_view>

class QCheckBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace zrm58 {

class TForm1;
class ColourButton;

// The gradient direction list. Its selected index may hold a value that names no entry (one
// read from the settings file): such a value is kept as it was given, a negative one as -1, and
// handed back until the user picks an entry.
class DirectionComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DirectionComboBox(QWidget* parent = nullptr);
    int itemIndex() const;
    void setItemIndex(int index);

private:
    int outOfRange_ = -1; // what itemIndex() gives while no entry is selected
};

// The settings window's Qt face: a fixed-size tool window showing the strip's settings window
// model (SettingsModel) while it is open. Strip::SetCmdExecute fills the model, runs this window
// modally (run) and copies the values back; a few of its controls act on the strip at once.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(TForm1* strip);
    ~TForm2() override;

    TForm1* strip() const { return strip_; }

    // The model's two halves with this window's controls: the model filled from the strip and
    // shown here; this window's values into the model and copied back to the strip.
    void fillFromStrip();
    void copyBackToStrip();
    bool copiedBackByClose() const { return model_.copiedBackByClose(); }
    // Shows the model's values, runs the window modally and, once it has closed, leaves its
    // values in the model.
    void run(SettingsModel& model);
    // OpenDialog1: the chosen file's full path, or std::nullopt when cancelled.
    std::optional<std::u16string> openFileDialog();
    // Centres the window on the desktop the first time it is shown; later showings keep the
    // place where it was last.
    void placeForShowing();

    // Handlers.
    void BoldCheckChange();
    void ShadowCheckChange();
    void TopCheckChange();
    void ListBox1Click();
    void SelectFileBtnClick();
    void CloseBtnClick();

    // --- Controls ---
    QGroupBox* GroupBox3 = nullptr; // "Form"
    QCheckBox* ShowTaskCheck = nullptr;
    QCheckBox* TopCheck = nullptr;
    QLabel* Label3 = nullptr;
    QDoubleSpinBox* OpSpin = nullptr;
    QLabel* Label2 = nullptr;
    QSpinBox* SpinBox1 = nullptr;
    QLabel* Label4 = nullptr;
    QDoubleSpinBox* OrgWidthSpin = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* Edit1 = nullptr;

    QGroupBox* GroupBox1 = nullptr; // "背景"
    QCheckBox* GraCheck = nullptr;
    DirectionComboBox* DirectionBox1 = nullptr;
    ColourButton* ComboColorBox1 = nullptr;
    ColourButton* ComboColorBox2 = nullptr;
    QCheckBox* GazouCheck = nullptr;
    QPushButton* SelectFileBtn = nullptr;

    QGroupBox* GroupBox2 = nullptr; // "文字"
    QLabel* Label1 = nullptr;
    ColourButton* FontColorBox1 = nullptr;
    QCheckBox* BoldCheck = nullptr;
    QCheckBox* ShadowCheck = nullptr;
    QLabel* Label9 = nullptr;
    QComboBox* ComboBox1 = nullptr;

    QLabel* Label5 = nullptr;
    QPushButton* CloseBtn = nullptr;
    // The system's file-open dialog: all files, no title, no starting folder. Created on first
    // use and kept, so that it remembers where it was last.
    QFileDialog* OpenDialog1 = nullptr;

private:
    // The controls as the settings window's description has them, in its order.
    void createControls();
    void connectHandlers();
    void setFocusOrder();
    // The control made for `c`, by its design name.
    template <class W> W* control(Control c) const {
        const std::string_view name = describe(c).name;
        return findChild<W*>(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    }

    void showValues();  // the model's values into the controls
    void storeValues(); // the controls' values into the model
    // Tells the model when the user edits a fractional box: types in it or steps it.
    void reportEdits(QDoubleSpinBox* spin, SettingsModel::Box box);

    TForm1* strip_;
    SettingsModel& model_;
    bool placed_ = false;
    bool showing_ = false; // the model's values going into the controls: no user's edit
};

// The one settings window of the process; null until it is created.
extern TForm2* Form2;

} // namespace zrm58
