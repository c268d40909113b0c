#include "playersession.h"

#include "playerarguments.h"
#include "playerwindow.h"
#include "statusline.h"

#include <kelplaycontrols.h>

#include <QDBusConnection>
#include <QGuiApplication>

#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// A shell reports a program ended by a signal as 128 + the signal's number.
constexpr int SignalExitBase = 128;

} // namespace

int PlayerSession::terminalWidth()
{
    winsize size{};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return StatusLine::DefaultWidth;
}

PlayerSession::PlayerSession(QCoreApplication* app, const PlayerArguments& arguments,
                             StatusLine* status, bool terminal, bool offscreen)
    : m_app(app), m_arguments(arguments), m_status(status), m_player(KelPlayControls::instance()),
      m_mpris(&m_player)
{
    m_status->follow(&m_player);
    // Every way out ends here: q, MPRIS Quit, a closed window, the end of the list.
    connect(&m_player, &Player::quitRequested, m_app, &QCoreApplication::exit,
            Qt::QueuedConnection);
    const bool stay =
        arguments.window() && (arguments.stay() || !arguments.screenshotFile().isEmpty());
    if (!stay) {
        connect(&m_player, &Player::finished, m_app, &QCoreApplication::exit, Qt::QueuedConnection);
    }
    QString why;
    if (!m_mpris.registerOn(QDBusConnection::sessionBus(), &why)) {
        m_status->showMessage(QStringLiteral("no D-Bus session bus (%1): media keys and desktop "
                                             "controls are off")
                                  .arg(why));
    }
    connectTerminal(terminal);
    if (arguments.window()) {
        openWindow(offscreen);
    }
}

PlayerSession::~PlayerSession() = default;

void PlayerSession::connectTerminal(bool terminal)
{
    connect(&m_keys, &TerminalKeys::keyPressed, &m_player,
            [this](TerminalKeys::Key key) { m_player.handleKey(key); });
    connect(&m_keys, &TerminalKeys::interrupted, this, [this](int number) {
        m_signalNumber = number;
        m_player.quit();
    });
    connect(&m_keys, &TerminalKeys::resized, m_status,
            [this]() { m_status->setWidth(terminalWidth()); });
    if (terminal && ::isatty(STDIN_FILENO)) {
        m_status->showMessage(QStringLiteral("keys: space pause/resume, n/p next/previous, "
                                             "left/right seek 10 s, +/- volume, s shuffle, "
                                             "l loop, q quit"));
    }
}

void PlayerSession::openWindow(bool offscreen)
{
    if (offscreen) {
        m_status->showMessage(QStringLiteral("no display: the window is drawn offscreen"));
    }
    m_window.reset(new PlayerWindow(&m_player));
    m_mpris.setCanRaise(true);
    connect(&m_mpris, &MprisService::raiseRequested, m_window.get(), [this]() {
        m_window->show();
        m_window->raise();
        m_window->activateWindow();
    });
    auto* gui = static_cast<QGuiApplication*>(m_app);
    gui->setQuitOnLastWindowClosed(false);
    connect(gui, &QGuiApplication::lastWindowClosed, &m_player, &Player::quit);
    m_window->show();
    if (!m_arguments.screenshotFile().isEmpty()) {
        scheduleScreenshot(m_arguments.screenshotFile(), m_arguments.screenshotDelayMs());
    }
}

// Counted from the start of playback, however long start-up took; taken at once when
// playback ends or never starts.
void PlayerSession::scheduleScreenshot(const QString& file, int delayMs)
{
    m_screenshotTimer.setSingleShot(true);
    m_screenshotTimer.setInterval(delayMs);
    connect(&m_player, &Player::stateChanged, &m_screenshotTimer,
            [this](MafwRenderer::State state) {
                if (state == MafwRenderer::Playing && !m_screenshotTimer.isActive()) {
                    m_screenshotTimer.start();
                }
            });
    connect(&m_player, &Player::finished, &m_screenshotTimer,
            [this]() { m_screenshotTimer.start(0); });
    connect(&m_screenshotTimer, &QTimer::timeout, this, [this, file]() {
        m_screenshotTimer.disconnect();
        m_screenshotFailed = !m_window->saveScreenshot(file);
        m_status->showMessage(m_screenshotFailed
                                  ? QStringLiteral("cannot write %1").arg(file)
                                  : QStringLiteral("screenshot written to %1").arg(file),
                              m_screenshotFailed);
        m_player.quit();
    });
}

int PlayerSession::exec()
{
    int exitStatus = Player::AllPlayed;
    if (!m_player.start(m_arguments)) {
        exitStatus = Player::SomethingFailed;
        if (!m_arguments.screenshotFile().isEmpty()) {
            m_screenshotTimer.start(0);
            m_app->exec();
        }
    } else {
        exitStatus = m_app->exec();
    }
    if (m_signalNumber != 0) {
        exitStatus = SignalExitBase + m_signalNumber;
    } else if (m_screenshotFailed) {
        exitStatus = Player::SomethingFailed;
    }
    m_status->finish();
    return exitStatus;
}
