// kelmora-player: plays files, HTTP streams and playlist files through libkelmora, with a
// status line and keys in a terminal, an MPRIS2 service on the session bus and, with
// --window, a window of the playing item and the playlist.
#include "mprisservice.h"
#include "player.h"
#include "playerarguments.h"
#include "playerwindow.h"
#include "statusline.h"
#include "terminalkeys.h"

#include <kelplaycontrols.h>
#include <mapplication.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QTimer>

#include <memory>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

StatusLine* messageTarget = nullptr;

// Warnings of the library (such as playing to a fake sink) appear above the status line.
void showQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    const QString line = qFormatLogMessage(type, context, text);
    if (messageTarget) {
        messageTarget->showMessage(line, type != QtInfoMsg && type != QtDebugMsg);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(line));
    }
}

// The built-in sample: beside the program in a build tree, in the data folder when installed.
QString samplePlaylist()
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QString built = programDir.filePath(QStringLiteral("sample/sample.m3u"));
    if (QFile::exists(built)) {
        return built;
    }
    return QDir::cleanPath(programDir.filePath(QStringLiteral(KELMORA_PLAYER_SAMPLE_DIR) +
                                               QStringLiteral("/sample.m3u")));
}

// The window needs a display; with none (a screenshot on a server) it is drawn offscreen.
bool useOffscreenWhenNoDisplay()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
        !qEnvironmentVariableIsEmpty("DISPLAY") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        return false;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}

// A shell reports a program ended by a signal as 128 + the signal's number.
constexpr int SignalExitBase = 128;

int terminalWidth()
{
    winsize size{};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return StatusLine::DefaultWidth;
}

} // namespace

int main(int argc, char** argv)
{
    bool window = false;
    for (int i = 1; i < argc; ++i) {
        window = window || qstrcmp(argv[i], "--window") == 0;
    }
    const bool offscreen = window && useOffscreenWhenNoDisplay();
    // The player shows no video (its window shows cover art), and probing for a video
    // output can crash inside a GStreamer plug-in (DirectFB): pictures are dropped.
    if (qEnvironmentVariableIsEmpty("KELMORA_VIDEO_SINK")) {
        qputenv("KELMORA_VIDEO_SINK", "fakesink");
    }
    // A terminal player needs no display: only the window brings up the GUI.
    std::unique_ptr<QCoreApplication> application(window ? new MApplication(argc, argv)
                                                         : new QCoreApplication(argc, argv));
    QCoreApplication& app = *application;
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES")) {
        QLoggingCategory::setFilterRules(QStringLiteral("kelmora.*.debug=false"));
    }
    qSetMessagePattern(QStringLiteral("%{message}"));
    // Cover art fetched over HTTP is a cache, not the user's files.
    if (qEnvironmentVariableIsEmpty("KELMORA_ART_DIR")) {
        qputenv("KELMORA_ART_DIR", QFile::encodeName(QStandardPaths::writableLocation(
                                                         QStandardPaths::GenericCacheLocation) +
                                                     QStringLiteral("/kelmora/art")));
    }
    QStringList args = app.arguments();
    args.removeFirst();
    const PlayerArguments arguments = PlayerArguments::parse(args, samplePlaylist());

    QFile out;
    QFile err;
    // Written at once, by the file descriptor: the status line is rewritten without a newline.
    out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(STDERR_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (arguments.helpRequested()) {
        out.write(PlayerArguments::usage().toUtf8() + '\n');
        return Player::AllPlayed;
    }
    const bool terminal = ::isatty(STDOUT_FILENO);
    StatusLine status(&out, terminal, terminalWidth(), &err);
    messageTarget = &status;
    qInstallMessageHandler(showQtMessage);
    for (const QString& problem : arguments.problems()) {
        status.showMessage(problem, true);
    }
    if (arguments.usageError()) {
        err.write(PlayerArguments::usage().toUtf8() + '\n');
        return Player::UsageError;
    }
    if (arguments.mode() == PlayerArguments::NothingToPlay) {
        return Player::SomethingFailed;
    }

    int exitStatus = Player::AllPlayed;
    {
        Player player(KelPlayControls::instance());
        status.follow(&player);
        // Every way out ends here: q, MPRIS Quit, a closed window, the end of the list.
        QObject::connect(&player, &Player::quitRequested, &app, &QCoreApplication::exit,
                         Qt::QueuedConnection);
        const bool stay =
            arguments.window() && (arguments.stay() || !arguments.screenshotFile().isEmpty());
        if (!stay) {
            QObject::connect(&player, &Player::finished, &app, &QCoreApplication::exit,
                             Qt::QueuedConnection);
        }

        MprisService mpris(&player);
        QString why;
        if (!mpris.registerOn(QDBusConnection::sessionBus(), &why)) {
            status.showMessage(QStringLiteral("no D-Bus session bus (%1): media keys and desktop "
                                              "controls are off")
                                   .arg(why));
        }

        TerminalKeys keys;
        QObject::connect(&keys, &TerminalKeys::keyPressed, &player,
                         [&player](TerminalKeys::Key key) { player.handleKey(key); });
        int signalNumber = 0;
        QObject::connect(&keys, &TerminalKeys::interrupted, &app, [&](int number) {
            signalNumber = number;
            player.quit();
        });
        QObject::connect(&keys, &TerminalKeys::resized, &status,
                         [&status]() { status.setWidth(terminalWidth()); });
        if (terminal && ::isatty(STDIN_FILENO)) {
            status.showMessage(QStringLiteral("keys: space pause/resume, n/p next/previous, "
                                              "left/right seek 10 s, +/- volume, s shuffle, "
                                              "l loop, q quit"));
        }

        std::unique_ptr<PlayerWindow> playerWindow;
        bool screenshotFailed = false;
        QTimer screenshotTimer;
        if (arguments.window()) {
            if (offscreen) {
                status.showMessage(QStringLiteral("no display: the window is drawn offscreen"));
            }
            playerWindow.reset(new PlayerWindow(&player));
            mpris.setCanRaise(true);
            QObject::connect(&mpris, &MprisService::raiseRequested, playerWindow.get(), [&]() {
                playerWindow->show();
                playerWindow->raise();
                playerWindow->activateWindow();
            });
            auto* gui = static_cast<QGuiApplication*>(&app);
            gui->setQuitOnLastWindowClosed(false);
            QObject::connect(gui, &QGuiApplication::lastWindowClosed, &player, &Player::quit);
            playerWindow->show();
            const QString file = arguments.screenshotFile();
            if (!file.isEmpty()) {
                // Counted from the start of playback, however long start-up took; taken at
                // once when playback ends or never starts.
                screenshotTimer.setSingleShot(true);
                screenshotTimer.setInterval(arguments.screenshotDelayMs());
                QObject::connect(&player, &Player::stateChanged, &screenshotTimer,
                                 [&screenshotTimer](MafwRenderer::State state) {
                                     if (state == MafwRenderer::Playing &&
                                         !screenshotTimer.isActive()) {
                                         screenshotTimer.start();
                                     }
                                 });
                QObject::connect(&player, &Player::finished, &screenshotTimer,
                                 [&screenshotTimer]() { screenshotTimer.start(0); });
                QObject::connect(&screenshotTimer, &QTimer::timeout, &app, [&, file]() {
                    screenshotTimer.disconnect();
                    screenshotFailed = !playerWindow->saveScreenshot(file);
                    status.showMessage(screenshotFailed
                                           ? QStringLiteral("cannot write %1").arg(file)
                                           : QStringLiteral("screenshot written to %1").arg(file),
                                       screenshotFailed);
                    player.quit();
                });
            }
        }

        if (!player.start(arguments)) {
            exitStatus = Player::SomethingFailed;
            if (!arguments.screenshotFile().isEmpty()) {
                screenshotTimer.start(0);
                app.exec();
            }
        } else {
            exitStatus = app.exec();
        }
        if (signalNumber != 0) {
            exitStatus = SignalExitBase + signalNumber;
        } else if (screenshotFailed) {
            exitStatus = Player::SomethingFailed;
        }
        status.finish();
    }
    messageTarget = nullptr;
    delete KelPlayControls::instance();
    // An argument that could not be played counts as a failure.
    if (!arguments.problems().isEmpty() && exitStatus == Player::AllPlayed) {
        exitStatus = Player::SomethingFailed;
    }
    return exitStatus;
}
