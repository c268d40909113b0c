#ifndef PLAYERSESSION_H
#define PLAYERSESSION_H

#include "mprisservice.h"
#include "player.h"
#include "terminalkeys.h"

#include <QObject>
#include <QTimer>

#include <memory>

class PlayerArguments;
class PlayerWindow;
class QCoreApplication;
class StatusLine;

// One run of the player: playback, status line, terminal keys, MPRIS and, with --window, the
// window and its screenshot, wired together. exec() plays and gives the exit status.
class PlayerSession : public QObject
{
    Q_OBJECT
public:
    PlayerSession(QCoreApplication* app, const PlayerArguments& arguments, StatusLine* status,
                  bool terminal, bool offscreen);
    ~PlayerSession() override;

    int exec();

    // The terminal's width in columns, or the status line's default when not a terminal.
    static int terminalWidth();

private:
    void connectTerminal(bool terminal);
    void openWindow(bool offscreen);
    void scheduleScreenshot(const QString& file, int delayMs);

    QCoreApplication* m_app;
    const PlayerArguments& m_arguments;
    StatusLine* m_status;
    Player m_player;
    MprisService m_mpris;
    TerminalKeys m_keys;
    std::unique_ptr<PlayerWindow> m_window;
    QTimer m_screenshotTimer;
    int m_signalNumber = 0; // the signal that ended the run, if any
    bool m_screenshotFailed = false;
};

#endif
