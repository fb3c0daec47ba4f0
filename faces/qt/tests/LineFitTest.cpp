// The status line against the strip's rectangle on the offscreen platform: a first start widens
// the strip to the line, and a line that still does not fit is cut at the rectangle.
#include "StripFixture.h"
#include "platform/Platform.h"
#include "status/LocaleFormat.h"
#include <QPainter>
#include <QTest>

using namespace zrm58;
using namespace zrm58::testing;

namespace {

// The user's locale as the strip reads it at start-up.
void useLocale(StripServices& services, const QByteArray& lang) {
    qunsetenv("LC_ALL");
    qunsetenv("LC_TIME");
    qputenv("LANG", lang);
    std::unique_ptr<LocaleSource> source = createSystemLocaleSource();
    const LocaleStartup startup = initLocaleAtStartup(*source);
    services.localeSettings = startup.settings;
    services.startupLocale = startup.locale;
}

// The strip as drawn on nothing: every pixel it paints has some alpha.
QImage drawn(TForm1& form) {
    QImage img(form.size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    form.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}

} // namespace

class LineFitTest : public QObject {
    Q_OBJECT
private slots:
    // Locale, separator and width factor as stored (none: a start without a settings file):
    // after the first tick the line lies on one line inside its place when `oneLine`, and
    // nothing of it is ever drawn outside the strip's rectangle.
    void lineStaysInsideTheStrip_data() {
        QTest::addColumn<QByteArray>("lang");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<double>("widthFactor"); // 0: no settings file
        QTest::addColumn<bool>("oneLine");
        const QString two = QString::fromUcs4(U"\U0001F42F\U0001F424"); // two ready separators
        QTest::newRow("th_TH, first start")
            << QByteArray("th_TH.UTF-8") << QString() << 0.0 << true;
        QTest::newRow("he_IL, first start")
            << QByteArray("he_IL.UTF-8") << QString() << 0.0 << true;
        QTest::newRow("ar_EG, first start")
            << QByteArray("ar_EG.UTF-8") << QString() << 0.0 << true;
        QTest::newRow("ja_JP, first start")
            << QByteArray("ja_JP.UTF-8") << QString() << 0.0 << true;
        QTest::newRow("en_US, two separators, stored factor 1")
            << QByteArray("en_US.UTF-8") << two << 1.0 << false;
        QTest::newRow("th_TH, stored factor 0.3")
            << QByteArray("th_TH.UTF-8") << QString() << 0.3 << false;
        QTest::newRow("he_IL, stored factor 0.5")
            << QByteArray("he_IL.UTF-8") << QString() << 0.5 << false;
    }
    void lineStaysInsideTheStrip() {
        QFETCH(QByteArray, lang);
        QFETCH(QString, separator);
        QFETCH(double, widthFactor);
        QFETCH(bool, oneLine);
        StripFixture f;
        useLocale(f.services, lang);
        std::unique_ptr<AltCalendar> calendar = createSystemAltCalendar();
        f.services.altCalendar = calendar.get();
        if (widthFactor > 0) {
            QString ini = QStringLiteral("[Form]\nOriginal=%1\n").arg(widthFactor);
            if (!separator.isEmpty()) ini += QStringLiteral("[DATE]\nSEP=%1\n").arg(separator);
            f.writeIni(ini);
        }
        TForm1& form = f.create();
        form.strip().Timer1Timer();

        if (oneLine) {
            QVERIFY2(form.lineWidth(toQString(form.strip().Label1.text)) <=
                         toQRectF(form.strip().label1Rect()).width(),
                     qPrintable(toQString(form.strip().Label1.text)));
            QCOMPARE(form.height(), 40);
            const bool widened = form.width() > 523;
            QCOMPARE(form.width(), widened ? form.strip().OriginalWidth + 10 : 523);
        } else {
            QVERIFY(form.lineWidth(toQString(form.strip().Label1.text)) >
                    toQRectF(form.strip().label1Rect()).width()); // it wraps
        }

        const QImage img = drawn(form);
        const QRect inside = form.layoutRect().toAlignedRect();
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (!inside.contains(x, y) && qAlpha(img.pixel(x, y)) != 0)
                    QFAIL(qPrintable(
                        QStringLiteral("drawn at %1, %2 outside the rectangle").arg(x).arg(y)));
    }

    // The width a first start takes is the same whatever the load at its first tick: a machine
    // busy at login must not leave a wider strip than an idle one.
    void firstStartWidthIgnoresTheLoad_data() {
        QTest::addColumn<QByteArray>("lang");
        QTest::newRow("ja_JP") << QByteArray("ja_JP.UTF-8");
        QTest::newRow("th_TH") << QByteArray("th_TH.UTF-8");
    }
    void firstStartWidthIgnoresTheLoad() {
        QFETCH(QByteArray, lang);
        int widths[2] = {};
        for (int busy = 0; busy < 2; ++busy) {
            StripFixture f;
            useLocale(f.services, lang);
            std::unique_ptr<AltCalendar> calendar = createSystemAltCalendar();
            f.services.altCalendar = calendar.get();
            TForm1& form = f.create();
            f.machine.advance(busy ? 1000 : 0, busy ? 0 : 1000);
            form.strip().Timer1Timer();
            QVERIFY(toQString(form.strip().cpuInfo)
                        .endsWith(busy ? QStringLiteral("100%") : QStringLiteral(" 0%")));
            widths[busy] = form.width();
        }
        QCOMPARE(widths[1], widths[0]);
    }

    void widenedFirstStartIsStoredAsItsWidthFactor() {
        StripFixture f;
        useLocale(f.services, "he_IL.UTF-8");
        std::unique_ptr<AltCalendar> calendar = createSystemAltCalendar();
        f.services.altCalendar = calendar.get();
        TForm1& first = f.create();
        first.strip().Timer1Timer();
        const double factor = first.strip().MuWidth;
        const int width = first.width();
        QVERIFY(factor > 1.0);
        QCOMPARE(width, first.strip().OriginalWidth + 10); // content at scale 1 across
        first.strip().WriteIniFile();
        // The next start reads what the first stored, as the settings window would have left it.
        TForm1& next = f.create();
        QCOMPARE(next.strip().MuWidth, factor);
        QCOMPARE(next.width(), width);
        next.strip().Timer1Timer();
        QCOMPARE(next.width(), width);
    }
};

QTEST_MAIN(LineFitTest)
#include "LineFitTest.moc"
