#include "terminationsignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int Watched[] = {SIGTERM, SIGINT, SIGHUP};
int pipeEnds[2] = {-1, -1}; // [0] read by the GUI thread, [1] written by the handler

extern "C" void onTerminationSignal(int signalNumber)
{
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pipeEnds) != 0) {
        std::perror("klv57-pc: no socket pair for termination signals");
        return;
    }
    m_notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readPending);

    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : Watched)
        ::sigaction(number, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    for (int number : Watched)
        std::signal(number, SIG_DFL);
    delete m_notifier;
    for (int &end : pipeEnds) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
}

void TerminationSignals::endProcessWithin(std::chrono::milliseconds deadline, int status)
{
    std::thread([deadline, status] {
        std::this_thread::sleep_for(deadline);
        std::fflush(stderr);
        std::_Exit(status);
    }).detach();
}

void TerminationSignals::readPending()
{
    unsigned char byte = 0;
    if (::read(pipeEnds[0], &byte, 1) == 1)
        emit received(byte);
}
