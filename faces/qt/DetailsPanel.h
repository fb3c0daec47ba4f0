#pragma once
#include "strip/DetailsHover.h"
#include <QHash>
#include <QStaticText>
#include <QTimer>
#include <QWidget>
#include <memory>

namespace zrm58 {

class TForm1;

// The details on hover (strip/DetailsHover.h) in a Qt window: a small panel in the strip's look
// beside the strip, with a bar per logical processor. It takes no input and never the focus; the
// strip's presses, drags, resize mode and menu see no difference. While it is hidden nothing of
// it runs but the pointer watch.
class DetailsPanel : public QWidget, private DetailsPanelFace {
    Q_OBJECT
public:
    static constexpr int kRestMs = DetailsHover::kRestMs;

    // `processes` is the per-process sampler's source (also for the per-processor times of its
    // own reading), which the panel starts while shown; both must outlive the panel.
    DetailsPanel(TForm1* form, ProcessSource& processes, SystemDetailsSource& source,
                 char16_t decimalSep);
    ~DetailsPanel() override;

    // What the rest timer does when the pointer stayed; and what leave and press do.
    void showDetails() { hover_.show(); }
    void hideDetails() { hover_.hide(); }
    const DetailsSnapshot& snapshot() const { return hover_.snapshot(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void startRestTimer(int ms) override { rest_.start(ms); }
    void stopRestTimer() override { rest_.stop(); }
    bool buttonHeld() const override;
    Size setDetails(const DetailsSnapshot& snapshot) override;
    void showAt(const Rect& frame) override;
    void hidePanel() override;

    QFont panelFont() const;
    // Texts laid out once and kept while shown: the labels, processor numbers and most figures
    // repeat from tick to tick, and laying out text is most of the panel's paint.
    const QStaticText& staticText(const QString& text);
    void drawTextIn(QPainter& p, const QRect& box, Qt::Alignment align, const QString& text);

    TForm1* form_;
    QTimer rest_;
    char16_t decimalSep_;
    std::vector<QString> summary_;
    int columns_ = 1, rows_ = 0;
    QSize cell_;
    int lineHeight_ = 0;
    bool compositing_ = true;
    static constexpr qsizetype kTextCacheSize = 512;
    QHash<QString, QStaticText> texts_;
    DetailsHover hover_; // last: made when the window is, gone before it
};

} // namespace zrm58
