#include "faces/qt/DetailsPanel.h"
#include "faces/qt/QtText.h"
#include "faces/qt/StripWindow.h"
#include "faces/qt/WindowSystem.h"
#include "status/CpuLoad.h"
#include "status/DetailsText.h"
#include "texts/Texts.h"
#include <QEnterEvent>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QtMath>
#include <algorithm>
#include <cmath>

namespace zrm58 {
namespace {

constexpr int kPad = 10;      // inside the rounded panel
constexpr int kGap = 6;       // between the panel and the strip
constexpr int kBarWidth = 64; // a processor's bar
constexpr int kRowsPerColumn = 8;

QString qs(std::u16string_view s) {
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

DetailsPanel::DetailsPanel(TForm1* form, ProcessSource& processes, SystemDetailsSource& source,
                           char16_t decimalSep)
    : QWidget(form, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                        Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint),
      form_(form), processes_(processes), details_(processes, source), decimalSep_(decimalSep) {
    setObjectName(QStringLiteral("DetailsPanel"));
    setWindowTitle(QStringLiteral("ZRM58 details"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    clock_.start();

    rest_.setSingleShot(true);
    rest_.setInterval(kRestMs);
    // Leaving and pressing stop the timer, so a timeout means the pointer is still resting.
    connect(&rest_, &QTimer::timeout, this, [this] {
        if (QGuiApplication::mouseButtons() == Qt::NoButton) showDetails();
    });
    connect(form_, &TForm1::ticked, this, [this] {
        if (!isVisible()) return;
        (void)uTotalCpuUsagePct::SampleProcessShares(); // this tick's busiest processes
        refresh();
    });
    form_->setMouseTracking(true);
    form_->installEventFilter(this);
}

DetailsPanel::~DetailsPanel() {
    form_->removeEventFilter(this);
    if (details_.running()) uTotalCpuUsagePct::ProcessSamplingEnd();
}

bool DetailsPanel::inHoverArea(QPointF windowPos) const {
    return form_->layoutRect().contains(windowPos) &&
           !toQRectF(form_->strip().speedButtonRect()).contains(form_->toLayout(windowPos));
}

bool DetailsPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched != form_) return false;
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto* e = static_cast<QMouseEvent*>(event);
        if (e->buttons() != Qt::NoButton || !inHoverArea(e->position()))
            hideDetails();
        else if (!isVisible())
            rest_.start(); // resting starts again with every move
        break;
    }
    case QEvent::Enter: {
        // The toolkit sends no move for a pointer that comes back to the very spot it left.
        const auto* e = static_cast<QEnterEvent*>(event);
        if (inHoverArea(e->position()) && QGuiApplication::mouseButtons() == Qt::NoButton)
            rest_.start();
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Leave:
    case QEvent::Hide:
    case QEvent::Close:
        hideDetails();
        break;
    default:
        break;
    }
    return false; // the strip handles every event exactly as without the panel
}

double DetailsPanel::now() const {
    return static_cast<double>(clock_.nsecsElapsed()) / 1e9;
}

void DetailsPanel::showDetails() {
    rest_.stop();
    if (isVisible()) return;
    // The per-process sampling runs only while the panel shows its shares: its start sample
    // is the base of the next tick's. Started first, so that the per-processor base below is
    // the later reading.
    uTotalCpuUsagePct::ProcessSamplingStart(processes_);
    details_.start(now());
    // Without a compositing manager the translucent corners would show black: the panel is cut
    // to its rounded shape instead, like the strip.
    compositing_ = windowSystem().compositorActive();
    refresh();
    show();
}

void DetailsPanel::hideDetails() {
    rest_.stop();
    if (!isVisible() && !details_.running()) return;
    hide();
    details_.stop();
    uTotalCpuUsagePct::ProcessSamplingEnd();
    snapshot_ = {};
    texts_.clear(); // the look may change before the next showing
}

void DetailsPanel::refresh() {
    snapshot_ = details_.update(uTotalCpuUsagePct::LastTickShares(), now());
    relayout();
    place();
    update();
}

QFont DetailsPanel::panelFont() const {
    QFont f(toQString(form_->strip().Label1.family));
    f.setPixelSize(12);
    f.setBold(form_->strip().Label1.bold);
    return f;
}

const QStaticText& DetailsPanel::staticText(const QString& text) {
    auto it = texts_.find(text);
    if (it == texts_.end()) {
        if (texts_.size() >= kTextCacheSize) texts_.clear();
        QStaticText laidOut(text);
        laidOut.setTextFormat(Qt::PlainText);
        laidOut.prepare(QTransform(), panelFont());
        it = texts_.insert(text, laidOut);
    }
    return *it;
}

void DetailsPanel::drawTextIn(QPainter& p, const QRect& box, Qt::Alignment align,
                              const QString& text) {
    const QStaticText& laidOut = staticText(text);
    const QSizeF size = laidOut.size();
    const qreal x = align.testFlag(Qt::AlignRight) ? box.right() + 1 - size.width() : box.left();
    p.drawStaticText(QPointF(x, box.top() + (box.height() - size.height()) / 2), laidOut);
}

void DetailsPanel::relayout() {
    const QFontMetrics fm(panelFont());
    lineHeight_ = fm.height() + 2;
    summary_.clear();
    for (const std::u16string& line : details::summaryLines(snapshot_, decimalSep_))
        summary_.push_back(qs(line));
    const int indexWidth = fm.horizontalAdvance(QStringLiteral("00 "));
    const int figureWidth = fm.horizontalAdvance(QStringLiteral(" 100%"));
    cell_ = QSize(indexWidth + kBarWidth + figureWidth + 12, lineHeight_);
    // Columns of eight processors, as many side by side as the screen's width allows.
    const QScreen* screen = form_->screen();
    const int room = screen ? screen->availableGeometry().width() - 2 * kPad : 4096;
    const int n = std::max<int>(1, static_cast<int>(snapshot_.processors.size()));
    columns_ =
        std::clamp((n + kRowsPerColumn - 1) / kRowsPerColumn, 1, std::max(1, room / cell_.width()));
    rows_ = (n + columns_ - 1) / columns_;
    qreal width =
        std::max<qreal>(columns_ * cell_.width(),
                        staticText(qs(localText(TextId::DetailsProcessors))).size().width());
    for (const QString& line : summary_)
        width = std::max(width, staticText(line).size().width());
    const int height =
        lineHeight_ * (1 + rows_) + 6 + lineHeight_ * static_cast<int>(summary_.size());
    resize(qCeil(width) + 2 * kPad, height + 2 * kPad);
    if (compositing_) {
        clearMask();
    } else {
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), form_->strip().Rectangle1.radius,
                             form_->strip().Rectangle1.radius);
        setMask(QRegion(shape.toFillPolygon().toPolygon()));
    }
}

void DetailsPanel::place() {
    // Below the strip, aligned with its rounded rectangle; above it when there is no room below;
    // always inside the screen's available area.
    const QRect strip = form_->frameGeometry();
    QScreen* screen = form_->screen();
    const QRect area = screen ? screen->availableGeometry() : QRect(strip.topLeft(), size() * 4);
    QPoint at(strip.left() + 5, strip.bottom() + 1 + kGap - 5);
    if (at.y() + height() > area.bottom() + 1) at.setY(strip.top() + 5 - kGap - height());
    at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - width())));
    at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() + 1 - height())));
    move(at);
}

void DetailsPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // The strip's own background: its fill, outline, corner radius and opacity.
    const RoundedBox& rect = form_->strip().Rectangle1;
    const QRectF r = QRectF(this->rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath path;
    path.addRoundedRect(r, rect.radius, rect.radius);
    p.setOpacity(rect.opacity());
    const BoxFill& f = rect.fill;
    if (f.kind == FillKind::Gradient) {
        p.fillPath(path, gradientBrush(f, r));
    } else if (f.kind == FillKind::Bitmap && !form_->backgroundPicture().isNull()) {
        p.save();
        p.setClipPath(path);
        p.drawImage(r, form_->backgroundPicture());
        p.restore();
    } else {
        p.fillPath(path, QColor::fromRgba(f.color));
    }
    if (rect.strokeOn) {
        p.setPen(QPen(QColor::fromRgba(rect.stroke), 1));
        p.drawPath(path);
    }
    p.setOpacity(1.0);

    const QColor ink = QColor::fromRgba(form_->strip().Label1.color);
    QColor faint = ink;
    faint.setAlphaF(ink.alphaF() * 0.35);
    p.setFont(panelFont());
    p.setPen(ink);
    const QFontMetrics fm(p.font());
    int y = kPad;
    drawTextIn(p, QRect(kPad, y, width() - 2 * kPad, lineHeight_), Qt::AlignLeft,
               qs(localText(TextId::DetailsProcessors)));
    y += lineHeight_;

    // One cell per processor: its number, a bar and the figure, in columns of eight.
    const int indexWidth = fm.horizontalAdvance(QStringLiteral("00 "));
    if (snapshot_.processors.empty())
        drawTextIn(p, QRect(kPad + indexWidth, y, cell_.width(), lineHeight_), Qt::AlignLeft,
                   qs(details::kWaiting));
    for (std::size_t i = 0; i < snapshot_.processors.size(); ++i) {
        const ProcessorLoad& load = snapshot_.processors[i];
        const int col = static_cast<int>(i) / rows_, row = static_cast<int>(i) % rows_;
        const QRect cell(kPad + col * cell_.width(), y + row * lineHeight_, cell_.width(),
                         lineHeight_);
        p.setPen(ink);
        drawTextIn(p, QRect(cell.left(), cell.top(), indexWidth - 4, cell.height()), Qt::AlignRight,
                   QString::number(load.index));
        const QRectF bar(cell.left() + indexWidth, cell.center().y() - 3.5, kBarWidth, 7);
        p.setPen(QPen(faint, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(bar, 2, 2);
        const double share = std::clamp(load.percent, 0.0, 100.0) / 100.0;
        if (share > 0)
            p.fillRect(QRectF(bar.left(), bar.top(), bar.width() * share, bar.height()), ink);
        p.setPen(ink);
        drawTextIn(p,
                   QRect(static_cast<int>(bar.right()) + 2, cell.top(),
                         cell.width() - indexWidth - kBarWidth - 2, cell.height()),
                   Qt::AlignLeft, qs(details::formatPercent(load.percent)));
    }
    y += rows_ * lineHeight_ + 6;

    p.setPen(ink);
    for (const QString& line : summary_) {
        drawTextIn(p, QRect(kPad, y, width() - 2 * kPad, lineHeight_), Qt::AlignLeft, line);
        y += lineHeight_;
    }
}

} // namespace zrm58
