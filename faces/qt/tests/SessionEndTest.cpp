// The session-end query through the dispatcher's hooks: it saves while the strip keeps running,
// and a failed save disturbs nothing.
#include "faces/qt/SessionEnd.h"
#include "StripFixture.h"
#include "faces/qt/MessageHooks.h"
#include <QFile>
#include <QSignalSpy>
#include <QTest>

using namespace zrm58;
using namespace zrm58::testing;

class SessionEndTest : public QObject {
    Q_OBJECT
private slots:
    void init() { MessageHooks::ModuleStart(); }
    void cleanup() { MessageHooks::ModuleEnd(); }

    void queryEndSessionSavesAndTheStripKeepsRunning() {
        StripFixture f;
        TForm1& form = f.create();
        form.show();
        form.strip().placeAt(321, 123);
        SessionEnd sessionEnd(&form);
        QVERIFY(!QFile::exists(f.iniPath()));
        sessionEnd.queryEndSession();
        QVERIFY(QFile::exists(f.iniPath()));
        QFile ini(f.iniPath());
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray bytes = ini.readAll();
        const QString text = QString::fromUtf16(
            reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
        QVERIFY(text.contains(QStringLiteral("Left=321\r\n")));
        QVERIFY(text.contains(QStringLiteral("Top=123\r\n")));
        QVERIFY(form.isVisible());
        // The strip goes on ticking after the query.
        form.strip().setTimerInterval(100);
        QSignalSpy ticks(&form, &TForm1::ticked);
        QVERIFY(ticks.wait(30000)); // returns at the first tick
    }

    void theQueryReachesOnlyThroughTheHooks() {
        StripFixture f;
        TForm1& form = f.create();
        MessageHooks::ModuleEnd(); // no hooks, no dispatcher: the event is just an event
        SessionEnd sessionEnd(&form);
        sessionEnd.queryEndSession();
        QVERIFY(!QFile::exists(f.iniPath()));
        MessageHooks::ModuleStart();
    }

    void aFailedSaveAtTheSessionEndIsReportedAndNothingElseHappens() {
        StripFixture f;
        f.services.settingsPath = "/proc/zrm58-no-such-dir/ZRM58.ini";
        TForm1& form = f.create();
        form.show();
        SessionEnd sessionEnd(&form);
        sessionEnd.queryEndSession(); // written to standard error; no dialog, no exception
        QVERIFY(form.isVisible());
        QVERIFY(QApplication::topLevelWidgets().size() >= 1);
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY2(!w->inherits("QMessageBox"), "no dialog on the session-end road");
    }

    void aDestroyedStripIsNeverOffered() {
        {
            StripFixture f;
            f.create();
            QCOMPARE(TMessageDispatcherWin::handlerCount(), std::size_t{1});
        }
        QCOMPARE(TMessageDispatcherWin::handlerCount(), std::size_t{0});
    }
};

QTEST_MAIN(SessionEndTest)
#include "SessionEndTest.moc"
