#include "faces/qt/DetailsPanel.h"
#include "faces/qt/QtText.h"
#include "faces/qt/StripWindow.h"
#include "faces/qt/WindowSystem.h"
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
      form_(form), decimalSep_(decimalSep), hover_(form->strip(), *this, processes, source) {
    setObjectName(QStringLiteral("DetailsPanel"));
    setWindowTitle(QStringLiteral("ZRM58 details"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);

    rest_.setSingleShot(true);
    connect(&rest_, &QTimer::timeout, this, [this] { hover_.restElapsed(); });
    connect(form_, &TForm1::ticked, this, [this] { hover_.ticked(); });
    form_->setMouseTracking(true);
    form_->installEventFilter(this);
}

DetailsPanel::~DetailsPanel() {
    form_->removeEventFilter(this);
}

bool DetailsPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched != form_) return false;
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto* e = static_cast<QMouseEvent*>(event);
        hover_.pointerMoved(toPointF(e->position()), e->buttons() != Qt::NoButton);
        break;
    }
    case QEvent::Enter: // the toolkit sends no move for a pointer back at the spot it left
        hover_.pointerMoved(toPointF(static_cast<QEnterEvent*>(event)->position()), buttonHeld());
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Leave:
    case QEvent::Hide:
    case QEvent::Close:
        hover_.hide();
        break;
    default:
        break;
    }
    return false; // the strip handles every event exactly as without the panel
}

bool DetailsPanel::buttonHeld() const {
    return QGuiApplication::mouseButtons() != Qt::NoButton;
}

Size DetailsPanel::setDetails(const DetailsSnapshot& snapshot) {
    // Without a compositing manager the translucent corners would show black: the panel is cut
    // to its rounded shape instead, like the strip.
    if (!isVisible()) compositing_ = windowSystem().compositorActive();
    const QFontMetrics fm(panelFont());
    lineHeight_ = fm.height() + 2;
    summary_.clear();
    for (const std::u16string& line : details::summaryLines(snapshot, decimalSep_))
        summary_.push_back(qs(line));
    const int indexWidth = fm.horizontalAdvance(QStringLiteral("00 "));
    const int figureWidth = fm.horizontalAdvance(QStringLiteral(" 100%"));
    cell_ = QSize(indexWidth + kBarWidth + figureWidth + 12, lineHeight_);
    // Columns of eight processors, as many side by side as the screen's width allows.
    const QScreen* screen = form_->screen();
    const int room = screen ? screen->availableGeometry().width() - 2 * kPad : 4096;
    const int n = std::max<int>(1, static_cast<int>(snapshot.processors.size()));
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
    return {QWidget::width(), QWidget::height()};
}

void DetailsPanel::showAt(const Rect& frame) {
    move(frame.left, frame.top);
    update();
    show();
}

void DetailsPanel::hidePanel() {
    hide();
    texts_.clear(); // the look may change before the next showing
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
    const DetailsSnapshot& snapshot = hover_.snapshot();
    int y = kPad;
    drawTextIn(p, QRect(kPad, y, width() - 2 * kPad, lineHeight_), Qt::AlignLeft,
               qs(localText(TextId::DetailsProcessors)));
    y += lineHeight_;

    // One cell per processor: its number, a bar and the figure, in columns of eight.
    const int indexWidth = fm.horizontalAdvance(QStringLiteral("00 "));
    if (snapshot.processors.empty())
        drawTextIn(p, QRect(kPad + indexWidth, y, cell_.width(), lineHeight_), Qt::AlignLeft,
                   qs(details::kWaiting));
    for (std::size_t i = 0; i < snapshot.processors.size(); ++i) {
        const ProcessorLoad& load = snapshot.processors[i];
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
