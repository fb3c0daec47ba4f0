#pragma once
// A strip window on fake services: fixed clock, fixed memory, an idle machine, no processes,
// and a settings file in a temporary directory.
#include "faces/qt/QtText.h"
#include "faces/qt/StripWindow.h"
#include "fakes/FakeAltCalendar.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeMemorySource.h"
#include "fakes/FakeProcessSource.h"
#include "fakes/FakeSystemTimesSource.h"
#include "status/CpuLoad.h"
#include <QFile>
#include <QTemporaryDir>
#include <memory>

namespace zrm58::testing {

struct StripFixture {
    QTemporaryDir dir;
    fakes::FakeClock clock;
    fakes::FakeAltCalendar calendar;
    fakes::FakeMemorySource memory;
    fakes::FakeProcessSource processes;
    fakes::FakeSystemTimesSource machine;
    StripServices services;
    std::unique_ptr<TForm1> form;

    StripFixture() {
        clock.time = LocalTime{2023, 5, 30, 8, 18, 13, 7};
        services.clock = &clock;
        services.altCalendar = &calendar;
        services.memory = &memory;
        services.settingsPath = iniPath().toStdString();
        uTotalCpuUsagePct::ModuleStart(machine);
    }
    ~StripFixture() {
        form.reset();
        uTotalCpuUsagePct::ProcessSamplingEnd();
        uTotalCpuUsagePct::ModuleEnd();
    }
    QString iniPath() const { return dir.filePath(QStringLiteral("ZRM58.ini")); }

    // Writes the settings file as the program stores it (UTF-16 LE with BOM, CR LF).
    void writeIni(const QString& text) const {
        QFile f(iniPath());
        f.open(QIODevice::WriteOnly);
        QString crlf = text;
        crlf.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
        f.write("\xFF\xFE", 2);
        f.write(reinterpret_cast<const char*>(crlf.utf16()), crlf.size() * 2);
    }

    TForm1& create() {
        form = std::make_unique<TForm1>(services);
        form->strip().FormCreate();
        return *form;
    }
};

} // namespace zrm58::testing
