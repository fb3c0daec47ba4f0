// The settings on the strip's roads: read at creation, saved at close, and the two failures.
#include "StripFixture.h"
#include "settings/IniConvert.h"
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using namespace zrm58;
using namespace zrm58::testing;

class SettingsRoadTest : public QObject {
    Q_OBJECT
private slots:
    void storedSettingsReachTheStrip() {
        StripFixture f;
        f.writeIni(QStringLiteral("[Form]\nTop=-5\nLeft=7\nHeight=10\nWidth=600\nOpacity=2\n"
                                  "[Font]\nBold=1\nColor=ff00ff00\nFamily=Tahoma\n"
                                  "[Back]\nColor1=FF112233\nGradient=1\nDirection=1\n"
                                  "[Timer]\nInterval=0x3E8\n[DATE]\nFORMAT=hh:nn\nSEP=#\n"));
        TForm1& form = f.create();
        QCOMPARE(form.geometry(), QRect(7, -5, 600, 30)); // height raised by the size guard
        QCOMPARE(form.strip().Rectangle1.opacity(), 1.0f);
        QVERIFY(form.strip().isBold && form.strip().Label1.bold);
        QCOMPARE(form.strip().FontColor, QRgb(0xFF00FF00));
        QCOMPARE(form.strip().Label2.color, QRgb(0xFF00FF00));
        QCOMPARE(toQString(form.strip().Label1.family), QStringLiteral("Tahoma"));
        QCOMPARE(form.strip().Rectangle1.fill.gradientColor0, QRgb(0xFF112233));
        QCOMPARE(form.strip().timerInterval(), 1000);
        QCOMPARE(toQString(form.strip().DateFormatStr), QStringLiteral("hh:nn"));
        QCOMPARE(toQString(form.strip().SepStr), QStringLiteral("#"));
    }

    void badColourStopsTheReadAtThatKey() {
        StripFixture f;
        f.writeIni(QStringLiteral("[Form]\nLeft=77\n[Font]\nColor=black\nFamily=Arial\n"));
        f.form = std::make_unique<TForm1>(f.services);
        try {
            f.form->strip().FormCreate();
            QFAIL("no conversion error");
        } catch (const ConversionError& e) {
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("'$black' は整数ではありません"));
        }
        QCOMPARE(f.form->x(), 77); // read before the colour
        QCOMPARE(toQString(f.form->strip().FontFamilyName),
                 QStringLiteral("Segoe UI")); // never read
    }

    void closingSavesTheSettings() {
        StripFixture f;
        TForm1& form = f.create();
        form.show();
        QVERIFY(form.close());
        QVERIFY(QFile::exists(f.iniPath()));
    }

    void aFailedSaveKeepsTheStripOpen() {
        StripFixture f;
        f.services.settingsPath = "/proc/zrm58-no-such-dir/ZRM58.ini";
        TForm1& form = f.create();
        form.show();
        form.strip().SepStr = toU16(QStringLiteral("*"));
        QString shown;
        QTimer::singleShot(150, [&shown] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    shown = box->text();
                    box->accept();
                }
        });
        QVERIFY(!form.close()); // abandoned
        QVERIFY(form.isVisible());
        QCOMPARE(toQString(form.strip().SepStr), QStringLiteral("*")); // with all its state
        QVERIFY2(shown.startsWith(QStringLiteral(
                     "ファイル \"/proc/zrm58-no-such-dir/ZRM58.ini\" を作成できません。")),
                 qPrintable(shown));
        QVERIFY2(shown.endsWith(QLatin1Char('.')), "a full stop is appended");
    }
};

QTEST_MAIN(SettingsRoadTest)
#include "SettingsRoadTest.moc"
