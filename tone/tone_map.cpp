// Page lists of a tone map, kept in key order.
#include "tone/tone_map.h"

#include <algorithm>

const TonePage* ToneMap::FindPage(int key) const {
    for (const auto& page : ListFor(key)) {
        if (page->key() == key) return page.get();
    }
    return nullptr;
}

TonePage& ToneMap::PageForKey(int key) {
    PageList& list = ListFor(key);
    auto at = std::lower_bound(list.begin(), list.end(), key,
                               [](const std::unique_ptr<TonePage>& page, int k) { return page->key() < k; });
    if (at != list.end() && (*at)->key() == key) return **at;
    return **list.insert(at, std::make_unique<TonePage>(key));
}

std::string FileTitle(std::string_view fileName) {
    const std::size_t dot = fileName.rfind('.');
    const std::string_view stem = dot == std::string_view::npos ? fileName : fileName.substr(0, dot);
    return std::string(stem.substr(0, kFileTitleChars));
}
