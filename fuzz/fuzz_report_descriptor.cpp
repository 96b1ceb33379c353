// The report descriptor parser on arbitrary bytes, checked against a second,
// plain reading of the same items.
#include "fuzzcheck.h"

#include "hidreportdescriptor.h"

#include <QByteArray>

#include <cstdint>
#include <map>
#include <vector>

namespace {

// What the parser must find, computed without its shortcuts: sums in 128
// bits, so no cap is needed, and items walked one by one.
struct Expected {
    bool valid = true;
    bool numbered = false;
    unsigned __int128 input = 0; // bytes with the ID byte, 0 when none
    unsigned __int128 output = 0;
};

Expected plainReading(const std::uint8_t *data, std::size_t size)
{
    struct Global {
        std::uint32_t size = 0, count = 0, id = 0;
    } global;
    std::vector<Global> stack;
    std::map<std::uint32_t, unsigned __int128> in, out;
    Expected e;
    std::size_t i = 0;
    while (i < size) {
        const std::uint8_t prefix = data[i];
        if (prefix == 0xFE) {
            if (size - i < 3 || size - i - 3 < data[i + 1])
                return {false};
            i += 3 + std::size_t(data[i + 1]);
            continue;
        }
        std::size_t n = prefix & 3;
        if (n == 3)
            n = 4;
        if (size - i - 1 < n)
            return {false};
        std::uint32_t value = 0;
        for (std::size_t b = 0; b < n; ++b)
            value |= std::uint32_t(data[i + 1 + b]) << (8 * b);
        const int type = (prefix >> 2) & 3, tag = prefix >> 4;
        if (type == 0 && (tag == 8 || tag == 9))
            (tag == 8 ? in : out)[global.id] += (unsigned __int128)global.size * global.count;
        else if (type == 1 && tag == 7)
            global.size = value;
        else if (type == 1 && tag == 9)
            global.count = value;
        else if (type == 1 && tag == 8) {
            global.id = value;
            e.numbered = true;
        } else if (type == 1 && tag == 0xA)
            stack.push_back(global);
        else if (type == 1 && tag == 0xB && !stack.empty()) {
            global = stack.back();
            stack.pop_back();
        }
        i += 1 + n;
    }
    auto longest = [](const std::map<std::uint32_t, unsigned __int128> &bits) {
        unsigned __int128 best = 0;
        for (const auto &entry : bits)
            best = best > entry.second ? best : entry.second;
        return best == 0 ? best : (best + 7) / 8 + 1;
    };
    e.input = longest(in);
    e.output = longest(out);
    return e;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray descriptor(reinterpret_cast<const char *>(data), qsizetype(size));
    const HidReportLengths lengths = parseReportDescriptor(descriptor);

    FUZZ_CHECK(lengths.input >= 0 && lengths.input <= HidReportLengths::MaxLength);
    FUZZ_CHECK(lengths.output >= 0 && lengths.output <= HidReportLengths::MaxLength);
    // A length counts the ID byte, so a declared report is never shorter than 2.
    FUZZ_CHECK(lengths.input != 1 && lengths.output != 1);
    if (lengths.tooLong)
        FUZZ_CHECK(lengths.input == 0 && lengths.output == 0);

    const Expected e = plainReading(data, size);
    if (!e.valid) {
        FUZZ_CHECK(!lengths.tooLong && !lengths.numbered);
        FUZZ_CHECK(lengths.input == 0 && lengths.output == 0);
        return 0;
    }
    FUZZ_CHECK(lengths.numbered == e.numbered);
    const bool tooLong = e.input > HidReportLengths::MaxLength || e.output > HidReportLengths::MaxLength;
    FUZZ_CHECK(lengths.tooLong == tooLong);
    if (!tooLong) {
        FUZZ_CHECK(lengths.input == int(e.input));
        FUZZ_CHECK(lengths.output == int(e.output));
    }
    return 0;
}
