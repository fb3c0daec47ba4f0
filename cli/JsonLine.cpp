#include "cli/JsonLine.h"
#include "status/CpuLoad.h"
#include "status/DetailsText.h"
#include "status/StatusTexts.h"

#include <chrono>

namespace zrm58::cli {
namespace {

double monotonicSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::u16string ascii(std::string_view s) {
    return std::u16string(s.begin(), s.end());
}

} // namespace

std::u16string jsonString(std::u16string_view text) {
    static constexpr char hex[] = "0123456789abcdef";
    std::u16string out;
    out.reserve(text.size() + 2);
    out.push_back(u'"');
    for (const char16_t c : text) {
        switch (c) {
        case u'"':
            out += u"\\\"";
            break;
        case u'\\':
            out += u"\\\\";
            break;
        case u'\n':
            out += u"\\n";
            break;
        case u'\r':
            out += u"\\r";
            break;
        case u'\t':
            out += u"\\t";
            break;
        case u'\b':
            out += u"\\b";
            break;
        case u'\f':
            out += u"\\f";
            break;
        default:
            if (c < 0x20) {
                out += u"\\u00";
                out.push_back(static_cast<char16_t>(hex[c >> 4]));
                out.push_back(static_cast<char16_t>(hex[c & 0xF]));
            } else {
                out.push_back(c);
            }
        }
    }
    out.push_back(u'"');
    return out;
}

std::u16string jsonRecord(std::u16string_view line, const std::vector<std::u16string>& tooltip,
                          double load) {
    std::u16string joined;
    for (std::size_t i = 0; i < tooltip.size(); ++i) {
        if (i != 0) joined += u'\n';
        joined += tooltip[i];
    }
    const std::int32_t p = roundLoad(load);
    return u"{\"text\": " + jsonString(line) + u", \"tooltip\": " + jsonString(joined) +
           u", \"class\": \"" + ascii(details::loadClass(p)) + u"\", \"percentage\": " +
           ascii(std::to_string(p)) + u"}";
}

JsonLine::JsonLine(ProcessSource& processes, char16_t decimalSep)
    : source_(createSystemDetailsSource()), details_(processes, *source_), decimalSep_(decimalSep) {
    uTotalCpuUsagePct::ProcessSamplingStart(processes);
    details_.start(monotonicSeconds());
}

JsonLine::~JsonLine() {
    uTotalCpuUsagePct::ProcessSamplingEnd();
}

std::u16string JsonLine::record(std::u16string_view line, double load) {
    (void)uTotalCpuUsagePct::SampleProcessShares();
    const DetailsSnapshot d =
        details_.update(uTotalCpuUsagePct::LastTickShares(), monotonicSeconds());
    return jsonRecord(line, details::detailsLines(d, decimalSep_), load);
}

} // namespace zrm58::cli
