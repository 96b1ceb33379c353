// Race canary, built only with the thread sanitizer: a std::thread writes an
// int that a QTimer slot on the GUI thread reads, with no synchronisation at
// all. The test passes only if the sanitizer reports that race, so a
// suppression broad enough to hide our races behind Qt frames fails it.

#include <QCoreApplication>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace
{

// Deliberately unsynchronised. volatile and noinline keep the accesses in
// this file, where the report must point.
volatile int g_shared = 0;

__attribute__((noinline)) void canaryWrite(int value)
{
    g_shared = value;
}

__attribute__((noinline)) int canaryRead()
{
    return g_shared;
}

// Without the project's suppressions in effect the canary proves nothing.
bool projectSuppressionsInEffect()
{
    const char *options = std::getenv("TSAN_OPTIONS");
    const std::string all = options ? options : "";
    const auto at = all.find("suppressions=");
    if (at == std::string::npos)
        return false;
    const auto begin = at + std::string("suppressions=").size();
    const std::string file = all.substr(begin, all.find_first_of(" :,", begin) - begin);
    std::error_code error;
    return std::filesystem::equivalent(file, KLV_TSAN_SUPP, error);
}

} // namespace

int main(int argc, char **argv)
{
    if (!projectSuppressionsInEffect()) {
        std::fprintf(stderr, "TSAN_OPTIONS must name suppressions=%s\n", KLV_TSAN_SUPP);
        return 1;
    }

    QCoreApplication app(argc, argv);

    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; !stop.load(std::memory_order_relaxed); ++i) {
            canaryWrite(i);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });

    int sum = 0;
    QTimer reader;
    reader.setInterval(1);
    QObject::connect(&reader, &QTimer::timeout, [&] { sum += canaryRead(); });
    reader.start();
    QTimer::singleShot(300, &app, &QCoreApplication::quit);
    app.exec();

    stop = true;
    writer.join();
    std::printf("canary done (%d)\n", sum);
    return 0;
}
