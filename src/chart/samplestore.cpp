#include "samplestore.h"

#include <cmath>
#include <limits>

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
}

void SampleStore::clear()
{
    m_blocks.clear();
    m_blocks.shrink_to_fit();
    m_size = 0;
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

qsizetype SampleStore::allocatedBytes() const
{
    return qsizetype(m_blocks.size()) * qsizetype(sizeof(Block)) +
           qsizetype(m_blocks.capacity() * sizeof(m_blocks[0]));
}

SampleStore::Span SampleStore::span(int line, qsizetype begin, qsizetype end) const
{
    // Locals and two pairs of accumulators: this runs over every kept value
    // of the window at each replot.
    float low0 = std::numeric_limits<float>::infinity(), low1 = low0;
    float high0 = -low0, high1 = high0;
    bool gap = false;
    while (begin < end) {
        const float *ys = block(begin).y[line];
        const qsizetype from = begin & Mask;
        const qsizetype to = std::min(BlockSize, from + (end - begin));
        qsizetype i = from;
        for (; i + 1 < to; i += 2) {
            const float a = ys[i], b = ys[i + 1];
            low0 = a < low0 ? a : low0;
            high0 = a > high0 ? a : high0;
            low1 = b < low1 ? b : low1;
            high1 = b > high1 ? b : high1;
            gap |= int(std::isnan(a)) | int(std::isnan(b)); // no branch in the hot loop
        }
        if (i < to) {
            const float a = ys[i];
            low0 = a < low0 ? a : low0;
            high0 = a > high0 ? a : high0;
            gap |= std::isnan(a);
        }
        begin += to - from;
    }
    return {std::min(low0, low1), std::max(high0, high1), gap};
}
