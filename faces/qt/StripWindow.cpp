#include "faces/qt/StripWindow.h"
#include "faces/qt/DetailsPanel.h"
#include "faces/qt/ErrorDialog.h"
#include "faces/qt/QtText.h"
#include "faces/qt/SettingsWindow.h"
#include "faces/qt/StripMenu.h"
#include "faces/qt/WindowSystem.h"
#include "strip/PictureLimit.h"
#include <QBuffer>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainterPath>
#include <QScreen>
#include <QWindow>
#include <algorithm>

namespace zrm58 {

TForm1* Form1 = nullptr;

// The strip's calls on this window.
class TForm1::Face final : public StripFace {
public:
    explicit Face(TForm1& w) : w_(w) {}

    Rect geometry() const override { return {w_.x(), w_.y(), w_.width(), w_.height()}; }
    void setGeometry(const Rect& r) override {
        fixSize(QSize(r.width, r.height));
        if (QPoint(r.left, r.top) != w_.pos()) w_.move(r.left, r.top);
        if (QSize(r.width, r.height) != w_.size()) w_.resize(r.width, r.height);
    }
    bool placesWindow() const override {
        // A Wayland compositor places every window itself and tells no client where.
        return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    }
    // The size hints of the native window: as small and as large as `size` (X11's
    // WM_NORMAL_HINTS, Wayland's minimum and maximum size), so that a tiling manager floats the
    // strip and a stacking one offers no resizing of its own. Written before the size is asked
    // for, so that a manager that holds windows to their hints lets the new size through. The
    // widget's own bounds stay open: a size the window system makes still reaches it.
    void fixSize(QSize size) {
        QWindow* win = w_.windowHandle();
        if (!win) return; // created later with the size then set (createWindow)
        // Widen the range to take in the new size first, so that neither bound ever crosses the
        // other and the window is never sized to anything but the new size on the way.
        win->setMinimumSize(win->minimumSize().boundedTo(size));
        win->setMaximumSize(win->maximumSize().expandedTo(size));
        win->setMinimumSize(size);
        win->setMaximumSize(size);
    }
    Size desktopSize() const override {
        const QScreen* s = QGuiApplication::primaryScreen();
        if (!s) return {65535, 65535}; // the X protocol's largest window
        const QSize size = s->virtualSize().expandedTo(QSize(kMinStripWidth, kMinStripHeight));
        return {size.width(), size.height()};
    }
    std::optional<Rect> primaryScreen() const override {
        const QScreen* s = QGuiApplication::primaryScreen();
        if (!s) return std::nullopt;
        const QRect g = s->geometry();
        return Rect{g.x(), g.y(), g.width(), g.height()};
    }
    std::optional<Rect> workArea() const override {
        const QScreen* s = w_.screen() ? w_.screen() : QGuiApplication::primaryScreen();
        if (!s) return std::nullopt;
        const QRect g = s->availableGeometry();
        return Rect{g.x(), g.y(), g.width(), g.height()};
    }
    std::vector<Screen> screens() const override {
        std::vector<Screen> all;
        auto add = [&all](const QScreen* s) {
            const QRect g = s->geometry(), a = s->availableGeometry();
            all.push_back(
                {{g.x(), g.y(), g.width(), g.height()}, {a.x(), a.y(), a.width(), a.height()}});
        };
        const QScreen* primary = QGuiApplication::primaryScreen();
        if (primary) add(primary);
        for (const QScreen* s : QGuiApplication::screens())
            if (s != primary) add(s);
        return all;
    }
    void createWindow() override {
        w_.winId();
        windowSystem().declareUtilityWindow(&w_);
        fixSize(w_.size());
    }
    void showWindow() override { w_.show(); }
    void setStaysOnTop(bool on) override { windowSystem().setStaysOnTop(&w_, on); }
    void setTaskBarButton(bool shown) override { windowSystem().setSkipTaskbar(&w_, !shown); }
    void requestClose() override {
        // After the menu has gone.
        QMetaObject::invokeMethod(&w_, &QWidget::close, Qt::QueuedConnection);
    }

    void repaint() override { w_.update(); }
    void repaintBackground() override { w_.invalidateBackground(); }
    // Only the glyphs that changed since the line this face was last told of, and their shadow.
    void repaintLine() override {
        const std::u16string& now = w_.strip_.view().Label1.text;
        w_.update(w_.changeArea(toQString(lineShown_), toQString(now)));
        lineShown_ = now;
    }
    void repaintGlyph() override {
        const QRectF box = toQRectF(w_.strip_.view().label2Rect());
        w_.update(QRectF(w_.fromLayout(box.topLeft()), w_.fromLayout(box.bottomRight()))
                      .toAlignedRect()
                      .adjusted(-2, -2, 2, 2)); // room for antialiasing
    }
    double lineWidth(std::u16string_view text) const override {
        return w_.lineWidth(toQString(text));
    }
    bool loadBackgroundPicture(const std::string& path, std::string_view bytes) override {
        return w_.decodePicture(path, bytes);
    }

    void capturePointer(bool on) override {
        if (on)
            w_.grabMouse();
        else
            w_.releaseMouse();
    }
    void setSizingPointer(bool on) override {
        if (on)
            w_.setCursor(Qt::SizeFDiagCursor);
        else
            w_.unsetCursor();
    }
    void openMenu(const RectF& b) override {
        const QRectF box = toQRectF(b);
        w_.menu()->popupFor(QRect(w_.mapToGlobal(box.topLeft().toPoint()),
                                  w_.mapToGlobal(box.bottomRight().toPoint()) - QPoint(1, 1)));
    }
    void setTimerInterval(int ms) override {
        if (ms > 0)
            w_.timer_.start(ms);
        else
            w_.timer_.stop();
    }
    void ticked() override { emit w_.ticked(); }

    void showError(std::u16string_view text) override {
        showStandardError(Form2 && Form2->isVisible() ? static_cast<QWidget*>(Form2) : &w_,
                          toQString(text));
    }
    std::vector<std::u16string> installedFontFamilies() const override {
        std::vector<std::u16string> families;
        for (const QString& family : QFontDatabase::families())
            if (!QFontDatabase::isPrivateFamily(family)) families.push_back(toU16(family));
        return families;
    }
    FailedSaveChoice showFailedSaveAtClose(std::u16string_view text) override {
        return askEndWithoutSaving(&w_, toQString(text)) ? FailedSaveChoice::EndWithoutSaving
                                                         : FailedSaveChoice::KeepRunning;
    }
    void runSettingsWindow(SettingsModel& model) override {
        // Created at the first use, owned by the strip, and kept: it is hidden between uses.
        if (!Form2) new TForm2(&w_);
        Form2->run(model);
    }
    std::optional<std::u16string> openFileDialog() override {
        return Form2 ? Form2->openFileDialog() : std::nullopt;
    }

private:
    TForm1& w_;
    std::u16string lineShown_; // Label1's text at the last repaintLine
};

TForm1::TForm1(const StripServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), face_(std::make_unique<Face>(*this)),
      strip_(*face_, services) {
    Form1 = this;
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(QStringLiteral("ZRM58"));
    // A background picture is refused above the decoding limit that every face shares (the
    // reader's own default differs between Qt versions).
    QImageReader::setAllocationLimit(static_cast<int>(picturelimit::kMaxDecodedPictureBytes >> 20));
    setObjectName(QStringLiteral("Form1"));
    // Design geometry; FormCreate replaces it with the stored one.
    setGeometry(0, 0, 525, 43);

    // Precise: a coarse timer may slip a 1 s period by up to 50 ms, and the seconds would stutter.
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { strip_.Timer1Timer(); });
    timer_.start(StripFace::kDesignInterval);
    if (services.processes && services.details) // the details on hover
        new DetailsPanel(this, *services.processes, *services.details,
                         services.localeSettings.decimalSep);

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
            [this] { QTimer::singleShot(0, this, [this] { strip_.bringWholeOnScreen(); }); });
}

StripMenu* TForm1::menu() {
    if (!menu_) menu_ = new StripMenu(this);
    // The check mark shows the strip's resize mode, which a drag may have ended meanwhile.
    menu_->ResizeMenu->setChecked(strip_.resizeMode());
    return menu_;
}

TForm1::~TForm1() {
    if (Form1 == this) Form1 = nullptr;
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

namespace {

// The size a picture of `source` pixels is kept at. It is drawn stretched to the strip's
// rectangle, which stands on a screen: a picture larger than the largest screen (in device
// pixels) is kept at that screen's size on each axis that exceeds it, so that a picture near the
// decoder's limit does not stay in memory at full size. Kept at this bound rather than at the
// strip's present size, a strip made larger later needs no second decode.
QSize keptPictureSize(const QSize& source) {
    QSize bound;
    for (const QScreen* screen : QGuiApplication::screens())
        bound = bound.expandedTo(
            (QSizeF(screen->geometry().size()) * screen->devicePixelRatio()).toSize());
    return bound.isEmpty() ? source : source.boundedTo(bound);
}

} // namespace

bool TForm1::decodePicture(const std::string& path, std::string_view bytes) {
    // Decoded where the bytes lie: a copy would hold the file twice.
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, QFileInfo(QString::fromStdString(path)).suffix().toLatin1());
    if (const QSize size = reader.size(); size.isValid()) {
        const QSize kept = keptPictureSize(size);
        if (kept != size) reader.setScaledSize(kept);
    }
    QImage picture = reader.read();
    if (picture.isNull()) return false;
    picture_ = std::move(picture);
    return true;
}

// --- Geometry in Qt's types ---

QRectF TForm1::layoutRect() const {
    return toQRectF(strip_.layoutRect());
}

QPointF TForm1::toLayout(QPointF p) const {
    return toQPointF(strip_.toLayout(toPointF(p)));
}

QPointF TForm1::fromLayout(QPointF p) const {
    return toQPointF(strip_.fromLayout(toPointF(p)));
}

QPoint TForm1::menuAnchor() const {
    return mapToGlobal(toQPointF(strip_.menuAnchor()).toPoint());
}

QRegion TForm1::lineChangeArea(const QString& next) {
    return changeArea(toQString(strip_.view().Label1.text), next);
}

// --- Input ---

// Window coordinates from the global position and the position this window last asked for,
// so that events generated before the window system carried out a move do not jitter, and so
// that the press and the moves measure alike.
QPointF TForm1::windowPoint(const QMouseEvent& e) const {
    return e.globalPosition() - QPointF(pos());
}

void TForm1::mousePressEvent(QMouseEvent* e) {
    if (!strip_.pointerPress(toPointF(windowPoint(*e)))) e->ignore();
}

void TForm1::mouseMoveEvent(QMouseEvent* e) {
    strip_.pointerMove(toPointF(windowPoint(*e)));
}

void TForm1::mouseReleaseEvent(QMouseEvent* e) {
    strip_.pointerRelease(toPointF(windowPoint(*e)));
}

void TForm1::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    strip_.FormResize(); // whoever changed the size
    invalidateBackground();
    updateShape();
}

void TForm1::closeEvent(QCloseEvent* e) {
    if (strip_.FormCloseQuery())
        e->accept();
    else
        e->ignore();
}

bool TForm1::ensureOnScreen() {
    return strip_.keepReachable();
}

// --- Window shape ---

void TForm1::updateShape() {
    if (!testAttribute(Qt::WA_WState_Created)) return;
    QPainterPath path;
    const double radius = strip_.view().Rectangle1.radius;
    path.addRoundedRect(layoutRect(), radius, radius);
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
