#include "statusline.h"

#include "player.h"

#include <keltime.h>

#include <QIODevice>
#include <QVector>

namespace {
const QString ClearToEnd = QStringLiteral("\x1b[K");

QString stateWord(const Player& player)
{
    if (player.isFinished()) {
        return player.hasCompleted() ? QStringLiteral("Finished") : QStringLiteral("Stopped");
    }
    const MafwRenderer::State state = player.state();
    if (player.buffering() < 1.0f && state != MafwRenderer::Stopped) {
        return QStringLiteral("Buffering %1%").arg(int(player.buffering() * 100));
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

// East Asian wide and fullwidth characters, and emoji, take two columns.
bool isWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
           (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
           (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD);
}

int columnsOf(char32_t c)
{
    const QChar::Category category = QChar::category(c);
    if (category == QChar::Mark_NonSpacing || category == QChar::Mark_Enclosing ||
        category == QChar::Other_Format || c == 0x200B) {
        return 0;
    }
    return isWide(c) ? 2 : 1;
}

// Control characters from a tag or a file name would move the cursor.
QString printable(QString text)
{
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control) {
            c = QLatin1Char(' ');
        }
    }
    return text;
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

int StatusLine::columns(const QString& text)
{
    int total = 0;
    for (const char32_t c : text.toUcs4()) {
        total += columnsOf(c);
    }
    return total;
}

QString StatusLine::elide(const QString& text, int width)
{
    if (columns(text) <= width) {
        return text;
    }
    QString result;
    int used = 0;
    const auto characters = text.toUcs4();
    for (const uint c : characters) {
        const int size = columnsOf(c);
        if (used + size > width - 1) {
            break;
        }
        used += size;
        result += QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
    }
    return result + QChar(0x2026);
}

QString StatusLine::text(const Player& player, int width)
{
    QString line = stateWord(player);
    const int index = player.shownIndex();
    const PlayerItem item = player.itemAt(index);
    if (index != Player::NoIndex) {
        line += QStringLiteral("  %1 / %2")
                    .arg(timeText(int(player.position())), timeText(player.duration()));
        if (player.hasPlaylist()) {
            line += QStringLiteral("  [%1/%2]").arg(index + 1).arg(player.count());
        }
        line += QStringLiteral("  ") + item.displayTitle();
        if (!item.artist.isEmpty()) {
            line += QStringLiteral(" - ") + item.artist;
        }
    }
    if (player.isShuffled()) {
        line += QStringLiteral("  (shuffle)");
    }
    if (player.loop() != Player::LoopNone) {
        line += player.loop() == Player::LoopTrack ? QStringLiteral("  (loop track)")
                                                   : QStringLiteral("  (loop all)");
    }
    // A line longer than the terminal wraps, and then cannot be rewritten in place.
    return elide(printable(line), width - 1);
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

void StatusLine::setWidth(int width)
{
    m_width = qMax(width, MinimumWidth);
    if (m_inPlace && !m_shown.isEmpty()) {
        m_shown.clear();
        refresh(false);
    }
}

void StatusLine::showMessage(const QString& text, bool isError)
{
    Q_UNUSED(isError)
    if (m_inPlace && !m_shown.isEmpty()) {
        write((QLatin1Char('\r') + ClearToEnd).toUtf8());
    }
    // Diagnostics stay out of what a script reads from the output.
    QIODevice* target = m_errors ? m_errors : m_output;
    target->write((text + QLatin1Char('\n')).toUtf8());
    if (m_inPlace && !m_shown.isEmpty()) {
        write(m_shown.toUtf8());
    }
}

void StatusLine::finish()
{
    refresh(false);
    // What the player does after its end is not news.
    if (m_player) {
        disconnect(m_player, nullptr, this, nullptr);
        m_player = nullptr;
    }
    if (m_inPlace && !m_shown.isEmpty()) {
        write("\n");
    }
    m_shown.clear();
    m_lastKey.clear();
}

void StatusLine::refresh(bool positionOnly)
{
    if (!m_player) {
        return;
    }
    // Nothing to say until something starts.
    if (m_shown.isEmpty() && m_player->shownIndex() == Player::NoIndex) {
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
    const QString key = QStringLiteral("%1 %2 %3")
                            .arg(stateWord(*m_player).section(QLatin1Char(' '), 0, 0))
                            .arg(m_player->shownIndex())
                            .arg(m_player->isShuffled());
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
    connect(player, &Player::finished, this, [this]() { refresh(false); });
}
