// The Qt 6 windows the resource benchmark compares the strip with, each showing the strip's line
// (date and time with the Japanese era under ja_JP, memory in use, total CPU) once a second in
// the strip's font and size:
//   minimal_qt_label          a plain QLabel ("MinimalQtLabel"): the toolkit's floor for a line;
//   minimal_qt_label --look   the same QLabel in a frameless translucent window with a rounded
//                             half-transparent rectangle and a QGraphicsDropShadowEffect on the
//                             text ("QtLook"): the toolkit's floor for the strip's look.
// The line is built with the C library (strftime under the user's locale, /proc/meminfo,
// /proc/stat's first line): no settings, no per-process sampling.
#include <QApplication>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

struct CpuTimes {
    unsigned long long busy = 0, total = 0;
};

CpuTimes readCpu() {
    CpuTimes t;
    if (FILE* f = std::fopen("/proc/stat", "r")) {
        unsigned long long v[8] = {};
        if (std::fscanf(f, "cpu %llu %llu %llu %llu %llu %llu %llu %llu", &v[0], &v[1], &v[2],
                        &v[3], &v[4], &v[5], &v[6], &v[7]) == 8) {
            for (auto x : v)
                t.total += x;
            t.busy = t.total - v[3] - v[4];
        }
        std::fclose(f);
    }
    return t;
}

QString memoryText() {
    long totalKb = 0, availKb = 0;
    if (FILE* f = std::fopen("/proc/meminfo", "r")) {
        char key[64];
        long kb = 0;
        while (std::fscanf(f, "%63s %ld kB", key, &kb) == 2) {
            if (!std::strcmp(key, "MemTotal:")) totalKb = kb;
            if (!std::strcmp(key, "MemAvailable:")) availKb = kb;
        }
        std::fclose(f);
    }
    const double used = (totalKb - availKb) / 1048576.0, total = totalKb / 1048576.0;
    const int pct = totalKb ? int(100 * (totalKb - availKb) / totalKb) : 0;
    return QStringLiteral("RAM: %1% (%2/%3)").arg(pct).arg(used, 0, 'f', 1).arg(total, 0, 'f', 1);
}

QString line(CpuTimes& last) {
    char date[128] = {};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(date, sizeof date, "%Y年%m月%d日 (%a) %H:%M:%S (%EC %Ey年)", &local);
    const CpuTimes t = readCpu();
    const auto dt = t.total - last.total;
    const int cpu = dt ? int((100.0 * double(t.busy - last.busy)) / double(dt) + 0.5) : 0;
    last = t;
    const QString sep = QStringLiteral("｜");
    return sep + QString::fromUtf8(date) + sep + memoryText() + sep +
           QStringLiteral("CPU:%1%").arg(cpu, 3);
}

QFont stripFont() {
    QFont f(QStringLiteral("Noto Sans CJK JP"));
    f.setPixelSize(11); // the strip's 12 at its default height: 30 of 33 logical units
    return f;
}

// The strip's look with the toolkit's own parts: a translucent frameless window painting a
// rounded half-transparent rectangle, and a label with a drop shadow.
class LookWindow : public QWidget {
public:
    LookWindow() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
        setAttribute(Qt::WA_TranslucentBackground);
        setWindowTitle(QStringLiteral("QtLook"));
        resize(523, 40);
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(5 + 33, 5, 5 + 33, 5);
        label = new QLabel(this);
        label->setFont(stripFont());
        auto* shadow = new QGraphicsDropShadowEffect(label);
        shadow->setOffset(2.12, 2.12);
        shadow->setBlurRadius(3);
        shadow->setColor(QColor(0, 0, 0, 153));
        label->setGraphicsEffect(shadow);
        layout->addWidget(label);
    }
    QLabel* label = nullptr;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setOpacity(0.5);
        p.setPen(Qt::black);
        p.setBrush(QColor(0xDC, 0xDC, 0xDC));
        p.drawRoundedRect(QRectF(rect()).adjusted(5.5, 5.5, -5.5, -5.5), 8, 8);
    }
};

} // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    QApplication app(argc, argv);
    const bool look = argc > 1 && std::strcmp(argv[1], "--look") == 0;
    CpuTimes last = readCpu();
    QLabel* label = nullptr;
    QWidget* window = nullptr;
    QLabel plain;
    LookWindow styled;
    if (look) {
        label = styled.label;
        window = &styled;
    } else {
        label = &plain;
        window = &plain;
        plain.setWindowTitle(QStringLiteral("MinimalQtLabel"));
        plain.setFont(stripFont());
        plain.setMargin(8);
        plain.resize(523, 40);
    }
    label->setText(QString()); // empty until the first tick, as the strip's
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, label, [&] { label->setText(line(last)); });
    timer.start(1000);
    window->show();
    return app.exec();
}
