// kelmora-player: plays files, HTTP streams and playlist files through libkelmora, with a
// status line and keys in a terminal, an MPRIS2 service on the session bus and, with
// --window, a window of the playing item and the playlist.
#include "player.h"
#include "playerarguments.h"
#include "playersession.h"
#include "statusline.h"

#include <kelplaycontrols.h>
#include <mapplication.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QStandardPaths>

#include <memory>
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
    StatusLine status(&out, terminal, PlayerSession::terminalWidth(), &err);
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
        PlayerSession session(&app, arguments, &status, terminal, offscreen);
        exitStatus = session.exec();
    }
    messageTarget = nullptr;
    delete KelPlayControls::instance();
    // An argument that could not be played counts as a failure.
    if (!arguments.problems().isEmpty() && exitStatus == Player::AllPlayed) {
        exitStatus = Player::SomethingFailed;
    }
    return exitStatus;
}
