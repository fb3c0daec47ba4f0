#include "faces/qt/SettingsWindow.h"
#include "faces/qt/ColorPicker.h"
#include "faces/qt/QtText.h"
#include "faces/qt/StripWindow.h"
#include "strip/SettingsLists.h"
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
#include <cmath>
#include <exception>
#include <limits>

namespace zrm58 {

TForm2* Form2 = nullptr;

namespace {

// The client area, in logical pixels.
constexpr int kClientWidth = 559;
constexpr int kClientHeight = 473;
// The toolkit's default sizes the layout was drawn with.
constexpr int kDefaultLabelWidth = 120, kDefaultLabelHeight = 17;
constexpr int kDefaultButtonWidth = 80, kDefaultButtonHeight = 22;

template <class W> W* newControl(QWidget* parent, const char* name, const QString& text = {}) {
    W* w = new W(parent);
    w->setObjectName(QLatin1String(name));
    if constexpr (requires { w->setText(text); }) {
        if (!text.isEmpty()) w->setText(text);
    }
    return w;
}

// A control that shows a text: placed at its design position and size, widened or heightened
// where the text needs more room (the CJK fonts here are wider than the design's font).
void placeText(QWidget* w, int x, int y, int width, int height) {
    const QSize hint = w->sizeHint();
    w->setGeometry(x, y, std::max(width, hint.width()), std::max(height, hint.height()));
}

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& text, QRect r) {
    QCheckBox* box = newControl<QCheckBox>(parent, name, text);
    placeText(box, r.x(), r.y(), r.width(), r.height());
    return box;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, QRect r) {
    QLabel* l = newControl<QLabel>(parent, name, text);
    placeText(l, r.x(), r.y(), r.width(), r.height());
    return l;
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
    setWindowTitle(QStringLiteral("設定"));
    // Laid out left to right as a whole, whatever the language: its controls sit at fixed
    // places, and a right-to-left direction would move the texts within their boxes (towards
    // the control beside them) while the controls stay where they are.
    setLayoutDirection(Qt::LeftToRight);
    // 11 logical pixels: the Japanese texts then fit the design's sizes with the CJK fonts found
    // here, whose full-width characters are as wide as the text is high.
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
    setFixedSize(kClientWidth, kClientHeight);

    createFormGroup();
    createBackgroundGroup();
    createTextGroup();

    Label5 =
        newControl<QLabel>(this, "Label5",
                           QStringLiteral("yyyy:年 mm:月 dd:日付 ddd:曜日  gg:年号 ee:年号の年  "
                                          "hh:時 nn:分 ss:秒 シングル文字の場合は0無し表示"));
    // The reminder is longer than its 545 pixels: it wraps onto a second line.
    Label5->setWordWrap(true);
    Label5->setGeometry(8, 360, 545, std::max(17, Label5->heightForWidth(545)));

    CloseBtn = newControl<QPushButton>(this, "CloseBtn", QStringLiteral("Close"));
    CloseBtn->setGeometry(128, 408, 209, 41);
    CloseBtn->setAutoDefault(false); // Enter in a text field must not save and close
    connect(CloseBtn, &QPushButton::clicked, this, &TForm2::CloseBtnClick);

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

void TForm2::createFormGroup() {
    GroupBox3 = newControl<QGroupBox>(this, "GroupBox3");
    GroupBox3->setTitle(QStringLiteral("Form"));
    GroupBox3->setGeometry(16, 16, 305, 321);
    QWidget* g = GroupBox3;

    ShowTaskCheck =
        checkBox(g, "ShowTaskCheck", QStringLiteral("タスクバーに表示"), {16, 32, 113, 19});
    ShowTaskCheck->setToolTip(QStringLiteral("再起動が必要です"));
    TopCheck = checkBox(g, "TopCheck", QStringLiteral("前面表示"), {144, 32, 73, 19});
    connect(TopCheck, &QCheckBox::toggled, this, &TForm2::TopCheckChange);

    Label3 = label(g, "Label3", QStringLiteral("透明度"), {16, 64, 57, 17});
    OpSpin = newControl<QDoubleSpinBox>(g, "OpSpin");
    OpSpin->setDecimals(1);
    OpSpin->setRange(0.1, 1.0);
    OpSpin->setSingleStep(0.1);
    OpSpin->setGeometry(72, 64, 57, 22);

    Label2 = label(g, "Label2", QStringLiteral("インターバル"), {144, 64, 65, 17});
    SpinBox1 = newControl<QSpinBox>(g, "SpinBox1");
    SpinBox1->setRange(1, 5);
    SpinBox1->setSingleStep(1);
    SpinBox1->setGeometry(216, 59, 57, 22);

    Label4 = label(g, "Label4", QStringLiteral("表示幅"), {16, 104, 49, 17});
    OrgWidthSpin = newControl<QDoubleSpinBox>(g, "OrgWidthSpin");
    OrgWidthSpin->setDecimals(2);
    OrgWidthSpin->setRange(0.1, 10.0);
    OrgWidthSpin->setSingleStep(0.02);
    OrgWidthSpin->setGeometry(64, 104, 68, 22);
    // A typed number outside the range becomes the nearest bound.
    for (QAbstractSpinBox* spin :
         std::initializer_list<QAbstractSpinBox*>{OpSpin, SpinBox1, OrgWidthSpin})
        spin->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    reportEdits(OpSpin, SettingsModel::Box::Opacity);
    reportEdits(OrgWidthSpin, SettingsModel::Box::WidthFactor);

    Label8 = label(g, "Label8", QStringLiteral("セパレート文字"), {16, 160, 73, 17});
    Edit2 = newControl<QLineEdit>(g, "Edit2");
    // Both text fields take whatever the settings file held: no limit below the file's own.
    Edit2->setMaxLength(std::numeric_limits<int>::max());
    Edit2->setGeometry(104, 160, 65, 22);

    ListBox1 = newControl<QListWidget>(g, "ListBox1");
    for (char32_t entry : kSeparatorEntries)
        ListBox1->addItem(QString::fromUcs4(&entry, 1));
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBox1->setGeometry(200, 120, 73, 121);
    connect(ListBox1, &QListWidget::itemClicked, this, &TForm2::ListBox1Click);

    Label6 = label(g, "Label6", QStringLiteral("日付・時間フォーマット"),
                   {16, 248, kDefaultLabelWidth, kDefaultLabelHeight});
    Edit1 = newControl<QLineEdit>(g, "Edit1");
    Edit1->setMaxLength(std::numeric_limits<int>::max());
    Edit1->setGeometry(8, 280, 273, 22);
}

void TForm2::createBackgroundGroup() {
    GroupBox1 = newControl<QGroupBox>(this, "GroupBox1");
    GroupBox1->setTitle(QStringLiteral("背景"));
    GroupBox1->setGeometry(328, 16, 217, 161);
    QWidget* g = GroupBox1;

    GraCheck = checkBox(g, "GraCheck", QStringLiteral("グラジエント"), {24, 32, 89, 19});
    DirectionBox1 = newControl<DirectionComboBox>(g, "DirectionBox1");
    DirectionBox1->addItems(
        {QStringLiteral("垂直"), QStringLiteral("水平"), QStringLiteral("斜め")});
    DirectionBox1->setGeometry(112, 32, 81, 22);

    ComboColorBox1 = newControl<ColourButton>(g, "ComboColorBox1");
    ComboColorBox1->setGeometry(24, 72, 81, 22);
    ComboColorBox2 = newControl<ColourButton>(g, "ComboColorBox2");
    ComboColorBox2->setGeometry(120, 72, 81, 22);

    GazouCheck = checkBox(g, "GazouCheck", QStringLiteral("画像表示"), {24, 120, 89, 19});
    SelectFileBtn = newControl<QPushButton>(g, "SelectFileBtn", QStringLiteral("画像選択"));
    SelectFileBtn->setAutoDefault(false);
    placeText(SelectFileBtn, 120, 120, kDefaultButtonWidth, kDefaultButtonHeight);
    connect(SelectFileBtn, &QPushButton::clicked, this, &TForm2::SelectFileBtnClick);
}

void TForm2::createTextGroup() {
    GroupBox2 = newControl<QGroupBox>(this, "GroupBox2");
    GroupBox2->setTitle(QStringLiteral("文字"));
    GroupBox2->setGeometry(328, 184, 217, 153);
    QWidget* g = GroupBox2;

    Label1 = label(g, "Label1", QStringLiteral("文字色"), {16, 24, 41, 17});
    FontColorBox1 = newControl<ColourButton>(g, "FontColorBox1");
    FontColorBox1->setGeometry(7, 40, 90, 22);
    BoldCheck = checkBox(g, "BoldCheck", QStringLiteral("ボールド"), {119, 25, 81, 19});
    connect(BoldCheck, &QCheckBox::toggled, this, &TForm2::BoldCheckChange);
    ShadowCheck = checkBox(g, "ShadowCheck", QStringLiteral("影を付ける"), {119, 57, 82, 19});
    connect(ShadowCheck, &QCheckBox::toggled, this, &TForm2::ShadowCheckChange);

    Label9 = label(g, "Label9", QStringLiteral("フォント名"), {16, 88, 81, 17});
    ComboBox1 = newControl<QComboBox>(g, "ComboBox1");
    for (std::u16string_view family : kFontFamilies)
        ComboBox1->addItem(toQString(family));
    ComboBox1->setGeometry(16, 112, 185, 22);
}

void TForm2::setFocusOrder() {
    // "背景", then "文字", then "Form", then Close; the second colour comes before the first.
    QWidget* const order[] = {
        GraCheck,      ComboColorBox2, ComboColorBox1, DirectionBox1, GazouCheck,
        SelectFileBtn, FontColorBox1,  BoldCheck,      ShadowCheck,   ComboBox1,
        OpSpin,        SpinBox1,       ShowTaskCheck,  TopCheck,      OrgWidthSpin,
        Edit1,         Edit2,          ListBox1,       CloseBtn,
    };
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
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
