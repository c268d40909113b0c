#ifndef TERMINALKEYS_H
#define TERMINALKEYS_H

#include <QByteArray>
#include <QObject>

class QSocketNotifier;

// Reads single key presses from standard input without waiting for Enter (the terminal is
// put back as it was when this object goes), and turns SIGINT and SIGTERM into interrupted()
// so that the terminal is restored on Ctrl-C too, and SIGWINCH into resized().
class TerminalKeys : public QObject
{
    Q_OBJECT
public:
    enum Key {
        Space,
        Next,
        Previous,
        SeekBack,
        SeekForward,
        VolumeUp,
        VolumeDown,
        Shuffle,
        Loop,
        Quit
    };
    Q_ENUM(Key)

    explicit TerminalKeys(QObject* parent = nullptr);
    ~TerminalKeys() override;

    // Keys found in bytes read so far; an escape sequence cut short waits for its rest.
    void feed(const QByteArray& bytes);

Q_SIGNALS:
    void keyPressed(TerminalKeys::Key key);
    // signalNumber: SIGINT or SIGTERM.
    void interrupted(int signalNumber);
    void resized();

private:
    void readInput();
    void readSignal();

    QSocketNotifier* m_input = nullptr;
    QSocketNotifier* m_signal = nullptr;
    QByteArray m_pending;
    bool m_restore = false;
};

#endif
