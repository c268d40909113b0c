#include "terminalkeys.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {
// An escape sequence is short; anything longer is not one of ours.
constexpr int MaxPending = 8;
constexpr int ReadChunk = 64;

int signalPipe[2] = {-1, -1};
termios savedTerminal;

void onSignal(int signalNumber)
{
    const char byte = char(signalNumber);
    // Nothing else is safe here; the event loop does the rest.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}
} // namespace

TerminalKeys::TerminalKeys(QObject* parent) : QObject(parent)
{
    // Only in the foreground: changing the terminal from the background stops the process.
    if (::isatty(STDIN_FILENO) && ::tcgetpgrp(STDIN_FILENO) == ::getpgrp() &&
        ::tcgetattr(STDIN_FILENO, &savedTerminal) == 0) {
        termios raw = savedTerminal;
        raw.c_lflag &= tcflag_t(~(ICANON | ECHO));
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        m_restore = ::tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
    }
    // Standard input that is not a terminal (a pipe in a script) works too, line-buffered.
    if (::fcntl(STDIN_FILENO, F_GETFD) != -1) {
        m_input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
        connect(m_input, &QSocketNotifier::activated, this, &TerminalKeys::readInput);
    }

    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, nullptr);
        ::sigaction(SIGTERM, &action, nullptr);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGWINCH, &action, nullptr);
    }
    if (signalPipe[0] >= 0) {
        m_signal = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
        connect(m_signal, &QSocketNotifier::activated, this, &TerminalKeys::readSignal);
    }
}

TerminalKeys::~TerminalKeys()
{
    if (m_restore) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
    }
}

void TerminalKeys::readInput()
{
    char buffer[ReadChunk];
    const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (count <= 0) {
        // End of input (or an input we cannot read): no more keys.
        m_input->setEnabled(false);
        return;
    }
    feed(QByteArray(buffer, int(count)));
}

void TerminalKeys::readSignal()
{
    char buffer[ReadChunk];
    ssize_t count = 0;
    while ((count = ::read(signalPipe[0], buffer, sizeof buffer)) > 0) {
        for (ssize_t i = 0; i < count; ++i) {
            if (buffer[i] == SIGWINCH) {
                Q_EMIT resized();
            } else {
                Q_EMIT interrupted(buffer[i]);
            }
        }
    }
}

void TerminalKeys::feed(const QByteArray& bytes)
{
    m_pending += bytes;
    while (!m_pending.isEmpty()) {
        const char first = m_pending.at(0);
        if (first == '\x1b') {
            // Arrow keys: ESC [ C (right) and ESC [ D (left).
            if (m_pending.size() < 3) {
                if (m_pending.size() > 1 && m_pending.at(1) != '[') {
                    m_pending.remove(0, 1);
                    continue;
                }
                return;
            }
            const char final = m_pending.at(2);
            m_pending.remove(0, m_pending.at(1) == '[' ? 3 : 1);
            if (final == 'C') {
                Q_EMIT keyPressed(SeekForward);
            } else if (final == 'D') {
                Q_EMIT keyPressed(SeekBack);
            }
            continue;
        }
        m_pending.remove(0, 1);
        switch (first) {
        case ' ':
            Q_EMIT keyPressed(Space);
            break;
        case 'n':
            Q_EMIT keyPressed(Next);
            break;
        case 'p':
            Q_EMIT keyPressed(Previous);
            break;
        case 's':
            Q_EMIT keyPressed(Shuffle);
            break;
        case '+':
        case '=':
            Q_EMIT keyPressed(VolumeUp);
            break;
        case '-':
            Q_EMIT keyPressed(VolumeDown);
            break;
        case 'l':
            Q_EMIT keyPressed(Loop);
            break;
        case 'q':
            Q_EMIT keyPressed(Quit);
            break;
        default:
            break;
        }
    }
    if (m_pending.size() > MaxPending) {
        m_pending.clear();
    }
}
