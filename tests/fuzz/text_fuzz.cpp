// Windows-1252 <-> UTF-8 on any bytes: every byte string survives the round
// trip through UTF-8, and text that went through Windows-1252 once is then
// stable (only characters with no single-byte form became '?').
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/files.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    const std::string utf8 = platform::cp1252ToUtf8(bytes);
    check(platform::utf8ToCp1252(utf8) == bytes);
    check(utf8.size() >= bytes.size() && utf8.size() <= 3 * bytes.size());

    // The same bytes read as UTF-8.
    const std::string narrow = platform::utf8ToCp1252(bytes);
    check(narrow.size() <= bytes.size());
    const std::string wide = platform::cp1252ToUtf8(narrow);
    check(platform::utf8ToCp1252(wide) == narrow);
    bool ascii = true;
    for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) check(narrow == bytes && wide == bytes);
    return 0;
}
