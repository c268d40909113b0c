#ifndef STATUSLINE_H
#define STATUSLINE_H

#include <QObject>
#include <QString>

class Player;
class QIODevice;

// The terminal front end's output: one status line, rewritten in place on a terminal to its
// width, and messages printed above it; elsewhere (a pipe, a log) one line per event: an item
// starts, the state changes, the end. Messages go to the error output when there is one.
class StatusLine : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultWidth = 80;
    static constexpr int MinimumWidth = 20;

    // Writes the status and messages to output, error messages to errors when it is given
    // (neither owned). inPlace: output is a terminal of width columns.
    StatusLine(QIODevice* output, bool inPlace, int width, QIODevice* errors = nullptr,
               QObject* parent = nullptr);

    // Clock text of a position or length (KelTime: 03:07, 1:02:05); "--:--" when unknown.
    static QString timeText(int seconds);
    // The status text of the player as it stands, at most width - 1 terminal columns (the
    // last column would wrap on some terminals).
    static QString text(const Player& player, int width);
    // Terminal columns text takes: wide East Asian characters two, combining marks none.
    static int columns(const QString& text);
    // text cut to at most width columns, with an ellipsis when cut.
    static QString elide(const QString& text, int width);
    // The terminal's width changed: the line is drawn again to fit.
    void setWidth(int width);

    // Shows the player's status from now on, and its messages.
    void follow(Player* player);
    void show(const QString& text);
    void showMessage(const QString& text, bool isError = false);
    // Writes the last status (Finished or Stopped, the final position) and ends the line, so
    // that whatever follows starts on a line of its own.
    void finish();

private:
    void write(const QByteArray& bytes);
    void refresh(bool positionOnly);

    QIODevice* m_output;
    QIODevice* m_errors;
    bool m_inPlace;
    int m_width;
    Player* m_player = nullptr;
    QString m_shown;   // the text on the line now
    QString m_lastKey; // the state and the item: what a line-per-event output compares
};

#endif
