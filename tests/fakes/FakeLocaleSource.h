#pragma once
#include "platform/LocaleSource.h"
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace zrm58::fakes {

// A locale source driven by tables. An item that is not in the table of its locale fails, as
// does every item under a failure switch. Every read is logged as (lcid, item).
class FakeLocaleSource : public LocaleSource {
public:
    std::map<std::uint32_t, std::map<std::uint32_t, std::u16string>> items; // lcid -> item -> value
    std::set<std::uint32_t> installed;
    std::uint32_t thread = 0;         // what threadLocale() reports
    std::uint32_t userDefault = 0;    // what setThreadLocaleToUserDefault() makes the thread's
    bool failSetThreadLocale = false; // setThreadLocaleToUserDefault() changes nothing
    bool failAllItems = false;
    std::set<std::uint32_t> failingItems; // fail for every locale
    mutable std::vector<std::pair<std::uint32_t, std::uint32_t>> reads;
    int setThreadCalls = 0;

    FakeLocaleSource& set(std::uint32_t lcid, std::uint32_t item, std::u16string value) {
        items[lcid][item] = std::move(value);
        return *this;
    }

    void setThreadLocaleToUserDefault() override {
        ++setThreadCalls;
        if (!failSetThreadLocale) thread = userDefault;
    }
    std::uint32_t threadLocale() const override { return thread; }
    bool isValidLocale(std::uint32_t lcid) const override { return installed.count(lcid) != 0; }
    std::optional<std::u16string> localeInfo(std::uint32_t lcid,
                                             std::uint32_t item) const override {
        reads.emplace_back(lcid, item);
        if (failAllItems || failingItems.count(item)) return std::nullopt;
        auto table = items.find(lcid);
        if (table == items.end()) return std::nullopt;
        auto value = table->second.find(item);
        if (value == table->second.end()) return std::nullopt;
        return value->second;
    }
};

} // namespace zrm58::fakes
