// The strip window on the offscreen platform: the tick, the timer rules, creation and closing.
#include "StripFixture.h"
#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace zrm58;
using namespace zrm58::testing;

class StripWindowTest : public QObject {
    Q_OBJECT
private slots:
    void tickComposesTheLine() {
        StripFixture f;
        f.memory.status = MemoryStatus{16000ull << 20, (16000ull - 8480) << 20};
        TForm1& form = f.create();
        QVERIFY(toQString(form.strip().Label1.text).isEmpty());
        QCOMPARE(toQString(form.strip().Label2.text), QString(QChar(0xE1E9)));
        form.strip().SepStr = toU16(QStringLiteral("｜"));
        form.strip().DateFormatStr = toU16(QStringLiteral("yyyy/m/d hh:nn:ss"));
        form.strip().Timer1Timer();
        QCOMPARE(toQString(form.strip().Label1.text),
                 QStringLiteral("｜2023/5/30 08:18:13｜RAM: 52% (8.3/15.6)｜CPU:  0%"));
        QCOMPARE(toQString(form.strip().Label2.text), QString(QChar(0xEC37)));
    }

    void intervalRules_data() {
        QTest::addColumn<QString>("interval");
        QTest::addColumn<bool>("ticks");
        QTest::newRow("default 1000 ms ticks") << QString() << true;
        QTest::newRow("200 ms ticks") << QStringLiteral("200") << true;
        QTest::newRow("0 never ticks") << QStringLiteral("0") << false;
        QTest::newRow("negative never ticks") << QStringLiteral("-5") << false;
    }
    void intervalRules() {
        QFETCH(QString, interval);
        QFETCH(bool, ticks);
        StripFixture f;
        if (!interval.isNull()) f.writeIni(QStringLiteral("[Timer]\nInterval=%1\n").arg(interval));
        TForm1& form = f.create();
        QSignalSpy spy(&form, &TForm1::ticked);
        if (ticks) {
            QVERIFY(spy.wait(30000)); // however late a loaded machine delivers it
        } else {
            QTest::qWait(1300); // past the default interval's first tick
            QCOMPARE(spy.count(), 0);
        }
        if (!ticks) {
            QVERIFY(toQString(form.strip().Label1.text).isEmpty());
            QCOMPARE(toQString(form.strip().Label2.text), QString(QChar(0xE1E9)));
        }
    }

    void firstShowing_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("centred");
        QTest::addColumn<QPoint>("at");
        QTest::newRow("no file: 200, 200") << QString() << false << QPoint(200, 200);
        QTest::newRow("0, 0: not moved, centred")
            << QStringLiteral("Top=0\nLeft=0") << true << QPoint();
        QTest::newRow("0, 1: shown where stored")
            << QStringLiteral("Top=1\nLeft=0") << false << QPoint(0, 1);
    }
    void firstShowing() {
        QFETCH(QString, stored);
        QFETCH(bool, centred);
        QFETCH(QPoint, at);
        StripFixture f;
        if (!stored.isNull()) f.writeIni(QStringLiteral("[Form]\n") + stored + QLatin1Char('\n'));
        TForm1& form = f.create();
        form.strip().showFirst();
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        if (centred)
            QCOMPARE(form.geometry().center(), screen.center());
        else
            QCOMPARE(form.pos(), at);
        QCOMPARE(form.size(), QSize(523, 40));
    }

    void settingTheSameIntervalKeepsThePeriod() {
        StripFixture f;
        f.writeIni(QStringLiteral("[Timer]\nInterval=600\n"));
        TForm1& form = f.create();
        QSignalSpy spy(&form, &TForm1::ticked);
        // Re-setting 600 every 400 ms must not restart the timer, so ticks still come; a timer
        // restarted by each would never tick (unless a loaded machine holds a wait past 600 ms).
        for (int i = 0; i < 75 && spy.count() < 2; ++i) {
            QTest::qWait(400);
            form.strip().setTimerInterval(600);
        }
        QVERIFY(spy.count() >= 2);
    }

    // A save that fails at the close: the error box's default (a click on it, Escape) keeps the
    // strip running; its second button ends it, and the file is left as it was.
    void failedSaveAtClose_data() {
        QTest::addColumn<QString>("answer"); // "escape", or the object name of the button clicked
        QTest::addColumn<bool>("closed");
        QTest::newRow("Escape") << QStringLiteral("escape") << false;
        QTest::newRow("終了しない") << QStringLiteral("keepRunning") << false;
        QTest::newRow("保存せずに終了") << QStringLiteral("endWithoutSaving") << true;
    }
    void failedSaveAtClose() {
        QFETCH(QString, answer);
        QFETCH(bool, closed);
        StripFixture f;
        // The settings file's folder is a regular file: no save can succeed, not even as root.
        QFile blocker(f.dir.filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        f.services.settingsPath = (blocker.fileName() + QStringLiteral("/ZRM58.ini")).toStdString();
        TForm1& form = f.create();
        form.show();
        QString text, defaultText;
        QStringList buttons;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            poll.stop();
            text = box->text();
            for (QAbstractButton* b : box->buttons())
                buttons << b->text();
            defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
            if (answer == QLatin1String("escape"))
                QTest::keyClick(box, Qt::Key_Escape);
            else if (auto* button = box->findChild<QPushButton*>(answer))
                button->click();
            else
                box->reject(); // no such button: the checks below tell
        });
        poll.start();
        QCOMPARE(form.close(), closed);
        QVERIFY2(text.contains(QStringLiteral("blocker")), qPrintable(text));
        buttons.sort();
        QCOMPARE(buttons,
                 (QStringList{QStringLiteral("保存せずに終了"), QStringLiteral("終了しない")}));
        QCOMPARE(defaultText, QStringLiteral("終了しない"));
        QVERIFY(!QFile::exists(blocker.fileName() + QStringLiteral("/ZRM58.ini")));
    }
};

QTEST_MAIN(StripWindowTest)
#include "StripWindowTest.moc"
