#pragma once
#include "platform/AltCalendar.h"
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zrm58::fakes {

// An alternate calendar that answers from a table keyed by picture ("gg", "yy", "yyyy"), the
// same answer for every date. A picture missing from the table, or `fail` set, is a failed
// request. Every request is recorded.
class FakeAltCalendar final : public AltCalendar {
public:
    struct Request {
        std::u16string picture;
        int year, month, day;
    };

    std::map<std::u16string, std::u16string> answers;
    bool fail = false;
    mutable std::vector<Request> requests;

    FakeAltCalendar() = default;
    explicit FakeAltCalendar(std::map<std::u16string, std::u16string> table)
        : answers(std::move(table)) {}

    std::optional<std::u16string> formatAltDate(std::u16string_view picture, int year, int month,
                                                int day) const override {
        requests.push_back({std::u16string(picture), year, month, day});
        if (fail) return std::nullopt;
        auto it = answers.find(std::u16string(picture));
        if (it == answers.end()) return std::nullopt;
        return it->second;
    }
};

} // namespace zrm58::fakes
