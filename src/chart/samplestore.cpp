#include "samplestore.h"

#include <cmath>
#include <limits>

namespace {

constexpr float Infinity = std::numeric_limits<float>::infinity();

void merge(SampleStore::Span &into, const SampleStore::Span &other)
{
    into.low = std::min(into.low, other.low);
    into.high = std::max(into.high, other.high);
    into.gap = into.gap || other.gap;
}

int lowestSetBit(quint64 v)
{
    return __builtin_ctzll(v);
}

int highestSetBit(quint64 v)
{
    return 63 - __builtin_clzll(v);
}

// Extremes of a run of values; NaN is left out and reported. Two pairs of
// accumulators and no branch: this runs over the raw ends of every range.
SampleStore::Span scanValues(const float *ys, qsizetype count)
{
    float low0 = Infinity, low1 = low0;
    float high0 = -Infinity, high1 = high0;
    bool gap = false;
    qsizetype i = 0;
    for (; i + 1 < count; i += 2) {
        const float a = ys[i], b = ys[i + 1];
        low0 = a < low0 ? a : low0;
        high0 = a > high0 ? a : high0;
        low1 = b < low1 ? b : low1;
        high1 = b > high1 ? b : high1;
        gap |= int(std::isnan(a)) | int(std::isnan(b));
    }
    if (i < count) {
        const float a = ys[i];
        low0 = a < low0 ? a : low0;
        high0 = a > high0 ? a : high0;
        gap |= std::isnan(a);
    }
    return {std::min(low0, low1), std::max(high0, high1), gap};
}

} // namespace

void SampleStore::append(double x, const std::array<double, ChartLineCount> &values)
{
    if (m_size == qsizetype(m_blocks.size()) * BlockSize)
        m_blocks.emplace_back(new Block); // left uninitialised: filled as samples come
    Block &b = *m_blocks.back();
    const qsizetype at = m_size & Mask;
    b.x[at] = x;
    for (int k = 0; k < ChartLineCount; ++k)
        b.y[k][at] = float(values[k]);
    ++m_size;
    const qsizetype filled = at + 1;
    if ((filled & ((qsizetype(1) << SummaryShift) - 1)) == 0)
        summarise(b, filled);
    if (filled == BlockSize)
        summariseBlocks();
}

// The groups of the block that its `filled`-th sample completes.
void SampleStore::summarise(Block &b, qsizetype filled)
{
    for (int k = 0; k < ChartLineCount; ++k) {
        qsizetype g = (filled >> SummaryShift) - 1;
        Span s = scanValues(b.y[k] + (g << SummaryShift), qsizetype(1) << SummaryShift);
        int slot = levelOffset(0) + int(g);
        b.low[k][slot] = s.low;
        b.high[k][slot] = s.high;
        quint64 bit = quint64(1) << (slot & 63);
        b.gap[k][slot >> 6] = s.gap ? b.gap[k][slot >> 6] | bit : b.gap[k][slot >> 6] & ~bit;
        for (int j = 1; j < BlockLevels && (g & 1) == 1; ++j) {
            const int lower = levelOffset(j - 1) + int(g) - 1; // the pair g - 1, g below
            g >>= 1;
            slot = levelOffset(j) + int(g);
            b.low[k][slot] = std::min(b.low[k][lower], b.low[k][lower + 1]);
            b.high[k][slot] = std::max(b.high[k][lower], b.high[k][lower + 1]);
            const bool gap = ((b.gap[k][lower >> 6] >> (lower & 63)) & 1) |
                             ((b.gap[k][(lower + 1) >> 6] >> ((lower + 1) & 63)) & 1);
            bit = quint64(1) << (slot & 63);
            b.gap[k][slot >> 6] = gap ? b.gap[k][slot >> 6] | bit : b.gap[k][slot >> 6] & ~bit;
        }
    }
}

// The groups larger than a block that the last full block completes.
void SampleStore::summariseBlocks()
{
    const qsizetype blocks = qsizetype(m_blocks.size());
    for (int k = 0; k < ChartLineCount; ++k) {
        std::vector<Level> &levels = m_upper[k];
        for (int u = 0; (blocks & ((qsizetype(2) << u) - 1)) == 0; ++u) {
            if (int(levels.size()) <= u)
                levels.emplace_back();
            const qsizetype g = (blocks >> (u + 1)) - 1;
            const Span a = group(k, BlockShift + u, 2 * g);
            const Span b = group(k, BlockShift + u, 2 * g + 1);
            levels[size_t(u)].low.push_back(std::min(a.low, b.low));
            levels[size_t(u)].high.push_back(std::max(a.high, b.high));
            levels[size_t(u)].gap.push_back(a.gap || b.gap);
        }
    }
}

SampleStore::Span SampleStore::group(int line, int shift, qsizetype g) const
{
    if (shift > BlockShift) {
        const Level &level = m_upper[line][size_t(shift - BlockShift - 1)];
        return {level.low[size_t(g)], level.high[size_t(g)], level.gap[size_t(g)]};
    }
    const Block &b = block(g << shift);
    const int j = shift - SummaryShift;
    const int slot = levelOffset(j) + int(g & ((BlockSize >> shift) - 1));
    return {b.low[line][slot], b.high[line][slot], bool((b.gap[line][slot >> 6] >> (slot & 63)) & 1)};
}

void SampleStore::clear()
{
    m_blocks.clear();
    m_blocks.shrink_to_fit();
    for (std::vector<Level> &levels : m_upper) {
        levels.clear();
        levels.shrink_to_fit();
    }
    m_size = 0;
    ++m_generation;
}

qsizetype SampleStore::lowerBound(double value, qsizetype from, qsizetype to) const
{
    qsizetype low = from, high = to;
    while (low < high) {
        const qsizetype mid = low + (high - low) / 2;
        if (x(mid) < value)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

qsizetype SampleStore::lowerBoundNear(double value, qsizetype from, qsizetype to) const
{
    qsizetype step = 1, low = from;
    while (low + step < to && x(low + step) < value) {
        low += step;
        step *= 2;
    }
    return lowerBound(value, low, std::min(to, low + step));
}

qsizetype SampleStore::upperBound(double value) const
{
    qsizetype low = 0, high = m_size;
    while (low < high) {
        const qsizetype mid = low + (high - low) / 2;
        if (x(mid) <= value)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

qsizetype SampleStore::upperLevelBytes() const
{
    qsizetype bytes = 0;
    for (const std::vector<Level> &levels : m_upper) {
        bytes += qsizetype(levels.capacity() * sizeof(Level));
        for (const Level &level : levels)
            bytes += qsizetype((level.low.capacity() + level.high.capacity()) * sizeof(float) +
                               level.gap.capacity() / 8);
    }
    return bytes;
}

qsizetype SampleStore::allocatedBytes() const
{
    return qsizetype(m_blocks.size()) * qsizetype(sizeof(Block)) +
           qsizetype(m_blocks.capacity() * sizeof(m_blocks[0])) + upperLevelBytes();
}

qsizetype SampleStore::summaryBytes() const
{
    constexpr qsizetype PerBlock = sizeof(Block::low) + sizeof(Block::high) + sizeof(Block::gap);
    return qsizetype(m_blocks.size()) * PerBlock + upperLevelBytes();
}

SampleStore::Span SampleStore::scan(int line, qsizetype begin, qsizetype end) const
{
    Span all{Infinity, -Infinity, false};
    while (begin < end) {
        const qsizetype from = begin & Mask;
        const qsizetype to = std::min(BlockSize, from + (end - begin));
        merge(all, scanValues(block(begin).y[line] + from, to - from));
        begin += to - from;
    }
    return all;
}

SampleStore::Span SampleStore::span(int line, qsizetype begin, qsizetype end) const
{
    constexpr qsizetype Smallest = qsizetype(1) << SummaryShift;
    if (end - begin < 2 * Smallest)
        return scan(line, begin, end);
    // The unaligned head and tail from the values, the rest from the
    // largest aligned groups that fit: at most two of each size.
    const qsizetype first = (begin + Smallest - 1) & ~(Smallest - 1);
    const qsizetype last = end & ~(Smallest - 1);
    Span all = scan(line, begin, first);
    merge(all, scan(line, last, end));
    qsizetype i = first;
    while (i < last) {
        int shift = highestSetBit(quint64(last - i));
        if (i != 0)
            shift = std::min(shift, lowestSetBit(quint64(i)));
        merge(all, group(line, shift, i >> shift));
        i += qsizetype(1) << shift;
    }
    return all;
}
