#pragma once
#include "status/SystemDetails.h"
#include <QElapsedTimer>
#include <QHash>
#include <QStaticText>
#include <QTimer>
#include <QWidget>
#include <memory>

namespace zrm58 {

class TForm1;

// The details on hover: when the pointer rests about 0.7 s on the strip's line or glyph (not on
// the menu button, no button held), a small panel in the strip's look appears beside the strip:
// the load of each logical processor, memory, network, temperature and the five busiest
// processes of the last tick. It follows every tick while shown and goes when the pointer
// leaves the strip or a button is pressed. It takes no input and never the focus; the strip's
// presses, drags, resize mode and menu see no difference. While it is hidden nothing of it runs
// but the pointer watch.
class DetailsPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRestMs = 700;

    // `processes` is the per-process sampler's source (also for the per-processor times of its
    // own reading), which the panel starts while shown; both must outlive the panel.
    DetailsPanel(TForm1* form, ProcessSource& processes, SystemDetailsSource& source,
                 char16_t decimalSep);
    ~DetailsPanel() override;

    // What the rest timer does when the pointer stayed; and what leave and press do.
    void showDetails();
    void hideDetails();
    const DetailsSnapshot& snapshot() const { return snapshot_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* e) override;

private:
    bool inHoverArea(QPointF windowPos) const;
    void refresh();
    void relayout();
    void place();
    double now() const;
    QFont panelFont() const;
    // Texts laid out once and kept while shown: the labels, processor numbers and most figures
    // repeat from tick to tick, and laying out text is most of the panel's paint.
    const QStaticText& staticText(const QString& text);
    void drawTextIn(QPainter& p, const QRect& box, Qt::Alignment align, const QString& text);

    TForm1* form_;
    ProcessSource& processes_;
    QTimer rest_;
    SystemDetails details_;
    char16_t decimalSep_;
    QElapsedTimer clock_;
    DetailsSnapshot snapshot_;
    std::vector<QString> summary_;
    int columns_ = 1, rows_ = 0;
    QSize cell_;
    int lineHeight_ = 0;
    bool compositing_ = true;
    static constexpr qsizetype kTextCacheSize = 512;
    QHash<QString, QStaticText> texts_;
};

} // namespace zrm58
