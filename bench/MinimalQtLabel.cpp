// The smallest Qt 6 window the resource benchmark compares the strip with: one label whose text
// (the time of day) changes once a second. Nothing else: no settings, no sampling, no styling.
#include <QApplication>
#include <QLabel>
#include <QTime>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label;
    label.setWindowTitle(QStringLiteral("MinimalQtLabel"));
    label.setMargin(8);
    auto show = [&label] {
        label.setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
    };
    show();
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &label, show);
    timer.start(1000);
    label.show();
    return app.exec();
}
