#include "playertransport.h"

#include "player.h"
#include "statusline.h"

#include <QFontMetricsF>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr qreal Margin = 16;
constexpr qreal TimeWidth = 56;
constexpr qreal BarTop = 10;
constexpr qreal BarHeight = 6;
constexpr qreal ButtonSide = 44;
constexpr qreal ButtonsTop = 32;
constexpr qreal VolumeWidth = 110;
constexpr qreal VolumeTextWidth = 48;
const QColor Accent(255, 140, 40);
const QColor Track(70, 70, 70);
const QColor Text(220, 220, 220);
const QColor Dim(150, 150, 150);
const QColor Error(255, 90, 90);

enum Button { PreviousButton, PlayPauseButton, NextButton };

// A right-pointing triangle in box.
QPainterPath triangle(const QRectF& box)
{
    QPainterPath path;
    path.moveTo(box.topLeft());
    path.lineTo(box.right(), box.center().y());
    path.lineTo(box.bottomLeft());
    path.closeSubpath();
    return path;
}
} // namespace

PlayerTransport::PlayerTransport(Player* player, QGraphicsItem* parent)
    : QGraphicsWidget(parent), m_player(player)
{
    auto repaint = [this]() { update(); };
    connect(player, &Player::positionChanged, this, repaint);
    connect(player, &Player::stateChanged, this, repaint);
    connect(player, &Player::itemChanged, this, repaint);
    connect(player, &Player::volumeChanged, this, repaint);
    connect(player, &Player::message, this, [this](const QString& text, bool isError) {
        if (isError) {
            m_error = text;
            update();
        }
    });
}

QRectF PlayerTransport::progressArea() const
{
    // Taller than the bar drawn, so that a finger finds it.
    return QRectF(Margin + TimeWidth, 0, size().width() - 2 * (Margin + TimeWidth),
                  BarTop * 2 + BarHeight);
}

QRectF PlayerTransport::buttonArea(int button) const
{
    const qreal middle = size().width() / 2;
    return QRectF(middle + (button - 1) * (ButtonSide + Margin) - ButtonSide / 2, ButtonsTop,
                  ButtonSide, ButtonSide);
}

QRectF PlayerTransport::volumeArea() const
{
    return QRectF(size().width() - Margin - VolumeWidth, ButtonsTop, VolumeWidth, ButtonSide);
}

void PlayerTransport::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setFont(QFont(painter->font().family(), 11));
    const int length = m_player->duration();
    const int position = int(m_player->position());
    const QRectF bar = progressArea();
    const QRectF track(bar.left(), BarTop, bar.width(), BarHeight);
    painter->setPen(Qt::NoPen);
    painter->setBrush(Track);
    painter->drawRoundedRect(track, BarHeight / 2, BarHeight / 2);
    if (length > 0) {
        QRectF done = track;
        done.setWidth(track.width() * qBound(0.0, qreal(position) / length, 1.0));
        painter->setBrush(Accent);
        painter->drawRoundedRect(done, BarHeight / 2, BarHeight / 2);
        painter->drawEllipse(QPointF(done.right(), track.center().y()), BarHeight, BarHeight);
    }
    painter->setPen(Text);
    const QRectF times(Margin, 0, TimeWidth, BarTop * 2 + BarHeight);
    const bool shown = m_player->shownIndex() != Player::NoIndex;
    painter->drawText(times, Qt::AlignLeft | Qt::AlignVCenter,
                      shown ? StatusLine::timeText(position) : QString());
    painter->drawText(times.translated(size().width() - TimeWidth - 2 * Margin, 0),
                      Qt::AlignRight | Qt::AlignVCenter,
                      shown ? StatusLine::timeText(length) : QString());

    // Buttons: previous, play or pause, next.
    painter->setPen(Qt::NoPen);
    const bool playing = m_player->state() == MafwRenderer::Playing ||
                         m_player->state() == MafwRenderer::Transitioning;
    const QRectF play = buttonArea(PlayPauseButton);
    painter->setBrush(Accent);
    painter->drawEllipse(play);
    painter->setBrush(QColor(20, 20, 20));
    const QRectF glyph = play.adjusted(15, 13, -13, -13);
    if (playing) {
        const qreal bar3 = glyph.width() / 3;
        painter->drawRect(QRectF(glyph.left(), glyph.top(), bar3, glyph.height()));
        painter->drawRect(QRectF(glyph.right() - bar3, glyph.top(), bar3, glyph.height()));
    } else {
        painter->drawPath(triangle(glyph.translated(1, 0)));
    }
    for (int button : {int(PreviousButton), int(NextButton)}) {
        const bool enabled =
            button == NextButton ? m_player->canGoNext() : m_player->canGoPrevious();
        painter->setBrush(enabled ? Text : Dim);
        const QRectF box = buttonArea(button).adjusted(12, 14, -12, -14);
        QTransform mirror;
        if (button == PreviousButton) {
            mirror.translate(box.center().x() * 2, 0);
            mirror.scale(-1, 1);
        }
        painter->drawPath(mirror.map(triangle(box.adjusted(0, 0, -4, 0))));
        painter->drawRect(mirror.mapRect(QRectF(box.right() - 3, box.top(), 3, box.height())));
    }

    // Volume: a small bar and its percentage.
    const QRectF volume = volumeArea();
    const QRectF level(volume.left(), volume.center().y() - 2, volume.width() - VolumeTextWidth, 4);
    painter->setBrush(Track);
    painter->drawRoundedRect(level, 2, 2);
    painter->setBrush(Text);
    painter->drawRoundedRect(
        QRectF(level.topLeft(), QSizeF(level.width() * m_player->volume(), level.height())), 2, 2);
    painter->setPen(Dim);
    painter->drawText(volume.adjusted(level.width() + 4, 0, 0, 0),
                      Qt::AlignRight | Qt::AlignVCenter,
                      QStringLiteral("%1%").arg(qRound(m_player->volume() * 100)));

    if (!m_error.isEmpty()) {
        painter->setPen(Error);
        const QRectF room(Margin, ButtonsTop, buttonArea(PreviousButton).left() - 2 * Margin,
                          ButtonSide);
        painter->drawText(
            room, Qt::AlignLeft | Qt::AlignVCenter,
            QFontMetricsF(painter->font()).elidedText(m_error, Qt::ElideRight, room.width()));
    }
}

void PlayerTransport::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    const QPointF at = event->pos();
    event->accept();
    const QRectF bar = progressArea();
    if (bar.contains(at)) {
        const int length = m_player->duration();
        if (length > 0) {
            m_player->seekTo(uint(qRound(length * (at.x() - bar.left()) / bar.width())));
        }
    } else if (buttonArea(PreviousButton).contains(at)) {
        m_player->previous();
    } else if (buttonArea(PlayPauseButton).contains(at)) {
        m_player->playPause();
    } else if (buttonArea(NextButton).contains(at)) {
        m_player->next();
    } else if (volumeArea().contains(at)) {
        const QRectF volume = volumeArea();
        m_player->setVolume((at.x() - volume.left()) / (volume.width() - VolumeTextWidth));
    } else {
        event->ignore();
    }
}
