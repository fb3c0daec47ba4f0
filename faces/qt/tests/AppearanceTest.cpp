// The strip's appearance steps on the offscreen platform: what the start sequence and each step
// leave in the controls and fields. The pictures are made here, in the fixture's directory.
#include "StripFixture.h"
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <optional>
#include <sys/stat.h>

using namespace zrm58;
using namespace zrm58::testing;

namespace {

const QString kMdl2 = QStringLiteral("Segoe MDL2 Assets");

QString iniText(const QStringList& lines) {
    return lines.join('\n') + '\n';
}

// A picture of one colour, saved as PNG.
void savePicture(const QString& path, QRgb colour, QSize size = QSize(40, 20)) {
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(colour);
    QVERIFY(picture.save(path, "PNG"));
}

void saveBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The files a row of the background table needs beside the settings file.
enum class Files { None, Picture, Directory, Link, DanglingLink };

void makeFiles(const QDir& dir, Files files) {
    switch (files) {
    case Files::None:
        break;
    case Files::Picture:
        savePicture(dir.filePath(QStringLiteral("back.png")), 0xFF00FF00);
        break;
    case Files::Directory:
        dir.mkdir(QStringLiteral("back.png"));
        break;
    case Files::Link:
        savePicture(dir.filePath(QStringLiteral("real.png")), 0xFF00FF00);
        QFile::link(dir.filePath(QStringLiteral("real.png")), dir.filePath("back.png"));
        break;
    case Files::DanglingLink:
        QFile::link(dir.filePath(QStringLiteral("gone.png")), dir.filePath("back.png"));
        break;
    }
}

// While it lives, answers the first message box that comes up modally with OK, and records what
// it showed.
class BoxAnswerer {
public:
    BoxAnswerer() {
        poll_.setInterval(10);
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            poll_.stop();
            shown = true;
            text = box->text();
            icon = box->icon();
            buttons = box->standardButtons();
            box->done(QMessageBox::Ok);
        });
        poll_.start();
    }

    bool shown = false;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;

private:
    QTimer poll_;
};

QString failureText(const QString& path) {
    return QStringLiteral("ビットマップの読み込みに失敗しました (%1)。").arg(path);
}

} // namespace

Q_DECLARE_METATYPE(Files)
Q_DECLARE_METATYPE(zrm58::FillKind)

class AppearanceTest : public QObject {
    Q_OBJECT
private slots:
    // The start sequence on a stored file: what each step leaves in the controls.
    void startSequence_data() {
        QTest::addColumn<QStringList>("ini");
        QTest::addColumn<float>("logicalWidth");
        QTest::addColumn<float>("opacity");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<QRgb>("textColour");
        QTest::addColumn<QString>("family");
        QTest::addColumn<bool>("shadow");
        QTest::addColumn<QRgb>("fill");
        QTest::newRow("no file: the defaults, solid FFDCDCDC")
            << QStringList() << 515.0f << 0.5f << false << QRgb(0xFF000000)
            << QStringLiteral("Segoe UI") << true << QRgb(0xFFDCDCDC);
        QTest::newRow("every text setting changed")
            << QStringList{"[Form]",         "Opacity=0.25",        "[Font]",         "Bold=1",
                           "Color=80FF8000", "Family=DejaVu Serif", "[Effect]",       "Shadow=0",
                           "[Back]",         "Color1=FF102030",     "Color2=FF405060"}
            << 515.0f << 0.25f << true << QRgb(0x80FF8000) << QStringLiteral("DejaVu Serif")
            << false << QRgb(0xFF102030);
        QTest::newRow("factor 1.1: a fraction, not cut to 566")
            << QStringList{"[Form]", "Original=1.1"} << 566.5f << 0.5f << false << QRgb(0xFF000000)
            << QStringLiteral("Segoe UI") << true << QRgb(0xFFDCDCDC);
        QTest::newRow("factor 1/3: 515/3 in single precision")
            << QStringList{"[Form]", "Original=0.333333333333333"}
            << static_cast<float>(0.333333333333333 * 515.0) << 0.5f << false << QRgb(0xFF000000)
            << QStringLiteral("Segoe UI") << true << QRgb(0xFFDCDCDC);
        QTest::newRow("text colour with alpha 0, opacity above 1 limited")
            << QStringList{"[Form]", "Opacity=2", "[Font]", "Color=00000000"} << 515.0f << 1.0f
            << false << QRgb(0x00000000) << QStringLiteral("Segoe UI") << true << QRgb(0xFFDCDCDC);
    }
    void startSequence() {
        QFETCH(QStringList, ini);
        QFETCH(float, logicalWidth);
        QFETCH(float, opacity);
        QFETCH(bool, bold);
        QFETCH(QRgb, textColour);
        QFETCH(QString, family);
        QFETCH(bool, shadow);
        QFETCH(QRgb, fill);
        StripFixture f;
        if (!ini.isEmpty()) f.writeIni(iniText(ini));
        TForm1& form = f.create();

        QCOMPARE(form.strip().OriginalWidth, 515);
        QCOMPARE(form.strip().ScaledLayout1.logicalWidth, logicalWidth);
        QCOMPARE(form.strip().ScaledLayout1.logicalHeight, 33.0f);
        QCOMPARE(form.strip().Rectangle1.opacity(), opacity);
        QCOMPARE(form.strip().Label1.bold, bold);
        QCOMPARE(form.strip().Label1.color, textColour);
        QCOMPARE(form.strip().Label2.color, textColour);
        QCOMPARE(form.strip().SpeedButton1.color, textColour);
        QCOMPARE(form.strip().Label1.size, 12.0);
        QCOMPARE(form.strip().Label2.size, 20.0);
        QCOMPARE(toQString(form.strip().Label1.family), family);
        QCOMPARE(toQString(form.strip().Label2.family), kMdl2);
        QCOMPARE(toQString(form.strip().SpeedButton1.family), kMdl2);
        QCOMPARE(form.strip().ShadowEffect1.enabled, shadow);
        QCOMPARE(form.strip().ShadowEffect1.color, QRgb(0xFF000000));
        QCOMPARE(form.strip().Rectangle1.fill.kind, FillKind::Solid);
        QCOMPARE(form.strip().Rectangle1.fill.color, fill);
        // The loader copies both background colours into the gradient's stops.
        QCOMPARE(form.strip().Rectangle1.fill.gradientColor0, form.strip().BC0);
        QCOMPARE(form.strip().Rectangle1.fill.gradientColor1, form.strip().BC1);
        QVERIFY(form.strip().Rectangle1.strokeOn);
        QCOMPARE(form.strip().Rectangle1.stroke, QRgb(0xFF000000));
        QCOMPARE(form.strip().Rectangle1.radius, 8.0);
    }

    // At start the window keeps its stored size and the content is scaled into it, axis by
    // axis: across by (width - 10) / (factor x 515), down by (height - 10) / 33.
    void startScalesTheContentIntoTheStoredSize_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("factor");
        QTest::addColumn<double>("scaleX");
        QTest::addColumn<double>("scaleY");
        QTest::newRow("defaults: 513/515 across, 30/33 down")
            << 523 << 40 << QStringLiteral("1") << 513.0 / 515 << 30.0 / 33;
        QTest::newRow("factor 1.5 in 782: about 1")
            << 782 << 40 << QStringLiteral("1.5") << 772.0 / 772.5 << 30.0 / 33;
        QTest::newRow("factor 1.5 in 523: squeezed")
            << 523 << 43 << QStringLiteral("1.5") << 513.0 / 772.5 << 1.0;
        // Within the offscreen screen's 800 pixels: a stored width beyond the desktop is taken at
        // the desktop's width.
        QTest::newRow("factor 1 widened by hand to 780: stretched")
            << 780 << 40 << QStringLiteral("1") << 770.0 / 515 << 30.0 / 33;
        QTest::newRow("logical width below 1 counts as 1")
            << 523 << 40 << QStringLiteral("0.001") << 513.0 << 30.0 / 33;
    }
    void startScalesTheContentIntoTheStoredSize() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QString, factor);
        QFETCH(double, scaleX);
        QFETCH(double, scaleY);
        StripFixture f;
        f.writeIni(iniText({"[Form]", QStringLiteral("Height=%1").arg(height),
                            QStringLiteral("Width=%1").arg(width),
                            QStringLiteral("Original=%1").arg(factor)}));
        TForm1& form = f.create();
        QCOMPARE(form.size(), QSize(width, height));
        const QPointF origin = form.fromLayout(QPointF(0, 0));
        QCOMPARE(origin, QPointF(5, 5));
        const QPointF unit = form.fromLayout(QPointF(1, 1)) - origin;
        QVERIFY2(qAbs(unit.x() - scaleX) < 1e-4, qPrintable(QString::number(unit.x())));
        QVERIFY2(qAbs(unit.y() - scaleY) < 1e-4, qPrintable(QString::number(unit.y())));
    }

    // After the settings window: the product cut toward zero in the extended format, the window
    // widened to it plus the margin (at least 80), the content at scale 1 across.
    void dialogWidth_data() {
        QTest::addColumn<double>("factor");
        QTest::addColumn<int>("originalWidth");
        QTest::addColumn<int>("windowWidth");
        QTest::addColumn<int>("label1Width");
        QTest::newRow("1.0") << 1.0 << 515 << 525 << 449;
        QTest::newRow("1.5") << 1.5 << 772 << 782 << 706;
        QTest::newRow("2.0") << 2.0 << 1030 << 1040 << 964;
        QTest::newRow("0.1: 61 raised to 80, no text area left") << 0.1 << 51 << 80 << -15;
        // Each double lies just below its decimal value; a product rounded to double would give
        // 618, 309 and 721.
        QTest::newRow("nearest 1.2") << 1.2 << 617 << 627 << 551;
        QTest::newRow("nearest 0.6") << 0.6 << 308 << 318 << 242;
        QTest::newRow("nearest 1.4") << 1.4 << 720 << 730 << 654;
        QTest::newRow("nearest 1.1: 566.5000000000000457") << 1.1 << 566 << 576 << 500;
        QTest::newRow("nearest 1.3: 669.5000000000000229") << 1.3 << 669 << 679 << 603;
    }
    void dialogWidth() {
        QFETCH(double, factor);
        QFETCH(int, originalWidth);
        QFETCH(int, windowWidth);
        QFETCH(int, label1Width);
        StripFixture f;
        TForm1& form = f.create();
        form.strip().MuWidth = factor;
        form.strip().applyDialogWidth();
        QCOMPARE(form.strip().OriginalWidth, originalWidth);
        QCOMPARE(form.width(), windowWidth);
        QCOMPARE(form.height(), 40);
        QCOMPARE(form.strip().ScaledLayout1.logicalWidth, static_cast<float>(originalWidth));
        QCOMPARE(toQRectF(form.strip().label1Rect()).width(), qreal(label1Width));
        if (windowWidth == originalWidth + 10)
            QCOMPARE(form.fromLayout(QPointF(1, 0)).x() - form.fromLayout(QPointF(0, 0)).x(), 1.0);
    }

    // The background chosen at start from the stored settings; a picture that cannot be had
    // leaves the initial solid FFE0E0E0 with its outline, whatever else is set.
    void background_data() {
        QTest::addColumn<QStringList>("back");
        QTest::addColumn<Files>("files");
        QTest::addColumn<FillKind>("kind");
        QTest::addColumn<QRgb>("solid");
        QTest::addColumn<QPointF>("end"); // of a gradient; it always starts at (0, 0)
        QTest::addColumn<bool>("outline");
        const QStringList colours{"Color1=FFFF0000", "Color2=FF0000FF"};
        const QRgb initial = 0xFFE0E0E0;
        auto gradient = [&](int direction) {
            return colours +
                   QStringList{"Gradient=1", QStringLiteral("Direction=%1").arg(direction)};
        };
        auto picture = [&](const QString& file) {
            return colours + QStringList{"Gradient=1", "Gazou=1", "GazouFile=" + file};
        };
        QTest::newRow("solid Color1")
            << colours << Files::None << FillKind::Solid << QRgb(0xFFFF0000) << QPointF() << true;
        QTest::newRow("gradient 0: top to bottom")
            << gradient(0) << Files::None << FillKind::Gradient << initial << QPointF(0, 1) << true;
        QTest::newRow("gradient 1: left to right")
            << gradient(1) << Files::None << FillKind::Gradient << initial << QPointF(1, 0) << true;
        QTest::newRow("gradient 2: diagonal")
            << gradient(2) << Files::None << FillKind::Gradient << initial << QPointF(1, 1) << true;
        QTest::newRow("gradient 3: initial geometry")
            << gradient(3) << Files::None << FillKind::Gradient << initial << QPointF(0, 1) << true;
        QTest::newRow("gradient -1: initial geometry")
            << gradient(-1) << Files::None << FillKind::Gradient << initial << QPointF(0, 1)
            << true;
        QTest::newRow("picture: no outline") << picture("{dir}/back.png") << Files::Picture
                                             << FillKind::Bitmap << initial << QPointF() << false;
        QTest::newRow("picture through a link")
            << picture("{dir}/back.png") << Files::Link << FillKind::Bitmap << initial << QPointF()
            << false;
        QTest::newRow("picture missing, gradient set: untouched")
            << picture("{dir}/back.png") << Files::None << FillKind::Solid << initial << QPointF()
            << true;
        QTest::newRow("picture path empty: untouched")
            << picture(QString()) << Files::None << FillKind::Solid << initial << QPointF() << true;
        QTest::newRow("picture path a directory: untouched")
            << picture("{dir}/back.png") << Files::Directory << FillKind::Solid << initial
            << QPointF() << true;
        QTest::newRow("picture link to nothing: untouched")
            << picture("{dir}/back.png") << Files::DanglingLink << FillKind::Solid << initial
            << QPointF() << true;
    }
    void background() {
        QFETCH(QStringList, back);
        QFETCH(Files, files);
        QFETCH(FillKind, kind);
        QFETCH(QRgb, solid);
        QFETCH(QPointF, end);
        QFETCH(bool, outline);
        StripFixture f;
        makeFiles(QDir(f.dir.path()), files);
        f.writeIni(iniText(QStringList{"[Back]"} + back).replace("{dir}", f.dir.path()));
        TForm1& form = f.create();
        const BoxFill& fill = form.strip().Rectangle1.fill;
        QCOMPARE(fill.kind, kind);
        QCOMPARE(form.strip().Rectangle1.strokeOn, outline);
        QCOMPARE(fill.gradientColor0, QRgb(0xFFFF0000));
        QCOMPARE(fill.gradientColor1, QRgb(0xFF0000FF));
        if (kind == FillKind::Solid) QCOMPARE(fill.color, solid);
        if (kind == FillKind::Gradient) {
            QCOMPARE(toQPointF(fill.startPoint), QPointF(0, 0));
            QCOMPARE(toQPointF(fill.endPoint), end);
        }
        if (kind == FillKind::Bitmap) {
            QCOMPARE(form.backgroundPicture().size(), QSize(40, 20));
            QCOMPARE(form.backgroundPicture().pixel(20, 10), QRgb(0xFF00FF00));
        } else {
            QVERIFY(form.backgroundPicture().isNull());
        }
    }

    // Once a picture has been applied the outline stays off for the run, whatever comes later;
    // the next start with another background has it again.
    void outlineStaysOffForTheRun() {
        StripFixture f;
        const QString file = f.dir.filePath(QStringLiteral("back.png"));
        savePicture(file, 0xFF00FF00);
        f.writeIni(iniText(
            {"[Back]", "Color1=FF112233", "Color2=FF445566", "Gazou=1", "GazouFile=" + file}));
        TForm1& form = f.create();
        QVERIFY(!form.strip().Rectangle1.strokeOn);

        form.strip().isGazou = false;
        form.strip().isGradient = true;
        form.strip().Direction = 1;
        form.strip().UpdateBackground();
        QCOMPARE(form.strip().Rectangle1.fill.kind, FillKind::Gradient);
        QCOMPARE(toQPointF(form.strip().Rectangle1.fill.endPoint), QPointF(1, 0));
        QVERIFY(!form.strip().Rectangle1.strokeOn);

        form.strip().isGradient = false;
        form.strip().UpdateBackground();
        QCOMPARE(form.strip().Rectangle1.fill.kind, FillKind::Solid);
        QCOMPARE(form.strip().Rectangle1.fill.color, QRgb(0xFF112233));
        QVERIFY(!form.strip().Rectangle1.strokeOn);

        f.form.reset();
        f.writeIni(iniText({"[Back]", "Gradient=1", "Gazou=0", "GazouFile=" + file}));
        QVERIFY(f.create().strip().Rectangle1.strokeOn);
    }

    // The picture is read from disk at each application: a replaced file shows its new
    // picture, a deleted one leaves the picture last shown.
    void pictureIsReadAtEachApplication() {
        StripFixture f;
        const QString file = f.dir.filePath(QStringLiteral("back.png"));
        savePicture(file, 0xFF00FF00);
        f.writeIni(iniText({"[Back]", "Gazou=1", "GazouFile=" + file}));
        TForm1& form = f.create();
        QCOMPARE(form.backgroundPicture().pixel(0, 0), QRgb(0xFF00FF00));

        savePicture(file, 0xFFFF00FF, QSize(8, 8));
        form.strip().UpdateBackground();
        QCOMPARE(form.backgroundPicture().size(), QSize(8, 8));
        QCOMPARE(form.backgroundPicture().pixel(0, 0), QRgb(0xFFFF00FF));

        QVERIFY(QFile::remove(file));
        form.strip().BC0 = 0xFF123456;
        form.strip().UpdateBackground();
        QCOMPARE(form.strip().Rectangle1.fill.kind, FillKind::Bitmap);
        QCOMPARE(form.backgroundPicture().pixel(0, 0), QRgb(0xFFFF00FF));
        QVERIFY(!form.strip().Rectangle1.strokeOn);
    }

    // A direction outside 0..2 takes the new colours and keeps the geometry the gradient had.
    void directionOutsideTheTableKeepsTheGeometry() {
        StripFixture f;
        f.writeIni(iniText({"[Back]", "Gradient=1", "Direction=3"}));
        TForm1& form = f.create();
        QCOMPARE(toQPointF(form.strip().Rectangle1.fill.endPoint), QPointF(0, 1));

        form.strip().Direction = 2;
        form.strip().UpdateBackground();
        QCOMPARE(toQPointF(form.strip().Rectangle1.fill.endPoint), QPointF(1, 1));

        form.strip().Direction = -1; // the settings window with no entry picked
        form.strip().BC0 = 0xFF010203;
        form.strip().BC1 = 0xFF040506;
        form.strip().UpdateBackground();
        QCOMPARE(form.strip().Rectangle1.fill.kind, FillKind::Gradient);
        QCOMPARE(form.strip().Rectangle1.fill.gradientColor0, QRgb(0xFF010203));
        QCOMPARE(form.strip().Rectangle1.fill.gradientColor1, QRgb(0xFF040506));
        QCOMPARE(toQPointF(form.strip().Rectangle1.fill.startPoint), QPointF(0, 0));
        QCOMPARE(toQPointF(form.strip().Rectangle1.fill.endPoint), QPointF(1, 1));
    }

    // A file that is there but holds no picture: the standard error dialog names it, and the
    // strip keeps what it showed, at start as later.
    void undecodablePicture_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("pictureFirst");
        QTest::newRow("text at start") << QByteArray("not a picture") << false;
        QTest::newRow("empty file at start") << QByteArray() << false;
        QTest::newRow("cut-off PNG while a picture shows")
            << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << true;
    }
    void undecodablePicture() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, pictureFirst);
        StripFixture f;
        const QString good = f.dir.filePath(QStringLiteral("good.png"));
        const QString bad = f.dir.filePath(QStringLiteral("写真 bad.png"));
        savePicture(good, 0xFF00FF00);
        saveBytes(bad, bytes);
        f.writeIni(iniText(
            {"[Back]", "Color1=FF112233", "Gazou=1", "GazouFile=" + (pictureFirst ? good : bad)}));
        std::optional<BoxAnswerer> seen;
        if (!pictureFirst) seen.emplace();
        TForm1& form = f.create();
        if (pictureFirst) {
            QCOMPARE(form.strip().Rectangle1.fill.kind, FillKind::Bitmap);
            seen.emplace();
            form.strip().GazouFile = toU16(bad);
            form.strip().UpdateBackground();
        }
        QVERIFY(seen->shown);
        QCOMPARE(seen->icon, QMessageBox::Critical);
        QCOMPARE(seen->buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        // The standard dialog adds a full stop to a text whose last character lies above
        // U+002E, as it does for every error it shows.
        QCOMPARE(seen->text, failureText(bad) + '.');

        const RoundedBox& r = form.strip().Rectangle1;
        QCOMPARE(r.strokeOn, !pictureFirst);
        QCOMPARE(r.fill.kind, pictureFirst ? FillKind::Bitmap : FillKind::Solid);
        if (pictureFirst)
            QCOMPARE(form.backgroundPicture().pixel(0, 0), QRgb(0xFF00FF00));
        else
            QCOMPARE(r.fill.color, QRgb(0xFFE0E0E0));
    }

    // A picture path that names a FIFO or a device: read without blocking and refused like a
    // file without a picture (the strip once hung in the open before it showed).
    void pictureThatIsNoRegularFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("FIFO") << QStringLiteral("fifo");
        QTest::newRow("link to /dev/zero") << QStringLiteral("zero");
    }
    void pictureThatIsNoRegularFile() {
        QFETCH(QString, kind);
        StripFixture f;
        const QString path = f.dir.filePath(QStringLiteral("back.png"));
        if (kind == QLatin1String("fifo"))
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        else
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        f.writeIni(iniText({"[Back]", "Color1=FF112233", "Gazou=1", "GazouFile=" + path}));
        BoxAnswerer seen;
        TForm1& form = f.create();
        QVERIFY(seen.shown);
        QCOMPARE(seen.text, failureText(path) + '.');
        QCOMPARE(form.strip().Rectangle1.fill.kind, FillKind::Solid);
        QVERIFY(form.strip().Rectangle1.strokeOn);
    }

    // The steps after the settings window set weight, colours and family; they leave the
    // shadow, the glyph's size and the other texts' families alone. The shadow is switched
    // by its own step.
    void reapplicationSetsTheTexts() {
        StripFixture f;
        f.writeIni(iniText({"[Font]", "Bold=1", "Color=FF00FF00", "[Effect]", "Shadow=1"}));
        TForm1& form = f.create();
        QVERIFY(form.strip().Label1.bold);
        form.strip().isBold = false;
        form.strip().FontColor = 0x00FFFFFF;
        form.strip().FontFamilyName = toU16(QStringLiteral("DejaVu Serif"));
        form.strip().isShadow = false;
        form.strip().Label2.size = 14;

        form.strip().MuWidth = 1.0;
        form.strip().applyDialogWidth();
        form.strip().applyBold();
        form.strip().applyTextColours();
        form.strip().UpdateBackground();
        form.strip().applyWindowStyle();
        form.strip().applyFontFamily();

        QVERIFY(!form.strip().Label1.bold);
        QCOMPARE(form.strip().Label1.color, QRgb(0x00FFFFFF));
        QCOMPARE(form.strip().Label2.color, QRgb(0x00FFFFFF));
        QCOMPARE(form.strip().SpeedButton1.color, QRgb(0x00FFFFFF));
        QCOMPARE(toQString(form.strip().Label1.family), QStringLiteral("DejaVu Serif"));
        QCOMPARE(toQString(form.strip().Label2.family), kMdl2);
        QCOMPARE(toQString(form.strip().SpeedButton1.family), kMdl2);
        QCOMPARE(form.strip().Label2.size, 14.0);
        QVERIFY(form.strip().ShadowEffect1.enabled);

        form.strip().applyShadow(false);
        QVERIFY(!form.strip().ShadowEffect1.enabled);
        form.strip().applyShadow(true);
        QVERIFY(form.strip().ShadowEffect1.enabled);
    }
};

QTEST_MAIN(AppearanceTest)
#include "AppearanceTest.moc"
