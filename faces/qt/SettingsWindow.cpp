#include "faces/qt/SettingsWindow.h"
#include "faces/qt/ColorPicker.h"
#include "faces/qt/QtText.h"
#include "faces/qt/StripWindow.h"
#include "strip/SettingsWindowLayout.h"
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <algorithm>
#include <limits>
#include <vector>

namespace zrm58 {

TForm2* Form2 = nullptr;

namespace {

// A control that shows a text: placed at its design position and size, widened or heightened
// where the text needs more room (the CJK fonts here are wider than the design's font). A label
// that would then outgrow the window wraps onto more lines within its design width instead.
void placeText(QWidget* w, const ControlDescription& c) {
    const Rect& r = c.place;
    const QSize hint = w->sizeHint();
    auto* label = qobject_cast<QLabel*>(w);
    if (label && windowPlace(c).left + hint.width() > kSettingsClient.width) {
        label->setWordWrap(true);
        w->setGeometry(r.left, r.top, r.width, std::max(r.height, label->heightForWidth(r.width)));
        return;
    }
    w->setGeometry(r.left, r.top, std::max(r.width, hint.width()),
                   std::max(r.height, hint.height()));
}

QAbstractSpinBox* numberBox(QWidget* parent, const NumberFormat& n) {
    QAbstractSpinBox* box = nullptr;
    if (n.decimals == 0) {
        auto* whole = new QSpinBox(parent);
        whole->setRange(static_cast<int>(n.min), static_cast<int>(n.max));
        whole->setSingleStep(static_cast<int>(n.step));
        box = whole;
    } else {
        auto* fractional = new QDoubleSpinBox(parent);
        fractional->setDecimals(n.decimals);
        fractional->setRange(n.min, n.max);
        fractional->setSingleStep(n.step);
        box = fractional;
    }
    // A typed number outside the range becomes the nearest bound.
    box->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    return box;
}

QComboBox* dropDown(QWidget* parent, Control c) {
    // The gradient direction keeps an index that names no entry (DirectionComboBox).
    QComboBox* box =
        c == Control::DirectionBox1 ? new DirectionComboBox(parent) : new QComboBox(parent);
    for (const std::u16string& entry : controlEntries(c))
        box->addItem(toQString(entry));
    return box;
}

QListWidget* list(QWidget* parent, Control c) {
    auto* box = new QListWidget(parent);
    for (const std::u16string& entry : controlEntries(c))
        box->addItem(toQString(entry));
    box->setSelectionMode(QAbstractItemView::SingleSelection);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return box;
}

// The described control, made in `parent` (its group box or the window) at its place.
QWidget* makeControl(QWidget* parent, const ControlDescription& c) {
    const QString caption = toQString(captionOf(c));
    const Rect& r = c.place;
    QWidget* w = nullptr;
    bool fitsText = false;
    switch (c.kind) {
    case ControlKind::Group: {
        auto* group = new QGroupBox(caption, parent);
        w = group;
        break;
    }
    case ControlKind::Label:
        w = new QLabel(caption, parent);
        fitsText = true;
        break;
    case ControlKind::CheckBox:
        w = new QCheckBox(caption, parent);
        fitsText = true;
        break;
    case ControlKind::NumberBox:
        w = numberBox(parent, c.number);
        break;
    case ControlKind::TextField: {
        auto* field = new QLineEdit(parent);
        // The text fields take whatever the settings file held: no limit below the file's own.
        field->setMaxLength(std::numeric_limits<int>::max());
        w = field;
        break;
    }
    case ControlKind::List:
        w = list(parent, c.control);
        break;
    case ControlKind::DropDown:
        w = dropDown(parent, c.control);
        break;
    case ControlKind::ColourPicker:
        w = new ColourButton(parent);
        break;
    case ControlKind::Button: {
        auto* button = new QPushButton(caption, parent);
        button->setAutoDefault(false); // Enter in a text field must not save and close
        w = button;
        fitsText = true;
        break;
    }
    }
    w->setObjectName(QString::fromLatin1(c.name.data(), static_cast<qsizetype>(c.name.size())));
    if (!hintOf(c).empty()) w->setToolTip(toQString(hintOf(c)));
    if (fitsText)
        placeText(w, c);
    else
        w->setGeometry(r.left, r.top, r.width, r.height);
    return w;
}

} // namespace

// --- DirectionComboBox ---

DirectionComboBox::DirectionComboBox(QWidget* parent) : QComboBox(parent) {}

int DirectionComboBox::itemIndex() const {
    return currentIndex() >= 0 ? currentIndex() : outOfRange_;
}

void DirectionComboBox::setItemIndex(int index) {
    if (index >= 0 && index < count()) {
        outOfRange_ = -1;
        setCurrentIndex(index);
    } else {
        outOfRange_ = index < 0 ? -1 : index;
        setCurrentIndex(-1);
    }
}

// --- TForm2 ---

TForm2::TForm2(TForm1* strip)
    : QDialog(strip,
              Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      strip_(strip), model_(strip->strip().settingsWindow()) {
    Form2 = this;
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(toQString(settingsTitle()));
    // Laid out left to right as a whole, whatever the language: its controls sit at fixed
    // places, and a right-to-left direction would move the texts within their boxes (towards
    // the control beside them) while the controls stay where they are.
    setLayoutDirection(Qt::LeftToRight);
    // 11 logical pixels: the Japanese texts then fit the design's sizes with the CJK fonts found
    // here, whose full-width characters are as wide as the text is high.
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
    setFixedSize(kSettingsClient.width, kSettingsClient.height);

    createControls();
    connectHandlers();
    setFocusOrder();
}

TForm2::~TForm2() {
    if (Form2 == this) Form2 = nullptr;
}

void TForm2::reportEdits(QDoubleSpinBox* spin, SettingsModel::Box box) {
    // Typing counts even when it gives the value shown again; a step changes the value. The
    // box rewriting its own text after setValue() emits no textEdited.
    connect(spin->findChild<QLineEdit*>(), &QLineEdit::textEdited, this,
            [this, box] { model_.boxEdited(box); });
    connect(spin, &QDoubleSpinBox::valueChanged, this, [this, box] {
        if (!showing_) model_.boxEdited(box);
    });
}

void TForm2::createControls() {
    // The table lists each group box before the controls in it.
    std::vector<QWidget*> made;
    for (const ControlDescription& c : settingsControls()) {
        QWidget* parent = c.group == c.control ? this : made.at(static_cast<std::size_t>(c.group));
        made.push_back(makeControl(parent, c));
    }
    GroupBox3 = control<QGroupBox>(Control::GroupBox3);
    ShowTaskCheck = control<QCheckBox>(Control::ShowTaskCheck);
    TopCheck = control<QCheckBox>(Control::TopCheck);
    Label3 = control<QLabel>(Control::Label3);
    OpSpin = control<QDoubleSpinBox>(Control::OpSpin);
    Label2 = control<QLabel>(Control::Label2);
    SpinBox1 = control<QSpinBox>(Control::SpinBox1);
    Label4 = control<QLabel>(Control::Label4);
    OrgWidthSpin = control<QDoubleSpinBox>(Control::OrgWidthSpin);
    Label8 = control<QLabel>(Control::Label8);
    Edit2 = control<QLineEdit>(Control::Edit2);
    ListBox1 = control<QListWidget>(Control::ListBox1);
    Label6 = control<QLabel>(Control::Label6);
    Edit1 = control<QLineEdit>(Control::Edit1);
    GroupBox1 = control<QGroupBox>(Control::GroupBox1);
    GraCheck = control<QCheckBox>(Control::GraCheck);
    DirectionBox1 = control<DirectionComboBox>(Control::DirectionBox1);
    ComboColorBox1 = control<ColourButton>(Control::ComboColorBox1);
    ComboColorBox2 = control<ColourButton>(Control::ComboColorBox2);
    GazouCheck = control<QCheckBox>(Control::GazouCheck);
    SelectFileBtn = control<QPushButton>(Control::SelectFileBtn);
    GroupBox2 = control<QGroupBox>(Control::GroupBox2);
    Label1 = control<QLabel>(Control::Label1);
    FontColorBox1 = control<ColourButton>(Control::FontColorBox1);
    BoldCheck = control<QCheckBox>(Control::BoldCheck);
    ShadowCheck = control<QCheckBox>(Control::ShadowCheck);
    Label9 = control<QLabel>(Control::Label9);
    ComboBox1 = control<QComboBox>(Control::ComboBox1);
    Label5 = control<QLabel>(Control::Label5);
    CloseBtn = control<QPushButton>(Control::CloseBtn);
}

void TForm2::connectHandlers() {
    connect(TopCheck, &QCheckBox::toggled, this, &TForm2::TopCheckChange);
    connect(BoldCheck, &QCheckBox::toggled, this, &TForm2::BoldCheckChange);
    connect(ShadowCheck, &QCheckBox::toggled, this, &TForm2::ShadowCheckChange);
    connect(ListBox1, &QListWidget::itemClicked, this, &TForm2::ListBox1Click);
    connect(SelectFileBtn, &QPushButton::clicked, this, &TForm2::SelectFileBtnClick);
    connect(CloseBtn, &QPushButton::clicked, this, &TForm2::CloseBtnClick);
    reportEdits(OpSpin, SettingsModel::Box::Opacity);
    reportEdits(OrgWidthSpin, SettingsModel::Box::WidthFactor);
}

void TForm2::setFocusOrder() {
    // The description's order, which is the keyboard's.
    QWidget* previous = nullptr;
    for (const ControlDescription& c : settingsControls()) {
        if (!takesFocus(c.kind)) continue;
        QWidget* w = control<QWidget>(c.control);
        if (previous) setTabOrder(previous, w);
        previous = w;
    }
}

void TForm2::placeForShowing() {
    if (placed_) return;
    placed_ = true;
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - QPoint(width() / 2, height() / 2));
}

// --- Handlers ---

// Each handler hands its control's value to the model, then runs the model's handler.

void TForm2::BoldCheckChange() {
    model_.BoldCheck = BoldCheck->isChecked();
    model_.BoldCheckChange();
}

void TForm2::ShadowCheckChange() {
    model_.ShadowCheck = ShadowCheck->isChecked();
    model_.ShadowCheckChange();
}

void TForm2::TopCheckChange() {
    model_.TopCheck = TopCheck->isChecked();
    model_.TopCheckChange();
}

void TForm2::ListBox1Click() {
    // A click that leaves no entry selected (a control-click on the selected one) appends
    // nothing.
    const QList<QListWidgetItem*> selected = ListBox1->selectedItems();
    if (selected.isEmpty()) return;
    model_.Edit2 = toU16(Edit2->text());
    model_.ListBox1Click(ListBox1->row(selected.first()));
    Edit2->setText(toQString(model_.Edit2));
}

void TForm2::SelectFileBtnClick() {
    model_.SelectFileBtnClick();
}

std::optional<std::u16string> TForm2::openFileDialog() {
    if (!OpenDialog1) {
        OpenDialog1 = new QFileDialog(this);
        OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
        OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
        OpenDialog1->setFileMode(QFileDialog::ExistingFile);
    }
    if (OpenDialog1->exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = OpenDialog1->selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return toU16(files.first());
}

void TForm2::CloseBtnClick() {
    storeValues();
    // The window stays open with everything the user set when the save fails.
    if (model_.CloseBtnClick())
        reject(); // ends the modal run; the caption bar's close copies back after it instead
}

} // namespace zrm58
