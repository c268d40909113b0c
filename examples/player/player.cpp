#include "player.h"

#include "playermetadatahandler.h"

#include <kelplaycontrols.h>
#include <mafwplaylist.h>
#include <mafwplaylistfetcher.h>
#include <mafwregistry.h>
#include <mafwshared.h>

#include <QTimer>

namespace {
const QString RendererId = QStringLiteral("mafw_gst_renderer");

// Fills what item does not know from what other does.
void merge(PlayerItem* item, const PlayerItem& other)
{
    if (!other.title.isEmpty()) {
        item->title = other.title;
    }
    if (!other.artist.isEmpty()) {
        item->artist = other.artist;
    }
    if (!other.album.isEmpty()) {
        item->album = other.album;
    }
    if (!other.imageUrl.isEmpty()) {
        item->imageUrl = other.imageUrl;
    }
    if (other.duration > 0) {
        item->duration = other.duration;
    }
}
} // namespace

Player::Player(KelPlayControls* controls, QObject* parent)
    : QObject(parent), m_controls(controls), m_fetcher(new MafwPlaylistFetcher(this))
{
    connect(m_fetcher, &MafwPlaylistFetcher::finished, this, &Player::onFetched);
    connect(controls, &KelPlayControls::volumeChanged, this, &Player::volumeChanged);
    using C = KelPlayControls;
    connect(controls, &C::stateChanged, this, &Player::onStateChanged);
    connect(controls, &C::positionChanged, this, &Player::onPositionChanged);
    connect(controls, &C::mediaChanged, this, &Player::onMediaChanged);
    connect(controls, &C::metadataChanged, this, &Player::onMetadataChanged);
    connect(controls, &C::error, this, &Player::onError);
    connect(controls, &C::playbackCompleted, this, &Player::onCompleted);
    connect(controls, &C::playlistContentsChanged, this, &Player::itemsChanged);
    connect(controls, &C::bufferingChanged, this, [this](float status) {
        m_buffering = status;
        Q_EMIT bufferingChanged(status);
    });
}

Player::~Player() = default;

QString Player::playlistName()
{
    return QStringLiteral("kelmora-player");
}

bool Player::start(const PlayerArguments& arguments)
{
    m_mode = arguments.mode();
    m_items = arguments.items();
    m_mimeType = arguments.playlistMimeType();
    m_playlistHandler = new PlayerMetadataHandler;
    m_uriHandler = new PlayerMetadataHandler;
    m_controls->setMetadataHandler(m_playlistHandler, KelPlayControls::PlaylistContent);
    m_controls->setMetadataHandler(m_uriHandler, KelPlayControls::UriContent);
    m_controls->init();
    MafwRegistry* registry = MafwRegistry::instance();
    if (!registry || !registry->findRenderer(RendererId)) {
        Q_EMIT message(QStringLiteral("no renderer: the plug-in \"libqmafw_gst_renderer_plugin\" "
                                      "was not found (KELMORA_MAFW_PLUGIN_PATH names its folder)"),
                       true);
        return false;
    }
    if (m_items.isEmpty()) {
        return false;
    }
    switch (m_mode) {
    case PlayerArguments::PlaySharedPlaylist:
        return playItems(m_items);
    case PlayerArguments::PlaySingleUri:
        m_controls->play(m_items.first().url);
        return true;
    case PlayerArguments::PlayPlaylistFile:
        // Its entries become the shared playlist, as if they had been given one by one.
        m_fetcher->fetch(m_items.first().url, m_mimeType);
        return true;
    case PlayerArguments::NothingToPlay:
        break;
    }
    return false;
}

bool Player::playItems(const QList<PlayerItem>& items)
{
    m_mode = PlayerArguments::PlaySharedPlaylist;
    applyRepeat();
    m_items = items;
    m_loopUrl = items.value(0).url;
    m_playlist = MafwShared::instance()->createPlaylist(playlistName());
    m_playlist->clear();
    for (const PlayerItem& item : items) {
        m_playlist->appendItem(item.url);
    }
    // Kept when it completes, so that the window can play its items again.
    if (!m_controls->setPlaylist(playlistName(), false)) {
        Q_EMIT message(QStringLiteral("the playlist could not be handed to the renderer"), true);
        return false;
    }
    Q_EMIT itemsChanged();
    m_controls->play(0u);
    readAhead();
    return true;
}

void Player::readAhead()
{
    MafwRenderer* renderer =
        MafwRegistry::instance() ? MafwRegistry::instance()->findRenderer(RendererId) : nullptr;
    MafwPlaylist* list = playlist();
    if (!renderer || !list) {
        return;
    }
    const int last = qMin(int(list->count()), ReadAheadLimit);
    for (int i = 0; i < last && m_reading < ReadAheadAtOnce; ++i) {
        const QUrl url = list->item(uint(i));
        if (m_asked.contains(url) || !m_learnt.value(url).title.isEmpty()) {
            continue;
        }
        m_asked.insert(url);
        if (renderer->requestMetadata(url, this, [this](const QUrl& read, const QVariantMap& tags) {
                onRead(read, tags);
            })) {
            ++m_reading;
        }
    }
}

void Player::onRead(const QUrl& url, const QVariantMap& metadata)
{
    --m_reading;
    PlayerItem read;
    read.url = url;
    read.title = metadata.value(QStringLiteral("title")).toString();
    read.artist = metadata.value(QStringLiteral("artist")).toString();
    read.album = metadata.value(QStringLiteral("album")).toString();
    read.imageUrl = metadata.value(QStringLiteral("image-url")).toUrl();
    read.duration = metadata.value(QStringLiteral("duration"), PlayerItem::UnknownDuration).toInt();
    if (learn(read)) {
        Q_EMIT itemsChanged();
        if (currentItem().url == url) {
            Q_EMIT itemChanged();
        }
    }
    readAhead();
}

bool Player::learn(const PlayerItem& other)
{
    PlayerItem& learnt = m_learnt[other.url];
    learnt.url = other.url;
    const PlayerItem before = learnt;
    merge(&learnt, other);
    return learnt.title != before.title || learnt.artist != before.artist ||
           learnt.duration != before.duration || learnt.imageUrl != before.imageUrl ||
           learnt.album != before.album;
}

void Player::onFetched(const QList<QUrl>& entries, const QString& error)
{
    if (entries.isEmpty()) {
        Q_EMIT message(error, true);
        m_failed = true;
        m_finished = false;
        finish();
        return;
    }
    const QStringList titles = m_fetcher->titles();
    QList<PlayerItem> items;
    for (int i = 0; i < entries.size(); ++i) {
        PlayerItem item;
        item.url = entries.at(i);
        PlayerArguments::setNames(titles.value(i), &item);
        items << item;
    }
    if (!playItems(items)) {
        m_failed = true;
        finish();
    }
}

bool Player::open(const QUrl& url)
{
    const QString scheme = url.scheme();
    if (!url.isValid() || (scheme != QLatin1String("file") && scheme != QLatin1String("http") &&
                           scheme != QLatin1String("https"))) {
        Q_EMIT message(QStringLiteral("cannot open %1: unsupported URL").arg(url.toString()), true);
        return false;
    }
    m_fetcher->abort();
    m_controls->stop();
    m_active = false;
    m_finished = false;
    m_lastIndex = 0;
    PlayerItem item;
    item.url = url;
    const QString mime = PlayerArguments::playlistMimeType(url);
    if (!mime.isEmpty()) {
        m_mode = PlayerArguments::PlayPlaylistFile;
        m_items = {item};
        m_mimeType = mime;
        m_fetcher->fetch(url, mime);
        return true;
    }
    return playItems({item});
}

double Player::volume() const
{
    return m_controls->volume();
}

void Player::setVolume(double volume)
{
    if (!m_controls->setVolume(qBound(0.0, volume, 1.0))) {
        Q_EMIT message(QStringLiteral("the volume cannot be changed"), false);
    }
}

void Player::applyRepeat()
{
    // A renderer that repeats the item itself plays it again without a gap; with one that
    // cannot, the item it went on to is taken back (see onMediaChanged()). A single URI is
    // played again after its end, which the engine reports (it does not report the item of
    // a URI).
    MafwRenderer* renderer =
        MafwRegistry::instance() ? MafwRegistry::instance()->findRenderer(RendererId) : nullptr;
    if (renderer) {
        renderer->setRepeatCurrent(m_loop == LoopTrack &&
                                   m_mode == PlayerArguments::PlaySharedPlaylist);
    }
}

void Player::setLoop(Player::Loop loop)
{
    if (m_loop != loop) {
        m_loop = loop;
        m_loopUrl = currentItem().url;
        applyRepeat();
        Q_EMIT loopChanged(loop);
        Q_EMIT itemChanged();
    }
}

void Player::handleKey(TerminalKeys::Key key)
{
    switch (key) {
    case TerminalKeys::Space:
        playPause();
        break;
    case TerminalKeys::Next:
        next();
        break;
    case TerminalKeys::Previous:
        previous();
        break;
    case TerminalKeys::SeekBack:
        seekBy(-SeekStepSeconds);
        break;
    case TerminalKeys::SeekForward:
        seekBy(SeekStepSeconds);
        break;
    case TerminalKeys::VolumeUp:
        setVolume(volume() + VolumeStep);
        break;
    case TerminalKeys::VolumeDown:
        setVolume(volume() - VolumeStep);
        break;
    case TerminalKeys::Shuffle:
        toggleShuffle();
        break;
    case TerminalKeys::Loop:
        setLoop(Loop((m_loop + 1) % (LoopPlaylist + 1)));
        break;
    case TerminalKeys::Quit:
        quit();
        break;
    }
}

MafwPlaylist* Player::playlist() const
{
    return hasPlaylist() ? m_playlist.data() : nullptr;
}

PlayerMetadataHandler* Player::currentHandler() const
{
    return hasPlaylist() ? m_playlistHandler.data() : m_uriHandler.data();
}

QUrl Player::urlAt(int index) const
{
    MafwPlaylist* list = playlist();
    if (index < 0) {
        return QUrl();
    }
    return list ? list->item(uint(index)) : m_items.value(0).url;
}

int Player::indexOf(const QUrl& url) const
{
    MafwPlaylist* list = playlist();
    for (uint i = 0; list && !url.isEmpty() && i < list->count(); ++i) {
        if (list->item(i) == url) {
            return int(i);
        }
    }
    return NoIndex;
}

int Player::count() const
{
    MafwPlaylist* list = playlist();
    return list ? int(list->count()) : m_items.size();
}

int Player::currentIndex() const
{
    if (!m_active) {
        return NoIndex;
    }
    MafwPlaylist* list = playlist();
    if (!list) {
        return 0;
    }
    // The playlist follows the renderer's item, also while paused; the handler hears only
    // of items the engine accepts.
    if (list->currentIndex() >= 0) {
        return list->currentIndex();
    }
    return m_playlistHandler ? qMax(0, m_playlistHandler->index()) : 0;
}

PlayerItem Player::knownItem(const QUrl& url) const
{
    PlayerItem item;
    item.url = url;
    for (const PlayerItem& given : m_items) {
        if (given.url == url) {
            item = given;
            break;
        }
    }
    merge(&item, m_learnt.value(url));
    return item;
}

QList<PlayerItem> Player::items() const
{
    MafwPlaylist* list = playlist();
    if (!list) {
        QList<PlayerItem> result;
        for (const PlayerItem& item : m_items) {
            result << knownItem(item.url);
        }
        return result;
    }
    QList<PlayerItem> result;
    for (uint i = 0; i < list->count(); ++i) {
        result << knownItem(list->item(i));
    }
    return result;
}

PlayerItem Player::currentItem() const
{
    return itemAt(currentIndex());
}

int Player::shownIndex() const
{
    const int index = currentIndex();
    return index != NoIndex || !m_started ? index : qMin(m_lastIndex, count() - 1);
}

PlayerItem Player::itemAt(int index) const
{
    if (index == NoIndex) {
        return PlayerItem();
    }
    MafwPlaylist* list = playlist();
    PlayerItem item = knownItem(list ? list->item(uint(index)) : m_items.value(0).url);
    const PlayerMetadataHandler* handler = currentHandler();
    // The handler speaks of the current item unless it names another one (an item moved to
    // while paused is not reported to it).
    if (index == currentIndex() && handler &&
        (handler->item().url.isEmpty() || handler->item().url == item.url)) {
        merge(&item, handler->item());
    }
    return item;
}

int Player::duration() const
{
    const int known = currentItem().duration;
    return known > 0 ? known
                     : (m_engineDuration > 0 ? m_engineDuration : PlayerItem::UnknownDuration);
}

bool Player::isShuffled() const
{
    MafwPlaylist* list = playlist();
    return list && list->isShuffled();
}

bool Player::canSeek() const
{
    // A stream of unknown length (a radio) has nowhere to seek to.
    return m_active && m_controls->isSeekable() && duration() > 0;
}

bool Player::canGoNext() const
{
    return playlist() && m_active && currentIndex() + 1 < count();
}

bool Player::canGoPrevious() const
{
    return playlist() && m_active && currentIndex() > 0;
}

void Player::onStateChanged(MafwRenderer::State state)
{
    const bool started =
        !m_active && (state == MafwRenderer::Playing || state == MafwRenderer::Transitioning);
    if (started) {
        m_active = true;
        m_started = true;
        m_finished = false;
        m_completed = false;
    }
    if (m_state != state) {
        m_state = state;
        Q_EMIT stateChanged(state);
    }
    if (started) {
        Q_EMIT itemChanged();
    }
    const int index = currentIndex();
    if (index != NoIndex) {
        m_lastIndex = index;
    }
}

qint64 Player::positionMicroseconds() const
{
    constexpr qint64 PerSecond = 1000000;
    constexpr qint64 PerMillisecond = 1000;
    qint64 result = qint64(m_position) * PerSecond;
    if (m_state == MafwRenderer::Playing && m_sincePosition.isValid()) {
        // Never beyond the next report.
        result += qMin<qint64>(m_sincePosition.elapsed(), PerSecond / PerMillisecond - 1) *
                  PerMillisecond;
    }
    const int length = duration();
    return length > 0 ? qMin(result, qint64(length) * PerSecond) : result;
}

void Player::onPositionChanged(uint position, int duration)
{
    // After the end or a stop the last position stays what the status shows.
    if (m_finished || !m_active) {
        return;
    }
    m_engineDuration = duration;
    if (m_position != position) {
        m_sincePosition.start();
        m_position = position;
        Q_EMIT positionChanged(position);
    }
}

void Player::onMediaChanged(const KelMetadataHandler* handler)
{
    // A handler that forgot its item (the end of playback) starts nothing new.
    const auto* ours = qobject_cast<const PlayerMetadataHandler*>(handler);
    if (ours && ours->index() == PlayerMetadataHandler::NoIndex && ours->item().url.isEmpty()) {
        return;
    }
    const int index = currentIndex();
    const QUrl url = urlAt(index);
    // The item that played starting again at its place (a loop, not a reorder) is a jump
    // back for MPRIS clients.
    const bool jumpedBack =
        m_position > 0 && !url.isEmpty() && url == m_startedUrl && index == m_startedIndex;
    m_startedUrl = url;
    m_startedIndex = index;
    m_position = 0;
    m_engineDuration = PlayerItem::UnknownDuration;
    Q_EMIT positionChanged(0);
    if (jumpedBack) {
        Q_EMIT seeked(0);
    }
    // The renderer went on to the next item by itself: a track loop takes it back.
    const int again = indexOf(m_loopUrl);
    if (m_loop == LoopTrack && again != NoIndex && url != m_loopUrl) {
        QTimer::singleShot(0, this, [this, again]() { playIndex(again); });
    } else {
        m_loopUrl = url;
    }
    if (index != NoIndex) {
        m_lastIndex = index; // Play after Stop starts here again
    }
    onMetadataChanged(nullptr);
}

void Player::onMetadataChanged(const KelMetadataHandler*)
{
    const PlayerItem current = currentItem();
    if (!current.url.isEmpty() && learn(current)) {
        Q_EMIT itemsChanged();
    }
    Q_EMIT itemChanged();
}

void Player::onError(const MafwError& error)
{
    Q_EMIT message(QStringLiteral("error %1: %2").arg(int(error.code())).arg(error.message()),
                   true);
    // A following item that fails while the current one plays is skipped with a passing
    // error; it still did not play.
    if (error.code() == MafwError::TransientError) {
        m_failed = m_failed || error.message().startsWith(QLatin1String("skipped"));
        return;
    }
    m_failed = true;
    // Skip to the item after the one that failed, once the renderer has stopped.
    MafwPlaylist* list = playlist();
    const int following = list ? currentIndex() + 1 : NoIndex;
    if (list && m_active && following > 0 && following < int(list->count())) {
        QTimer::singleShot(0, this, [this, following]() { playIndex(following); });
        return;
    }
    m_completed = true; // nothing follows: the list is over
    finish();
}

void Player::onCompleted()
{
    // The engine also reports a completion when a new start clears what went before.
    if (m_active && m_loop != LoopNone) {
        // Played again from its first item (or the one item), once the renderer has stopped.
        const int again = m_loop == LoopTrack ? qMax(0, indexOf(m_loopUrl)) : 0;
        QTimer::singleShot(0, this, [this, again]() { playIndex(again); });
        return;
    }
    if (m_active) {
        m_completed = true;
        const int length = duration();
        if (length > 0 && m_position != uint(length)) {
            m_position = uint(length);
            Q_EMIT positionChanged(m_position);
        }
        finish();
    }
}

void Player::finish()
{
    m_active = false;
    if (m_finished) {
        return;
    }
    m_finished = true;
    Q_EMIT finished(exitStatus());
    Q_EMIT itemChanged();
}

void Player::playPause()
{
    if (m_state == MafwRenderer::Playing || m_state == MafwRenderer::Transitioning) {
        pause();
    } else {
        play();
    }
}

void Player::play()
{
    if (m_state == MafwRenderer::Paused) {
        m_controls->resume();
    } else if (m_state == MafwRenderer::Stopped) {
        playIndex(m_lastIndex);
    }
}

void Player::pause()
{
    m_controls->pause();
}

void Player::stop()
{
    m_active = false;
    m_controls->stop();
    // Stopped is at the start: Play begins the same item again.
    m_position = 0;
    Q_EMIT positionChanged(0);
    Q_EMIT itemChanged();
}

void Player::next()
{
    if (canGoNext()) {
        m_loopUrl = urlAt(currentIndex() + 1);
        m_controls->next();
    } else if (m_loop == LoopPlaylist && playlist() && m_active) {
        playIndex(0);
    }
}

void Player::previous()
{
    if (canGoPrevious()) {
        m_loopUrl = urlAt(currentIndex() - 1);
        m_controls->previous();
    }
}

void Player::seekTo(uint seconds)
{
    if (!canSeek()) {
        return;
    }
    const int length = duration();
    if (length > 0) {
        seconds = qMin(seconds, uint(length));
    }
    m_controls->setPosition(seconds);
    m_position = seconds;
    Q_EMIT positionChanged(seconds);
    Q_EMIT seeked(seconds);
}

void Player::seekBy(int seconds)
{
    seekTo(uint(qMax(0, int(m_position) + seconds)));
}

void Player::setShuffle(bool on)
{
    MafwPlaylist* list = playlist();
    if (!list) {
        Q_EMIT message(QStringLiteral("only a playlist of several items can be shuffled"), false);
        return;
    }
    if (list->isShuffled() == on) {
        return;
    }
    on ? list->shuffle() : list->unshuffle();
    Q_EMIT itemsChanged();
    Q_EMIT itemChanged();
}

void Player::toggleShuffle()
{
    setShuffle(!isShuffled());
}

void Player::playIndex(int index)
{
    if (index < 0 || index >= count()) {
        return;
    }
    m_finished = false;
    m_lastIndex = index;
    m_loopUrl = urlAt(index);
    switch (m_mode) {
    case PlayerArguments::PlaySharedPlaylist:
        m_controls->play(uint(index));
        break;
    case PlayerArguments::PlaySingleUri:
        m_controls->play(m_items.first().url);
        break;
    case PlayerArguments::PlayPlaylistFile:
        m_fetcher->fetch(m_items.first().url, m_mimeType);
        break;
    case PlayerArguments::NothingToPlay:
        break;
    }
}

void Player::quit()
{
    finish();
    m_controls->stop();
    Q_EMIT quitRequested(exitStatus());
}
