// Costs of the hot paths, measured with a steady clock over many rounds.
#include "livevalues.h"
#include "valueformat.h"

#include <QCoreApplication>
#include <QLocale>

#include <chrono>
#include <cstdio>
#include <functional>

namespace {

void report(const char *name, int rounds, const std::function<void()> &work)
{
    for (int i = 0; i < rounds / 10; ++i) // warm up
        work();
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i)
        work();
    double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-40s %10.3f us per call\n", name, us / rounds);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));

    LiveValues sample;
    sample.Sum = 1234.5f;
    sample.Input1 = 250.25f;
    const QByteArray frame = sample.encode();
    volatile float sink = 0;
    report("decode one measurement frame", 200000, [&] { sink = LiveValues::decode(frame).Sum; });
    report("grouped format of one value", 200000, [&] { sink = float(formatGrouped(1234.56, 2).size()); });
    report("fixed format of one value", 200000, [&] { sink = float(formatFixed(-0.125, 4).size()); });
    (void)sink;
    return 0;
}
