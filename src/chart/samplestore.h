#pragma once

#include "chartsampler.h"

#include <QtGlobal>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

// The chart's points, kept until a reset: for each sample one x shared by
// the five lines and the five values. Values are the frame's floats and are
// kept as such. The samples sit in blocks of fixed size, so appending never
// moves what is kept: one growing array would copy all of it at each
// growth, tens of milliseconds on the GUI thread after an hour at 80/s.
//
// Beside the values, each line keeps the lowest and highest value of every
// aligned group of 2^k samples (k >= SummaryShift), built as samples
// arrive, so that the extremes of any range cost a few reads however many
// samples it holds. They take 8 bytes a group: 1 byte per sample and line,
// under a fifth of the 28 bytes a sample keeps.
class SampleStore
{
public:
    static constexpr int BlockShift = 13;
    static constexpr qsizetype BlockSize = qsizetype(1) << BlockShift; // samples
    static constexpr int SummaryShift = 4; // the smallest summarised group: 16 samples

    // x never decreases from one sample to the next.
    void append(double x, const std::array<double, ChartLineCount> &values);
    // Drops every sample and gives the memory back.
    void clear();

    qsizetype size() const { return m_size; }
    // Changes at every clear(): the same size may hold other samples then.
    quint64 generation() const { return m_generation; }
    double x(qsizetype i) const { return block(i).x[i & Mask]; }
    float value(int line, qsizetype i) const { return block(i).y[line][i & Mask]; }
    // Calls f(x, value) for the samples [begin, end) of one line, in order.
    template <typename F> void forEach(int line, qsizetype begin, qsizetype end, F &&f) const
    {
        while (begin < end) {
            const Block &b = block(begin);
            const qsizetype from = begin & Mask;
            const qsizetype to = std::min(BlockSize, from + (end - begin));
            const double *xs = b.x;
            const float *ys = b.y[line];
            for (qsizetype i = from; i < to; ++i)
                f(xs[i], ys[i]);
            begin += to - from;
        }
    }
    // The lowest and highest value of one line over [begin, end); NaN values
    // are left out and reported. Reads the group summaries, so its cost
    // grows with the logarithm of the range, not with the range.
    struct Span {
        float low;
        float high;
        bool gap;
    };
    Span span(int line, qsizetype begin, qsizetype end) const;
    // The same from every value of the range, without the summaries.
    Span scan(int line, qsizetype begin, qsizetype end) const;
    // The first sample whose x is not below / is above the given one; size() if none.
    qsizetype lowerBound(double x) const { return lowerBound(x, 0, m_size); }
    qsizetype upperBound(double x) const;
    // The same within [from, to).
    qsizetype lowerBound(double x, qsizetype from, qsizetype to) const;
    // As lowerBound(x, from, to), searching outwards from `from`: cheap when
    // the answer lies near it, as the next pixel column's first sample does.
    qsizetype lowerBoundNear(double x, qsizetype from, qsizetype to) const;
    qsizetype allocatedBytes() const;
    // The part of allocatedBytes() that the summaries take.
    qsizetype summaryBytes() const;

private:
    static constexpr qsizetype Mask = BlockSize - 1;
    // Summaries inside a block: groups of 16, 32, ... BlockSize samples,
    // level after level; level j holds (BlockSize >> SummaryShift) >> j groups.
    static constexpr int BlockLevels = BlockShift - SummaryShift + 1;
    static constexpr int BlockGroups = int(BlockSize >> SummaryShift) * 2 - 1;
    static constexpr int GapWords = (BlockGroups + 63) / 64;
    static constexpr int levelOffset(int j)
    {
        return int(BlockSize >> SummaryShift) * 2 - int((BlockSize >> SummaryShift) * 2 >> j);
    }
    struct Block {
        double x[BlockSize];
        float y[ChartLineCount][BlockSize]; // one line's values together, for drawing
        float low[ChartLineCount][BlockGroups];
        float high[ChartLineCount][BlockGroups];
        quint64 gap[ChartLineCount][GapWords]; // a bit per group: it holds a NaN
    };
    // Summaries of groups larger than a block: level u covers 2^(BlockShift + 1 + u) samples.
    struct Level {
        std::vector<float> low, high;
        std::vector<bool> gap;
    };
    const Block &block(qsizetype i) const { return *m_blocks[size_t(i >> BlockShift)]; }
    void summarise(Block &b, qsizetype filled);
    void summariseBlocks();
    // The summary of group g of 2^shift samples of one line.
    Span group(int line, int shift, qsizetype g) const;
    qsizetype upperLevelBytes() const;

    std::vector<std::unique_ptr<Block>> m_blocks;
    std::array<std::vector<Level>, ChartLineCount> m_upper;
    qsizetype m_size = 0;
    quint64 m_generation = 0;
};
