// libFuzzer entry point: reads arbitrary bytes as a --files-from list, the
// first byte choosing NUL-separated (odd) or line-separated (even) names.
// Every name must be whole: none empty, none holding its separator.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "app/options/file_list.h"

namespace {
void Require(bool holds) {
    if (!holds) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool nulSeparated = (data[0] & 1) != 0;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    for (const std::string& name : ReadFileList(in, nulSeparated)) {
        Require(!name.empty());
        Require(name.find(nulSeparated ? '\0' : '\n') == std::string::npos);
    }
    return 0;
}
