#pragma once
#include "platform/LocaleSource.h"
#include <map>
#include <string>

namespace zrm58::linux_backend {

// The locale source on ICU. The user's locale is an ICU locale id (see UserLocale.h); it is the
// thread's locale from the start and after setThreadLocaleToUserDefault(). Identifiers are
// Windows LCIDs as ICU maps them (uloc_getLCID); an LCID ICU does not know is not installed.
// Items of the user's own LCID are read for the user's full id, "@calendar=..." included; any
// other installed LCID is read for the locale ICU maps it to.
// Items are computed for a whole locale on first use and kept: the strip reads them once at
// start-up on one thread, so there is no locking.
class IcuLocaleSource final : public LocaleSource {
public:
    using ItemTable = std::map<std::uint32_t, std::u16string>;

    explicit IcuLocaleSource(std::string userLocaleId);

    void setThreadLocaleToUserDefault() override;
    std::uint32_t threadLocale() const override { return thread_; }
    bool isValidLocale(std::uint32_t lcid) const override;
    std::optional<std::u16string> localeInfo(std::uint32_t lcid, std::uint32_t item) const override;

private:
    std::optional<std::string> icuIdFor(std::uint32_t lcid) const;
    const ItemTable& itemsFor(std::uint32_t lcid) const;

    std::string userId_;
    std::uint32_t userLcid_ = 0;
    std::uint32_t thread_ = 0;
    mutable std::map<std::uint32_t, ItemTable> cache_;
};

// All items of one ICU locale id (exposed for tests); an item ICU cannot answer is absent.
IcuLocaleSource::ItemTable readIcuLocaleItems(const std::string& icuId);

} // namespace zrm58::linux_backend
