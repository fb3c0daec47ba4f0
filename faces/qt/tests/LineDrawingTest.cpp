// A tick draws only the glyphs of the line that reach the area it repaints: inside that area the
// pixels must be those of the whole layout drawn, for the strip's fonts, scales and origins.
#include "faces/qt/LineDrawing.h"
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QTextLayout>
#include <vector>

using namespace zrm58;

namespace {

QImage blank() {
    QImage img(900, 70, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

void prepare(QPainter& p, qreal scale) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(scale, scale);
    p.setPen(QColor(20, 20, 20));
}

} // namespace

class LineDrawingTest : public QObject {
    Q_OBJECT
private slots:
    void partEqualsWhole_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<qreal>("scale"); // the strip's box scaled into its window
        QTest::addColumn<QPointF>("origin");
        QTest::addColumn<QString>("text");
        const QString line = QString::fromUtf8(
            "｜2026年12月11日 (金) 09:38:59 (令和 8年)｜RAM: 45.1% (3.6/7.8GB)｜CPU: 3%");
        const QString latin = QStringLiteral("|Fri 12/11/26 5:07:09 AM|RAM: 45.1% AVAToWa fi|");
        QTest::newRow("default look")
            << "Noto Sans CJK JP" << 11 << false << 0.996 << QPointF(33, 4.5) << line;
        QTest::newRow("bold, scaled up")
            << "Noto Sans CJK JP" << 11 << true << 1.5 << QPointF(33, 2.25) << line;
        QTest::newRow("odd scale")
            << "Noto Sans CJK JP" << 16 << false << 1.37 << QPointF(33, 3.4) << line;
        QTest::newRow("Latin with kerning pairs")
            << "DejaVu Sans" << 13 << false << 1.0 << QPointF(33, 4) << latin;
        QTest::newRow("serif, scaled")
            << "Liberation Serif" << 12 << true << 2.31 << QPointF(33.5, 4) << latin;
        // Off the 1/64 grid the toolkit rounds a part's positions otherwise: the whole is drawn.
        QTest::newRow("origin off the grid")
            << "Noto Sans CJK JP" << 16 << false << 1.37 << QPointF(33.3, 4.4) << line;
        QTest::newRow("right to left")
            << "DejaVu Sans" << 13 << false << 1.0 << QPointF(33, 4)
            << QStringLiteral("09:38:59 \u05D9\u05D5\u05DD \u05E9\u05E2\u05D4 12:00");
    }
    void partEqualsWhole() {
        QFETCH(QString, family);
        QFETCH(int, pixels);
        QFETCH(bool, bold);
        QFETCH(qreal, scale);
        QFETCH(QPointF, origin);
        QFETCH(QString, text);
        QFont font(family);
        font.setPixelSize(pixels);
        font.setBold(bold);
        QTextLayout layout(text, font);
        layout.setCacheEnabled(true);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(640);
        layout.endLayout();

        QImage whole = blank();
        {
            QPainter p(&whole);
            prepare(p, scale);
            layout.draw(&p, origin);
        }
        // Narrow columns swept across: every glyph's edge falls inside one and outside the next.
        for (int x = 0; x < whole.width(); x += 4) {
            const QRect area(x, 0, 4, whole.height());
            QImage part = blank();
            {
                QPainter p(&part);
                p.setClipRect(area);
                prepare(p, scale);
                drawLineWithin(p, layout, text, origin, pixels,
                               p.transform().inverted().mapRect(QRectF(area)));
            }
            for (int y = 0; y < whole.height(); ++y)
                for (int px = x; px < x + 4; ++px)
                    if (part.pixel(px, y) != whole.pixel(px, y))
                        QFAIL(qPrintable(QStringLiteral("pixel %1,%2: %3 drawn in part, %4 whole")
                                             .arg(px)
                                             .arg(y)
                                             .arg(part.pixel(px, y), 8, 16)
                                             .arg(whole.pixel(px, y), 8, 16)));
        }
    }
};

QTEST_MAIN(LineDrawingTest)
#include "LineDrawingTest.moc"
