#include "strip/FontFamilies.h"
#include "strip/SettingsLists.h"
#include <algorithm>

namespace zrm58 {
namespace {

char16_t fold(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}

} // namespace

bool sameFamily(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return fold(x) == fold(y); });
}

std::vector<std::u16string> fontFamilyEntries(std::vector<std::u16string> installed) {
    std::vector<std::u16string> entries(kFontFamilies.begin(), kFontFamilies.end());
    std::sort(installed.begin(), installed.end(),
              [](const std::u16string& a, const std::u16string& b) {
                  const auto folded = [](const std::u16string& s) {
                      std::u16string f = s;
                      std::transform(f.begin(), f.end(), f.begin(), fold);
                      return f;
                  };
                  const std::u16string fa = folded(a), fb = folded(b);
                  return fa != fb ? fa < fb : a < b;
              });
    for (std::u16string& family : installed) {
        if (family.empty()) continue;
        const bool known =
            std::any_of(entries.begin(), entries.end(),
                        [&](const std::u16string& e) { return sameFamily(e, family); });
        if (!known) entries.push_back(std::move(family));
    }
    return entries;
}

} // namespace zrm58
