#pragma once
// A strip on a fake face and fake services: a fixed clock, fixed memory, an idle machine, no
// processes and a settings file in memory.
#include "fakes/FakeAltCalendar.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeFileStore.h"
#include "fakes/FakeMemorySource.h"
#include "fakes/FakeStripFace.h"
#include "fakes/FakeSystemTimesSource.h"
#include "settings/Utf.h"
#include "status/CpuLoad.h"
#include "strip/Strip.h"
#include <memory>

namespace zrm58::testing {

inline constexpr const char* kIniPath = "/opt/zrm58/ZRM58.ini";

struct StripFixture {
    fakes::FakeClock clock;
    fakes::FakeAltCalendar calendar;
    fakes::FakeMemorySource memory;
    fakes::FakeSystemTimesSource machine;
    fakes::FakeFileStore files;
    fakes::FakeStripFace face;
    StripServices services;
    std::unique_ptr<Strip> strip;

    StripFixture() {
        clock.time = LocalTime{2023, 5, 30, 8, 18, 13, 7};
        memory.status = MemoryStatus{16000ull << 20, (16000ull - 8480) << 20};
        services.clock = &clock;
        services.altCalendar = &calendar;
        services.memory = &memory;
        services.files = &files;
        services.settingsPath = kIniPath;
        uTotalCpuUsagePct::ModuleStart(machine);
    }
    ~StripFixture() {
        strip.reset();
        uTotalCpuUsagePct::ProcessSamplingEnd();
        uTotalCpuUsagePct::ModuleEnd();
    }

    // The settings file as the program stores it: UTF-16 LE with its mark, CR LF; `text` has
    // one line per "\n".
    void writeIni(std::u16string_view text) {
        std::u16string crlf;
        for (char16_t c : text) {
            if (c == u'\n') crlf += u'\r';
            crlf += c;
        }
        files.files[kIniPath] = "\xFF\xFE" + toUtf16Le(crlf);
    }
    std::u16string ini() const { return fromUtf16Le(files.files.at(kIniPath).substr(2)); }

    Strip& create() {
        strip = std::make_unique<Strip>(face, services);
        strip->FormCreate();
        face.calls.clear();
        return *strip;
    }
};

} // namespace zrm58::testing
