// Texts of the connection that a user types or a settings file holds: the control-block
// search ranges, the control block's address and a GDB server's address.
#include "recorder/ConnectionFields.h"
#include "recorder/SearchRanges.h"
#include "target/gdb/GdbSettings.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kavrin;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const SearchRangeList list = parseSearchRanges(text);
    if (list.ranges.size() > MaxSearchRanges ||
        (list.outcome != SearchRangeList::Ranges && !list.ranges.empty()))
        std::abort();
    (void)parseControlBlockAddress(QString::fromLatin1(text.data(), qsizetype(text.size())));
    if (const auto address = gdb::parseServerAddress(text, 3333))
        if (address->host.empty() || address->port == 0)
            std::abort();
    return 0;
}
