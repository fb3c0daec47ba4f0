#include "app/Unit1.h"
#include "app/DetailsPanel.h"
#include "app/ErrorDialog.h"
#include "app/Glyphs.h"
#include "app/LineFit.h"
#include "app/QtText.h"
#include "app/ScreenPlacement.h"
#include "app/SettingLimits.h"
#include "app/StripMenu.h"
#include "app/WindowSystem.h"
#include "status/StatusTexts.h"
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <utility>

namespace zrm58 {
namespace {

// The glyph's box in window pixels, with room for antialiasing around it. The glyph is drawn
// inside that box (text there is clipped to it).
QRect glyphArea(const TForm1& form) {
    const QRectF box = form.label2Rect();
    return QRectF(form.fromLayout(box.topLeft()), form.fromLayout(box.bottomRight()))
        .toAlignedRect()
        .adjusted(-2, -2, 2, 2);
}

} // namespace

TForm1* Form1 = nullptr;

TForm1::TForm1(const StripServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), services_(services) {
    Form1 = this;
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(QStringLiteral("ZRM58"));
    setObjectName(QStringLiteral("Form1"));
    // Design geometry; FormCreate replaces it with the stored one.
    setGeometry(0, 0, 525, 43);

    DateFormatStr = toQString(kDefaultDateFormat);
    SepStr = toQString(kDefaultSeparator);
    Label1.family = QStringLiteral("Segoe UI");
    Label1.size = 12;
    Label2.text = QString(QChar(glyphs::kLoadUnknown));
    Label2.family = QStringLiteral("Segoe MDL2 Assets");
    Label2.size = 12;
    SpeedButton1.text = QString(QChar(glyphs::kMenu));
    SpeedButton1.family = QStringLiteral("Segoe MDL2 Assets");
    SpeedButton1.size = 16;

    Timer1 = new TTimer(this);
    connect(Timer1, &TTimer::timeout, this, &TForm1::Timer1Timer);
    if (services_.processes && services_.details) // the details on hover
        new DetailsPanel(this, *services_.processes, *services_.details,
                         services_.localeSettings.decimalSep);

    // A screen that goes away or shrinks must not leave the strip out of reach.
    auto watch = [this](QScreen* screen) {
        connect(screen, &QScreen::geometryChanged, this, [this] { ensureOnScreen(); });
    };
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, watch);
    // A screen gone (unplugged, switched off): the whole strip comes back onto a remaining one,
    // also when the window manager already pulled a corner of it back into view.
    connect(qGuiApp, &QGuiApplication::screenRemoved, this,
            [this] { QTimer::singleShot(0, this, [this] { bringWholeOnScreen(this); }); });
}

StripMenu* TForm1::menu() {
    if (!menu_) menu_ = new StripMenu(this);
    return menu_;
}

TForm1::~TForm1() {
    // A destroyed handler must never be offered a message: leave the list before going.
    TMessageDispatcherWin::UnregisterHandler(this);
    if (Form1 == this) Form1 = nullptr;
}

const MessageHandler::Table& TForm1::messageTable() const {
    static const Entry entries[] = {
        {kMsgQueryEndSession,
         [](MessageHandler& h, MessageRecord& m) { static_cast<TForm1&>(h).WMQueryEndSession(m); }},
    };
    static const Table table{&MessageHandler::BaseTable(), entries};
    return table;
}

void TForm1::FormCreate() {
    HomePath = QFileInfo(QString::fromStdString(services_.settingsPath)).absolutePath() + '/';
    fitPending_ = !QFileInfo::exists(QString::fromStdString(services_.settingsPath));
    ReadIniFile();
    applyStartWidth();
    applyBold();
    applyTextColours();
    Label2.size = 20;
    ShadowEffect1.enabled = isShadow;
    UpdateBackground();
    applyWindowStyle();
    applyTaskBar();
    applyFontFamily();
    TMessageDispatcherWin::RegisterHandler(this);
    FormResize();
}

void TForm1::showFirst() {
    if (!movedSinceCreation_) {
        // Nothing moved the strip from its design position: centre it on the primary screen.
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect desk = screen->geometry();
            move(desk.x() + (desk.width() - width()) / 2,
                 desk.y() + (desk.height() - height()) / 2);
        }
    }
    ensureOnScreen();
    // Create the native window before mapping it, so that the window manager finds the
    // stay-on-top and task-bar states already set when it first manages the strip.
    winId();
    applyWindowStyle();
    applyTaskBar();
    show();
}

void TForm1::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!shownOnce_) {
        shownOnce_ = true;
        // The shape follows the compositing manager as it starts and stops.
        compositing_ = windowSystem().compositorActive();
        windowSystem().watchCompositor(this, [this](bool active) { followCompositor(active); });
        updateShape();
    }
}

// --- The tick ---

void TForm1::Timer1Timer() {
    UpdateDateInfo();
    UpdateMemoryInfo();
    UpdateCpuInfo();
    const QString line = SepStr + dateInfo + SepStr + memoryInfo + SepStr + cpuInfo;
    // Only what changed is repainted: the changed glyphs of a new line with their shadow's
    // reach, the glyph's box for a new glyph, nothing when neither changed.
    if (line != Label1.text) {
        QRegion dirty = lineChangeArea(line);
        if (CpuBusyInfo != Label2.text) dirty += glyphArea(*this);
        Label1.text = line;
        Label2.text = CpuBusyInfo;
        update(dirty);
        if (fitPending_) fitFirstLine();
    } else if (CpuBusyInfo != Label2.text) {
        Label2.text = CpuBusyInfo;
        update(glyphArea(*this));
    }
    emit ticked();
}

void TForm1::fitFirstLine() {
    fitPending_ = false;
    // Never wider than the screen the strip is on.
    double most = limits::kMaxWidthFactor;
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) most = std::min(most, (screen->availableGeometry().width() - 10) / 515.0);
    // Room beyond the first line for two more digits, so that the processor figure can reach
    // three without the line wrapping again.
    const qreal needed = lineWidth(Label1.text) + lineWidth(QStringLiteral("00"));
    const std::optional<double> factor = linefit::factorFitting(needed, MuWidth, most);
    if (!factor) return;
    MuWidth = *factor;
    applyDialogWidth();
    if (screen) { // keep the widened strip's right end on the screen
        const QRect area = screen->availableGeometry();
        if (geometry().right() > area.right())
            move(std::max(area.left(), area.right() - width() + 1), y());
    }
}

void TForm1::UpdateDateInfo() {
    const DateTimeFields t = makeDateTimeFields(services_.clock->now());
    const EraContext era{services_.altCalendar, services_.startupLocale};
    dateInfo = toQString(RenderDateTime(toU16(DateFormatStr), t, services_.localeSettings, era));
}

void TForm1::UpdateMemoryInfo() {
    bool read = true;
    memoryInfo = toQString(
        zrm58::UpdateMemoryInfo(*services_.memory, services_.localeSettings.decimalSep, &read));
    if (!read && !std::exchange(memoryFailureSaid_, true))
        std::fprintf(stderr, "zrm58: cannot read the memory figures; the line shows none\n");
}

void TForm1::UpdateCpuInfo() {
    const CpuTexts texts = zrm58::UpdateCpuInfo();
    cpuInfo = toQString(texts.cpuInfo);
    CpuBusyInfo = toQString(texts.busyGlyph);
    if (!texts.read && !std::exchange(cpuFailureSaid_, true))
        std::fprintf(stderr, "zrm58: cannot read the processor times; the line shows no load\n");
}

// --- Size guard and closing ---

void TForm1::FormResize() {
    if (height() < tracking::kMinHeight) resize(width(), tracking::kMinHeight);
    if (width() < tracking::kMinWidth) resize(tracking::kMinWidth, height());
}

void TForm1::resizeGuarded(int w, int h) {
    const tracking::Size shown = tracking::guardedSize({w, h});
    resize(shown.width, shown.height);
    FormResize();
}

void TForm1::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    FormResize();
    invalidateBackground();
    updateShape();
}

void TForm1::closeEvent(QCloseEvent* e) {
    // FormCloseQuery: the close never refuses, but a save that fails abandons it.
    try {
        WriteIniFile();
        e->accept();
    } catch (const std::exception& ex) {
        e->ignore();
        showStandardError(this, QString::fromUtf8(ex.what()));
    }
}

void TForm1::CloseCmdExecute() {
    close();
}

void TForm1::WMQueryEndSession(MessageRecord& message) {
    try {
        WriteIniFile();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zrm58: saving the settings at the session end failed: %s\n",
                     e.what());
    }
    message.result = 1;
}

// --- Window shape ---

void TForm1::updateShape() {
    if (!testAttribute(Qt::WA_WState_Created)) return;
    QPainterPath path;
    path.addRoundedRect(layoutRect(), Rectangle1.radius, Rectangle1.radius);
    const QRegion rounded(path.toFillPolygon().toPolygon());
    // Without a compositing manager the transparent margin would show black: clip the window to
    // its rounded rectangle instead.
    if (!compositing_)
        setMask(rounded);
    else
        clearMask();
    windowSystem().setInputRegion(this, rounded);
}

void TForm1::followCompositor(bool now) {
    if (now == compositing_) return;
    compositing_ = now;
    updateShape();
    update();
}

} // namespace zrm58
