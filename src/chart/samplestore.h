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
class SampleStore
{
public:
    static constexpr int BlockShift = 13;
    static constexpr qsizetype BlockSize = qsizetype(1) << BlockShift; // samples

    // x never decreases from one sample to the next.
    void append(double x, const std::array<double, ChartLineCount> &values);
    // Drops every sample and gives the memory back.
    void clear();

    qsizetype size() const { return m_size; }
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
    // are left out and reported.
    struct Span {
        float low;
        float high;
        bool gap;
    };
    Span span(int line, qsizetype begin, qsizetype end) const;
    // The first sample whose x is not below / is above the given one; size() if none.
    qsizetype lowerBound(double x) const { return lowerBound(x, 0, m_size); }
    qsizetype upperBound(double x) const;
    // The same within [from, to).
    qsizetype lowerBound(double x, qsizetype from, qsizetype to) const;
    qsizetype allocatedBytes() const;

private:
    static constexpr qsizetype Mask = BlockSize - 1;
    struct Block {
        double x[BlockSize];
        float y[ChartLineCount][BlockSize]; // one line's values together, for drawing
    };
    const Block &block(qsizetype i) const { return *m_blocks[size_t(i >> BlockShift)]; }

    std::vector<std::unique_ptr<Block>> m_blocks;
    qsizetype m_size = 0;
};
