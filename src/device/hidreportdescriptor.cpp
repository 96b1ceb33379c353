#include "hidreportdescriptor.h"

#include <algorithm>
#include <map>
#include <vector>

namespace {

// Anything above this is refused anyway; capping keeps the arithmetic exact.
constexpr quint64 CapBits = quint64(HidReportLengths::MaxLength + 1) * 8;

struct GlobalState {
    quint32 reportSize = 0;
    quint32 reportCount = 0;
    quint32 reportId = 0;
};

} // namespace

HidReportLengths parseReportDescriptor(const QByteArray &descriptor)
{
    GlobalState global;
    std::vector<GlobalState> stack;
    std::map<quint32, quint64> inputBits, outputBits; // per report ID
    bool numbered = false;

    const auto *bytes = reinterpret_cast<const quint8 *>(descriptor.constData());
    const int size = descriptor.size();
    int i = 0;
    while (i < size) {
        quint8 prefix = bytes[i];
        if (prefix == 0xFE) { // long item: skip its data, which must all be there
            if (i + 2 >= size || i + 3 + bytes[i + 1] > size)
                return {};
            i += 3 + bytes[i + 1];
            continue;
        }
        int dataSize = prefix & 0x03;
        if (dataSize == 3)
            dataSize = 4;
        if (i + 1 + dataSize > size)
            return {};
        quint32 value = 0;
        for (int b = 0; b < dataSize; ++b)
            value |= quint32(bytes[i + 1 + b]) << (8 * b);
        const int type = (prefix >> 2) & 0x03; // 0 main, 1 global, 2 local
        const int tag = (prefix >> 4) & 0x0F;
        if (type == 0 && (tag == 0x8 || tag == 0x9)) { // Input, Output
            // Both factors are 32-bit, so the product fits; the sum is capped
            // so that no number of items can wrap it.
            auto &bits = tag == 0x8 ? inputBits : outputBits;
            quint64 &sum = bits[global.reportId];
            sum = std::min(sum + quint64(global.reportSize) * global.reportCount, CapBits);
        } else if (type == 1) {
            switch (tag) {
            case 0x7: global.reportSize = value; break;
            case 0x9: global.reportCount = value; break;
            case 0x8: global.reportId = value; numbered = true; break;
            case 0xA: stack.push_back(global); break; // Push
            case 0xB: // Pop
                if (!stack.empty()) {
                    global = stack.back();
                    stack.pop_back();
                }
                break;
            }
        }
        i += 1 + dataSize;
    }

    auto longest = [](const std::map<quint32, quint64> &bits) {
        quint64 best = 0;
        for (const auto &entry : bits)
            best = std::max(best, entry.second);
        return best == 0 ? quint64(0) : (best + 7) / 8 + 1;
    };
    const quint64 input = longest(inputBits);
    const quint64 output = longest(outputBits);
    HidReportLengths lengths;
    lengths.numbered = numbered;
    if (input > quint64(HidReportLengths::MaxLength) || output > quint64(HidReportLengths::MaxLength)) {
        lengths.tooLong = true;
        return lengths;
    }
    lengths.input = int(input);
    lengths.output = int(output);
    return lengths;
}
