#include "statusline.h"

#include "player.h"

#include <keltime.h>

#include <QIODevice>
#include <QRegularExpression>

namespace {
const QString ClearToEnd = QStringLiteral("\x1b[K");

QString stateWord(MafwRenderer::State state, float buffering)
{
    if (buffering < 1.0f && state != MafwRenderer::Stopped) {
        return QStringLiteral("Buffering %1%").arg(int(buffering * 100));
    }
    switch (state) {
    case MafwRenderer::Playing:
        return QStringLiteral("Playing");
    case MafwRenderer::Paused:
        return QStringLiteral("Paused");
    case MafwRenderer::Transitioning:
        return QStringLiteral("Starting");
    case MafwRenderer::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}
} // namespace

StatusLine::StatusLine(QIODevice* output, bool inPlace, int width, QIODevice* errors,
                       QObject* parent)
    : QObject(parent), m_output(output), m_errors(errors), m_inPlace(inPlace),
      m_width(qMax(width, MinimumWidth))
{
}

QString StatusLine::timeText(int seconds)
{
    // The play controls give a negative length while it is unknown.
    return seconds < 0 ? QStringLiteral("--:--") : KelTime::timeString(seconds);
}

QString StatusLine::text(const Player& player, int width)
{
    QString line = stateWord(player.state(), player.buffering());
    const PlayerItem item = player.currentItem();
    if (player.currentIndex() != Player::NoIndex) {
        line += QStringLiteral("  %1 / %2")
                    .arg(timeText(int(player.position())), timeText(player.duration()));
        if (player.hasPlaylist()) {
            line += QStringLiteral("  [%1/%2]").arg(player.currentIndex() + 1).arg(player.count());
        }
        line += QStringLiteral("  ") + item.displayTitle();
        if (!item.artist.isEmpty()) {
            line += QStringLiteral(" - ") + item.artist;
        }
    }
    if (player.isShuffled()) {
        line += QStringLiteral("  (shuffle)");
    }
    // A line longer than the terminal wraps, and then cannot be rewritten in place.
    if (line.size() > width) {
        line = line.left(width - 1) + QChar(0x2026);
    }
    return line;
}

void StatusLine::write(const QByteArray& bytes)
{
    m_output->write(bytes);
}

void StatusLine::show(const QString& text)
{
    if (m_inPlace) {
        if (text != m_shown) {
            write((QLatin1Char('\r') + text + ClearToEnd).toUtf8());
        }
    } else {
        write((text + QLatin1Char('\n')).toUtf8());
    }
    m_shown = text;
}

void StatusLine::showMessage(const QString& text, bool isError)
{
    if (m_inPlace && !m_shown.isEmpty()) {
        write((QLatin1Char('\r') + ClearToEnd).toUtf8());
    }
    QIODevice* target = isError && m_errors ? m_errors : m_output;
    target->write((text + QLatin1Char('\n')).toUtf8());
    if (m_inPlace && !m_shown.isEmpty()) {
        write(m_shown.toUtf8());
    }
}

void StatusLine::finish()
{
    // What the player does after its end is not news.
    if (m_player) {
        disconnect(m_player, nullptr, this, nullptr);
        m_player = nullptr;
    }
    if (m_inPlace && !m_shown.isEmpty()) {
        write("\n");
    }
    m_shown.clear();
}

void StatusLine::refresh(bool positionOnly)
{
    if (!m_player) {
        return;
    }
    // Nothing to say until something starts.
    if (m_shown.isEmpty() && m_player->currentIndex() == Player::NoIndex) {
        return;
    }
    const QString line = text(*m_player, m_width);
    if (m_inPlace) {
        show(line);
        return;
    }
    // Elsewhere (a log, a pipe) the clock ticking would fill it: one line per real change.
    if (positionOnly) {
        return;
    }
    QString key = line;
    key.remove(QRegularExpression(QStringLiteral("  [-:0-9]+ / [-:0-9]+")));
    if (key != m_lastKey) {
        m_lastKey = key;
        show(line);
    }
}

void StatusLine::follow(Player* player)
{
    m_player = player;
    connect(player, &Player::stateChanged, this, [this]() { refresh(false); });
    connect(player, &Player::itemChanged, this, [this]() { refresh(false); });
    connect(player, &Player::itemsChanged, this, [this]() { refresh(false); });
    connect(player, &Player::bufferingChanged, this, [this]() { refresh(false); });
    connect(player, &Player::positionChanged, this, [this]() { refresh(true); });
    connect(player, &Player::message, this, &StatusLine::showMessage);
    connect(player, &Player::finished, this, &StatusLine::finish);
}
