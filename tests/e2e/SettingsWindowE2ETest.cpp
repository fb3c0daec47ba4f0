// The settings window of the real strip, opened through its menu with the pointer, checked by a
// screenshot, and closed with its Close button, which saves what the window holds; closed by the
// caption bar, it gives back untouched values and texts as the file held them.
#include "E2eSupport.h"
#include <QSet>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

using namespace e2e;

namespace {

QStringList visibleWindows(const QStringList& searchArgs) {
    QStringList args{QStringLiteral("search"), QStringLiteral("--onlyvisible")};
    args << searchArgs;
    const QString out = run(QStringLiteral("xdotool"), args);
    return out.isEmpty() ? QStringList() : out.split('\n');
}

// The process's visible window titled `title`. By name, since xdotool's own search cannot match
// non-ASCII titles (it reads WM_NAME, not the UTF-8 _NET_WM_NAME).
QString windowTitled(const QString& pid, const QString& title) {
    for (const QString& w : visibleWindows({QStringLiteral("--pid"), pid}))
        if (run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), w}) == title) return w;
    return {};
}

QString waitForTitled(const QString& pid, const QString& title, int timeoutMs = kStateMs) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        if (QString w = windowTitled(pid, title); !w.isEmpty()) return w;
        QThread::msleep(100);
    }
    return {};
}

void clickAt(QPoint p) {
    run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y()),
         QStringLiteral("click"), QStringLiteral("1")});
}

// Opens the settings window through the strip's menu with the pointer (its second item,
// "設定"); its window id, or empty. `logicalWidth` as openMenu takes it.
QString openSettingsOnce(Strip& strip, const QString& shotPath, double logicalWidth) {
    const QString menu = openMenu(strip, logicalWidth);
    if (menu.isEmpty()) {
        qInfo("no menu");
        return {};
    }
    if (!clickMenuItem(menuItem(menu, 1), shotPath)) {
        qInfo("the menu never marked its item");
        return {};
    }
    return waitForTitled(QString::number(strip.process.processId()), QStringLiteral("設定"));
}

// openSettingsOnce, once more after an Escape when the first try shows no settings window: on a
// loaded machine a strip started with a pattern of a million characters now and then takes no
// click on its button, or leaves its menu unmarked, for longer than the wait (the cause is not
// found yet; the menu opens at once on an idle machine).
QString openSettings(Strip& strip, const QString& shotPath, double logicalWidth = 515) {
    QString settings = openSettingsOnce(strip, shotPath, logicalWidth);
    if (settings.isEmpty()) {
        run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
        settings = openSettingsOnce(strip, shotPath, logicalWidth);
    }
    return settings;
}

// The strip window of this strip's own process (a strip of an earlier test may still be on the
// screen for a moment after its end); empty after the timeout.
QString waitForOwnWindow(Strip& strip, int timeoutMs = kStateMs) {
    const QString pid = QString::number(strip.process.processId());
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        for (const QString& w : visibleWindows({QStringLiteral("--pid"), pid}))
            if (run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), w}) ==
                QLatin1String("ZRM58"))
                return strip.window = w;
        QThread::msleep(100);
    }
    return {};
}

bool waitUntilGone(const QString& pid, const QString& title, int timeoutMs = kStateMs) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs && !windowTitled(pid, title).isEmpty())
        QThread::msleep(100);
    return windowTitled(pid, title).isEmpty();
}

// The caption bar's close button as a window manager delivers it: WM_DELETE_WINDOW.
void sendDeleteWindow(const QString& window) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    auto atom = [c](const char* name) {
        xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(r);
        return a;
    };
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = window.toUInt();
    ev.type = atom("WM_PROTOCOLS");
    ev.data.data32[0] = atom("WM_DELETE_WINDOW");
    ev.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, ev.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ev));
    xcb_flush(c);
    xcb_disconnect(c);
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The settings file's text (UTF-16 with its byte-order mark), key by key: "Section/Key".
QMap<QString, QString> readSettingsFile(const QString& path) {
    QFile f(path);
    QMap<QString, QString> values;
    if (!f.open(QIODevice::ReadOnly)) return values;
    const QByteArray bytes = f.readAll();
    const QString text =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
    QString section;
    for (QString line : text.split(QStringLiteral("\r\n"))) {
        if (line.startsWith(QChar(0xFEFF))) line.remove(0, 1);
        if (line.startsWith('['))
            section = line.mid(1, line.indexOf(']') - 1);
        else if (line.contains('='))
            values.insert(section + '/' + line.section('=', 0, 0), line.section('=', 1));
    }
    return values;
}

} // namespace

class SettingsWindowE2ETest : public QObject {
    Q_OBJECT
    QString binary = QStringLiteral(ZRM58_BINARY);
    QString shots = QStringLiteral(ZRM58_SHOTS);

private slots:
    void initTestCase() { QDir().mkpath(shots); }

    void openThroughTheMenuAndCloseSaving() {
        Strip strip(binary);
        strip.start({QStringLiteral("LANG=en_US.UTF-8")});
        QVERIFY(!strip.waitForWindow().isEmpty());
        QTest::qWait(500);
        const QString pid = QString::number(strip.process.processId());
        const QString settings = openSettings(strip, shots + QStringLiteral("/settings-menu.png"));
        QVERIFY2(!settings.isEmpty(), "no window titled 設定");
        const QRect s = windowGeometry(settings);
        QCOMPARE(s.size(), QSize(559, 473));
        // Centred on the 1280 x 800 desktop at its first showing.
        QVERIFY2((s.center() - QPoint(640, 400)).manhattanLength() <= 4,
                 qPrintable(QStringLiteral("%1,%2").arg(s.x()).arg(s.y())));

        QImage img, window;
        QSet<QRgb> colours;
        int dark = 0, reminder = 0;
        waitUntil([&] { // painted, however late a loaded machine paints it
            img = screenshot(shots + QStringLiteral("/settings-window.png"));
            window = img.copy(s);
            colours.clear();
            dark = reminder = 0;
            for (int y = 0; y < window.height(); ++y)
                for (int x = 0; x < window.width(); ++x) {
                    colours.insert(window.pixel(x, y));
                    if (qGray(window.pixel(x, y)) < 90) ++dark;
                }
            // The reminder of the format letters below the group boxes (one or two lines, as
            // the font found here decides).
            for (int y = 360; y < 400; ++y)
                for (int x = 8; x < 553; ++x)
                    reminder += qGray(window.pixel(x, y)) < 90;
            return colours.size() > 20 && dark > 2000 && reminder > 300;
        });
        QVERIFY(!img.isNull());
        QVERIFY2(colours.size() > 20, "the window is (nearly) one colour");
        QVERIFY2(dark > 2000, qPrintable(QStringLiteral("dark pixels: %1").arg(dark)));
        // The reminder has its text, and no part of the window shows the desktop.
        QVERIFY2(reminder > 300, qPrintable(QString::number(reminder)));
        QVERIFY(channelDistance(window.pixel(2, 2), desktopColour(img)) > 10);

        // Tick グラジエント (group 背景 at 328, 16; the box at 24, 32 in it), then Close: saves
        // what the window holds, the gradient among it, then the window goes.
        QVERIFY(!QFile::exists(strip.iniPath()));
        clickAt(s.topLeft() + QPoint(328 + 24 + 8, 16 + 32 + 9));
        QTest::qWait(200);
        clickAt(s.topLeft() + QPoint(128 + 104, 408 + 20));
        QVERIFY(waitUntilGone(pid, QStringLiteral("設定")));
        QVERIFY(QFile::exists(strip.iniPath()));
        QCOMPARE(readSettingsFile(strip.iniPath()).value(QStringLiteral("Back/Gradient")),
                 QStringLiteral("1"));
        QCOMPARE(strip.process.state(), QProcess::Running);
    }

    // A file opened in the settings window and closed by the caption bar without any change
    // comes back as it was: the opacity and the width factor unrounded, the width from the
    // factor.
    void captionCloseKeepsUntouchedValues() {
        const QByteArray stored =
            utf16File(QStringLiteral("[Form]\nOpacity=0.55\nOriginal=1.234\n"));
        Strip strip(binary, stored);
        strip.start({QStringLiteral("LANG=en_US.UTF-8")});
        QVERIFY(!waitForOwnWindow(strip).isEmpty());
        QTest::qWait(500);
        const QString pid = QString::number(strip.process.processId());
        const QString settings =
            openSettings(strip, shots + QStringLiteral("/settings-menu.png"), 635); // 1.234 × 515
        QVERIFY2(!settings.isEmpty(), "no window titled 設定");
        QTest::qWait(500);
        sendDeleteWindow(settings);
        if (!waitUntilGone(pid, QStringLiteral("設定"), 3000)) {
            // Without a window manager the toolkit now and then leaves the message unserved
            // (seen with and without this change); Escape takes the same road, the dialog's
            // reject without a save.
            qInfo("WM_DELETE_WINDOW not served: Escape instead");
            run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--window"),
                                            settings, QStringLiteral("Escape")});
        }
        QVERIFY(waitUntilGone(pid, QStringLiteral("設定")));
        QCOMPARE(fileBytes(strip.iniPath()), stored); // the caption bar saves nothing
        // SIGTERM saves the strip's state and ends it.
        ::kill(static_cast<pid_t>(strip.process.processId()), SIGTERM);
        QVERIFY(strip.process.waitForFinished(kStateMs));
        QCOMPARE(strip.process.exitCode(), 0);
        const QMap<QString, QString> saved = readSettingsFile(strip.iniPath());
        QCOMPARE(saved.value(QStringLiteral("Form/Opacity")), QStringLiteral("0.550000011920929"));
        QCOMPARE(saved.value(QStringLiteral("Form/Original")), QStringLiteral("1.234"));
        QCOMPARE(saved.value(QStringLiteral("Form/Width")), QStringLiteral("645"));
    }

    // A pattern of a million characters goes through the settings window whole: shown in its
    // text field, saved by Close and kept by the strip.
    void longPatternKeptThroughTheWindow() {
        const QString format(1000000, QLatin1Char('x'));
        Strip strip(binary, utf16File(QStringLiteral("[DATE]\nFORMAT=%1\n").arg(format)));
        strip.start({QStringLiteral("LANG=en_US.UTF-8")});
        QVERIFY(!waitForOwnWindow(strip).isEmpty());
        QTest::qWait(500);
        const QString pid = QString::number(strip.process.processId());
        const QString settings = openSettings(strip, shots + QStringLiteral("/settings-menu.png"));
        QVERIFY2(!settings.isEmpty(), "no window titled 設定");
        QTest::qWait(1500); // a million characters take a while to lay out
        const QRect s = windowGeometry(settings);
        screenshot(shots + QStringLiteral("/settings-long-pattern.png"));
        clickAt(s.topLeft() + QPoint(128 + 104, 408 + 20)); // Close
        QVERIFY(waitUntilGone(pid, QStringLiteral("設定")));
        QCOMPARE(readSettingsFile(strip.iniPath()).value(QStringLiteral("DATE/FORMAT")).size(),
                 format.size());
        // And the strip holds it whole too: its own save at the end writes it again.
        ::kill(static_cast<pid_t>(strip.process.processId()), SIGTERM);
        QVERIFY(strip.process.waitForFinished(kStateMs));
        QCOMPARE(readSettingsFile(strip.iniPath()).value(QStringLiteral("DATE/FORMAT")).size(),
                 format.size());
    }
};

QTEST_GUILESS_MAIN(SettingsWindowE2ETest)
#include "SettingsWindowE2ETest.moc"
