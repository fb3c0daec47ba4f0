// What the strip keeps from costing: no bus daemon started on the user's behalf, no settings
// window until it is asked for, and repaints of part of the strip that leave exactly the pixels a
// whole repaint leaves.
#include "StripFixture.h"
#include "faces/qt/SettingsWindow.h"
#include "faces/qt/StartupPlatform.h"
#include <QApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

using namespace zrm58;
using namespace zrm58::testing;

namespace {

// A listening Unix socket at `path`, as a session bus leaves in XDG_RUNTIME_DIR.
int listenAt(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray p = path.toLocal8Bit();
    std::memcpy(addr.sun_path, p.constData(), std::min<std::size_t>(p.size(), 100));
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Sets or (for a null value) removes an environment variable for one scope.
struct ScopedEnv {
    ScopedEnv(const char* name, const QByteArray& value) : name_(name) {
        had_ = qEnvironmentVariableIsSet(name);
        old_ = qgetenv(name);
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    const char* name_;
    bool had_;
    QByteArray old_;
};

// The strip as a translucent window's backing store holds it: transparent, then painted.
QImage wholePaint(TForm1& form) {
    QImage img(form.size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    form.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}

// What the backing store does for a repaint of `area` alone: that area cleared, then painted.
void partialPaint(TForm1& form, QImage& img, const QRegion& area) {
    {
        QPainter p(&img);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        for (const QRect& r : area)
            p.fillRect(r, Qt::transparent);
    }
    form.render(&img, area.boundingRect().topLeft(), area, QWidget::DrawChildren);
}

constexpr std::uint64_t GiB = 1024ull * 1024 * 1024;

} // namespace

class ResourceUseTest : public QObject {
    Q_OBJECT
private slots:
    // Without a session bus the bus library would start a daemon for the strip (and leave it
    // behind); with one, nothing is changed.
    void busAutolaunch_data() {
        QTest::addColumn<QByteArray>("address");
        QTest::addColumn<QString>("runtimeBus"); // "socket", "file" or "" (nothing there)
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("address given") << QByteArray("unix:path=/run/user/1000/bus") << QString()
                                       << QByteArray("unix:path=/run/user/1000/bus");
        QTest::newRow("no address, bus socket in the runtime directory")
            << QByteArray() << QStringLiteral("socket") << QByteArray();
        QTest::newRow("no address, no bus") << QByteArray() << QString() << QByteArray("disabled:");
        QTest::newRow("empty address, no bus")
            << QByteArray("") << QString() << QByteArray("disabled:");
        QTest::newRow("no address, a plain file named bus")
            << QByteArray() << QStringLiteral("file") << QByteArray("disabled:");
    }
    void busAutolaunch() {
        QFETCH(QByteArray, address);
        QFETCH(QString, runtimeBus);
        QFETCH(QByteArray, expected);
        QTemporaryDir runtime;
        const QString bus = runtime.filePath(QStringLiteral("bus"));
        int fd = -1;
        if (runtimeBus == QLatin1String("socket")) QVERIFY((fd = listenAt(bus)) >= 0);
        if (runtimeBus == QLatin1String("file")) QFile(bus).open(QIODevice::WriteOnly);
        ScopedEnv a("DBUS_SESSION_BUS_ADDRESS", address);
        ScopedEnv r("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        const bool changed = avoidBusAutolaunch();
        QCOMPARE(changed, expected == "disabled:");
        QCOMPARE(qgetenv("DBUS_SESSION_BUS_ADDRESS"), expected);
        QCOMPARE(qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"), !expected.isNull());
        if (fd >= 0) ::close(fd);
    }

    // The settings window is made by the settings command's first use, kept by the strip and
    // used again.
    void settingsWindowIsMadeAtFirstUse() {
        StripFixture f;
        TForm1& form = f.create();
        QVERIFY(!Form2);
        TForm2* seen = nullptr;
        auto closeWhenUp = [&seen] {
            QTimer::singleShot(0, [&seen] {
                QTRY_VERIFY_WITH_TIMEOUT(qobject_cast<TForm2*>(QApplication::activeModalWidget()),
                                         30000);
                seen = Form2;
                Form2->close();
            });
        };
        closeWhenUp();
        form.strip().SetCmdExecute();
        QVERIFY(seen && seen == Form2);
        QCOMPARE(Form2->parent(), &form);
        closeWhenUp();
        form.strip().SetCmdExecute();
        QCOMPARE(seen, Form2); // the same window again
        QVERIFY(!Form2->isVisible());
    }

    // A tick repaints only the changed glyphs and their shadow's reach, and the shadow keeps its
    // unchanged columns: the result must be the very pixels of a whole repaint made afresh.
    void partialRepaintEqualsWholeRepaint_data() {
        QTest::addColumn<int>("second");
        QTest::addColumn<int>("minute");
        QTest::addColumn<double>("usedGiB");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("partial"); // whether only a part of the strip is repainted
        QTest::addColumn<int>("runs");     // of changed glyphs repainted apart (0: not asked)
        QTest::newRow("the seconds") << 14 << 18 << 9.6 << QString() << true << 1;
        QTest::newRow("minute and seconds") << 0 << 19 << 9.6 << QString() << true << 1;
        QTest::newRow("memory grows a digit: the rest of the line moves")
            << 14 << 18 << 10.6 << QString() << true << 0;
        // The seconds and the memory figure change, the glyphs between them stay.
        QTest::newRow("two runs: seconds and memory") << 14 << 18 << 9.8 << QString() << true << 2;
        QTest::newRow("two runs, no shadow")
            << 14 << 18 << 9.8 << QStringLiteral("[Effect]\nShadow=0\n") << true << 2;
        QTest::newRow("two runs, taller strip")
            << 14 << 18 << 9.8 << QStringLiteral("[Form]\nHeight=90\n") << true << 2;
        QTest::newRow("bold, wider strip")
            << 14 << 18 << 9.6 << QStringLiteral("[Font]\nBold=1\n[Form]\nWidth=700\n") << true
            << 1;
        QTest::newRow("no shadow")
            << 14 << 18 << 9.6 << QStringLiteral("[Effect]\nShadow=0\n") << true << 1;
        QTest::newRow("taller strip: scaled, larger blur")
            << 14 << 18 << 9.6 << QStringLiteral("[Form]\nHeight=90\n") << true << 1;
        // Bidirectional text: the changed characters need not stand where their logical
        // positions say, so the changed area is not derived from them.
        QTest::newRow("right-to-left words in the line")
            << 14 << 18 << 9.6
            << QStringLiteral("[DATE]\nFORMAT=\u05D9\u05D5\u05DD hh:nn:ss \u05E9\u05E2\u05D4\n")
            << false << 0;
        QTest::newRow("right-to-left separator")
            << 14 << 18 << 10.6 << QStringLiteral("[DATE]\nSEP=\u0628\n") << false << 0;
    }
    void partialRepaintEqualsWholeRepaint() {
        QFETCH(int, second);
        QFETCH(int, minute);
        QFETCH(double, usedGiB);
        QFETCH(QString, settings);
        QFETCH(bool, partial);
        QFETCH(int, runs);
        StripFixture f;
        if (!settings.isEmpty()) f.writeIni(settings);
        f.clock.time = LocalTime{2023, 5, 30, 8, 18, 13, 7};
        f.memory.status = MemoryStatus{24 * GiB, 24 * GiB - std::uint64_t(9.6 * GiB)};
        TForm1& form = f.create();
        form.strip().Timer1Timer();
        QImage img = wholePaint(form);

        f.clock.time = LocalTime{
            2023, 5, 30, 8, static_cast<std::uint16_t>(minute), static_cast<std::uint16_t>(second),
            7};
        f.memory.status = MemoryStatus{24 * GiB, 24 * GiB - std::uint64_t(usedGiB * GiB)};
        const QString before = toQString(form.strip().Label1.text);
        form.strip().UpdateDateInfo();
        form.strip().UpdateMemoryInfo();
        const QString after = toQString(form.strip().SepStr) + toQString(form.strip().dateInfo) +
                              toQString(form.strip().SepStr) + toQString(form.strip().memoryInfo) +
                              toQString(form.strip().SepStr) + toQString(form.strip().cpuInfo);
        QVERIFY(after != before);
        const QRegion area = form.lineChangeArea(after);
        if (partial)
            QVERIFY2(area.boundingRect().width() < form.width(),
                     "a one-line change repaints part of the strip");
        if (runs > 0) QCOMPARE(area.rectCount(), runs);
        form.strip().Label1.text = toU16(after);
        partialPaint(form, img, area);

        // Afresh: another size drops every kept layer, and the size back builds them anew.
        form.resize(form.width() + 1, form.height());
        wholePaint(form);
        form.resize(form.width() - 1, form.height());
        const QImage fresh = wholePaint(form);
        QCOMPARE(img.size(), fresh.size());
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) != fresh.pixel(x, y))
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2: %3 after the partial repaint, "
                                                    "%4 afresh (area %5,%6 %7x%8)")
                                         .arg(x)
                                         .arg(y)
                                         .arg(img.pixel(x, y), 8, 16)
                                         .arg(fresh.pixel(x, y), 8, 16)
                                         .arg(area.boundingRect().x())
                                         .arg(area.boundingRect().y())
                                         .arg(area.boundingRect().width())
                                         .arg(area.boundingRect().height())));
    }

    // A paint skips what lies wholly outside the area to paint (the menu button, the load glyph,
    // the line and its shadow): a repaint of any part must still give a whole repaint's pixels.
    // The parts are narrow columns and rows swept across the window, so that every edge of what
    // is drawn falls just inside one of them and just outside its neighbour.
    void repaintOfAnyPartEqualsWholeRepaint_data() {
        QTest::addColumn<QString>("settings");
        QTest::newRow("default look") << QString();
        QTest::newRow("no shadow") << QStringLiteral("[Effect]\nShadow=0\n");
        QTest::newRow("taller strip: scaled, larger blur") << QStringLiteral("[Form]\nHeight=90\n");
        // Far longer than its place: the line wraps, and a long word runs past its box.
        QTest::newRow("long line") << QStringLiteral(
            "[DATE]\nFORMAT=hh:nn:ss yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy\n");
    }
    void repaintOfAnyPartEqualsWholeRepaint() {
        QFETCH(QString, settings);
        StripFixture f;
        if (!settings.isEmpty()) f.writeIni(settings);
        f.clock.time = LocalTime{2023, 5, 30, 8, 18, 13, 7};
        TForm1& form = f.create();
        form.strip().Timer1Timer();
        const QImage whole = wholePaint(form);
        std::vector<QRect> parts;
        for (int x = 0; x < form.width(); x += 3)
            parts.emplace_back(x, 0, 3, form.height());
        for (int y = 0; y < form.height(); y += 2)
            parts.emplace_back(0, y, form.width(), 2);
        for (const QRect& area : parts) {
            QImage img = whole;
            partialPaint(form, img, area);
            for (int y = area.top(); y <= area.bottom() && y < img.height(); ++y)
                for (int x = area.left(); x <= area.right() && x < img.width(); ++x)
                    if (img.pixel(x, y) != whole.pixel(x, y))
                        QFAIL(qPrintable(
                            QStringLiteral("pixel %1,%2: %3 after repainting %4,%5 %6x%7, %8 in "
                                           "the whole repaint")
                                .arg(x)
                                .arg(y)
                                .arg(img.pixel(x, y), 8, 16)
                                .arg(area.x())
                                .arg(area.y())
                                .arg(area.width())
                                .arg(area.height())
                                .arg(whole.pixel(x, y), 8, 16)));
        }
    }
};

QTEST_MAIN(ResourceUseTest)
#include "ResourceUseTest.moc"
