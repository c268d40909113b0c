#ifndef PLAYERTRANSPORT_H
#define PLAYERTRANSPORT_H

#include <QGraphicsWidget>

class Player;

// The window's transport: a progress bar with the elapsed and total time (a tap seeks there),
// previous / play-pause / next buttons, the volume (a tap sets it), and the last error.
class PlayerTransport : public QGraphicsWidget
{
    Q_OBJECT
public:
    static constexpr int Height = 84;

    // player is not owned.
    explicit PlayerTransport(Player* player, QGraphicsItem* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

    // Where the parts are, for taps (and tests).
    QRectF progressArea() const;
    QRectF buttonArea(int button) const; // 0 previous, 1 play-pause, 2 next
    QRectF volumeArea() const;

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;

private:
    Player* m_player;
    QString m_error;
};

#endif
