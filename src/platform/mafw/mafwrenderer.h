#ifndef MAFWRENDERER_H
#define MAFWRENDERER_H

#include "mafw_export.h"
#include "mafwcontent.h"
#include "mafwerror.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>
#include <QVariant>
#include <QVariantMap>

#include <functional>

class MafwPlaylist;

/// A player of media. Subclasses implement the commands; the base refuses them all.
///
/// Renderers are registered with MafwRegistry, which does not own them; those of the GStreamer
/// plug-in belong to the plug-in and live as long as the process. Everything happens on the
/// main thread: commands are called there and every signal is emitted there (the GStreamer
/// renderer brings its streaming threads' messages to the main thread before reporting them).
///
/// What every renderer promises (the engine relies on nothing else):
///
/// - Commands return true when accepted; a refused command changes nothing and reports nothing.
/// - States: stateChanged() comes only with a change, never the same state twice in a row.
///   Leaving Stopped always passes through Transitioning (isLegalStateChange() says which
///   changes may be reported). stop() reports Stopped before it returns. A start (play(),
///   playUri(), playPlaylistUri(), or pauseAt() while Stopped) and resume() report
///   Transitioning before they return; the running state asked for (Playing, or Paused for
///   pauseAt()) follows later, from the event loop, as does Paused after pause().
/// - Items: mediaChanged(index, content) names the item that became current: its play-order
///   index in the assigned playlist (-1 for a single URI or a playlist file's entry) and its
///   URI as the content's uuid. next(), previous() and gotoIndex() report the new item before
///   they return, also when it is the current one, and keep the running state: Playing stays
///   Playing, Paused stays Paused, Stopped stays Stopped, with no stateChanged(). A command
///   that starts an item (playUri(), play() or pauseAt() while Stopped) reports it before it
///   returns, unless a move reported that item while Stopped. A playlist file's entries and
///   the later items of a playlist are reported when they start, the state staying Playing.
///   While not Stopped, an edit or shuffle that moves the current item to another
///   index reports it again under the new index. The assigned playlist's currentIndex() is
///   kept on the current item.
/// - assignPlaylist() of a playlist other than the one in use (or while a URI plays) stops
///   first. It is confirmed later, never from inside the call, by playlistChanged(playlist),
///   unless another playlist was assigned meanwhile; nullptr drops the playlist and is not
///   confirmed.
/// - The end of the last item reports playbackCompleted() and then Stopped (also when a
///   handler of playbackCompleted() calls stop()).
/// - A failure that ends playback reports exactly one error() and then Stopped; a passing
///   problem (MafwError::TransientError) reports one error() and playback goes on.
class MAFW_EXPORT MafwRenderer : public QObject
{
    Q_OBJECT
public:
    /// What the renderer does: Stopped (nothing under way), Playing, Paused, or Transitioning
    /// (on its way to Playing or Paused: opening, loading or buffering an item).
    enum State { Stopped = 0, Playing = 1, Paused = 2, Transitioning = 3 };
    Q_ENUM(State)
    /// How seekTo() reads its seconds: from the start of the item, or from the position.
    enum SeekMode { SeekAbsolute = 0, SeekRelative = 1 };
    Q_ENUM(SeekMode)

    /// Name of the property by which the sound policy takes playback away (true) and gives it
    /// back (false), reported with mafwPropertyChanged().
    static const QString MAFW_RENDERER_PROPERTY_POLICY_OVERRIDE;
    /// Extension: reported with mafwPropertyChanged() when the volume changes (a double).
    static const QString MAFW_RENDERER_PROPERTY_VOLUME;
    /// The volume of the stream as it is, the highest volume().
    static constexpr double FullVolume = 1.0;

    /// A renderer of id \a uuid (how the registry finds it) and readable \a name; \a parent owns
    /// it. In debug builds every stateChanged() is checked against isLegalStateChange().
    MafwRenderer(const QString& uuid, const QString& name, QObject* parent = nullptr);
    /// A registered renderer leaves the registry (rendererRemoved()) as it is destroyed.
    ~MafwRenderer() override;

    /// The id given at construction.
    QString uuid() const { return m_uuid; }
    /// The readable name given at construction.
    QString name() const { return m_name; }

    /// Starts the current item of the assigned playlist (or the URI last played) while Stopped,
    /// resumes while Paused, and is accepted without effect while Playing or Transitioning.
    virtual bool play();
    /// Plays one \a uri instead of the playlist (reported with index -1). \a content is not
    /// taken over; it may be null.
    virtual bool playUri(const QUrl& uri, const MafwContent* content = nullptr);
    /// Reads the playlist file at \a url (local or HTTP, see MafwPlaylistFetcher) without
    /// blocking and plays its entries in turn, each reported with index -1. A failing entry
    /// is skipped; when none can be played, one error() (PlaylistUnreadable or NoPlayableEntry).
    virtual bool playPlaylistUri(const QUrl& url, const QString& mimeType);
    /// Stops and unloads the item; Stopped is reported before it returns.
    virtual bool stop();
    /// Pauses while Playing or Transitioning; Paused follows from the event loop.
    virtual bool pause();
    /// Goes to \a seconds into the item and stays Paused there; while Stopped it first starts
    /// the current item (reporting Transitioning, then Paused).
    virtual bool pauseAt(uint seconds);
    /// Continues while Paused: Transitioning before it returns, Playing later.
    virtual bool resume();
    /// Moves to the next item of the play order, keeping the running state.
    virtual bool next();
    /// Moves to the previous item (the first stays the first), keeping the running state.
    virtual bool previous();
    /// Moves to the item at play-order \a index of the assigned playlist, keeping the running
    /// state; refused when out of range.
    virtual bool gotoIndex(uint index);
    /// Seeks the current item, in whole seconds (limited to its duration when known); refused
    /// while Stopped. A seek that fails reports MafwError::TransientError.
    virtual bool seekTo(int seconds, SeekMode mode = SeekAbsolute);
    /// Makes \a playlist the one played. The playlist stays owned by its creator; confirmed
    /// later with playlistChanged(). The renderer follows its edits and keeps its
    /// MafwPlaylist::currentIndex().
    virtual bool assignPlaylist(MafwPlaylist* playlist);
    /// An accepted request is answered exactly once, later, never from inside the call, by
    /// invoking member (in SLOT() encoding, e.g. "1updatePosition(uint)") on receiver with the
    /// position in whole seconds.
    virtual bool requestPosition(QObject* receiver, const char* member);

    /// Extension: the output volume, linear from 0 (silent) to FullVolume, kept across items.
    /// A renderer without a volume control stays at FullVolume and refuses changes (false).
    virtual double volume() const;
    /// Sets the output volume. An accepted change is reported with
    /// MAFW_RENDERER_PROPERTY_VOLUME before it returns.
    virtual bool setVolume(double volume);
    /// Extension: while \a repeat is true, an item that ends plays again from its start (without
    /// a gap where the renderer can), reported with mediaChanged() of the same index each time,
    /// instead of the next item; next(), previous() and gotoIndex() still move. Kept across
    /// items and playlists. A renderer that cannot repeat refuses (false); the base refuses.
    virtual bool setRepeatCurrent(bool repeat);
    /// Extension: the MIME types of media the renderer can decode; empty when it cannot tell.
    virtual QStringList supportedMimeTypes() const;
    /// Extension: reads the tags of an item that is not playing, so that a list can show items
    /// before they play: "title", "artist", "album", "image-url" and "duration" (seconds), the
    /// keys of metadataChanged(). An accepted request (true) is answered exactly once, later,
    /// never from inside the call, with what was read (empty when nothing could be), unless
    /// context is gone by then. A renderer reads a few items at a time, each within a time
    /// limit; it refuses (false) what it does not read and requests beyond its queue. The base
    /// refuses all.
    /// How a metadata request is answered: the URI asked for and what was read.
    using MetadataAnswer = std::function<void(const QUrl& uri, const QVariantMap& metadata)>;
    /// Asks for the tags of \a uri as described above; \a answer is called in \a context.
    virtual bool requestMetadata(const QUrl& uri, QObject* context, MetadataAnswer answer);

    /// Whether a renderer may report a change from one state to the other. Debug builds
    /// check every report of every renderer against it.
    static bool isLegalStateChange(State from, State to);

    /// Invokes a member given in SLOT() or SIGNAL() encoding with one uint argument, directly.
    /// False when receiver is null or has no such member. For renderers answering
    /// requestPosition().
    static bool deliverPosition(QObject* receiver, const QByteArray& member, uint seconds);

Q_SIGNALS:
    /// The state changed; never twice to the same state (see the class's promises).
    void stateChanged(MafwRenderer::State state);
    /// Confirms assignPlaylist(), later, never from inside the call.
    void playlistChanged(MafwPlaylist* playlist);
    /// The item at play-order \a index (-1 for one URI or a playlist file's entry) became
    /// current; \a content carries its URI as uuid.
    void mediaChanged(int index, const MafwContent& content);
    /// A value known about the current item changed: \a key is "title", "artist", "album",
    /// "genre", "track-number", "image-url" (a stored cover, see MafwCoverArtStore), "duration"
    /// (seconds) or "is-seekable"; \a values holds the new value.
    void metadataChanged(const QString& key, const QList<QVariant>& values);
    /// A renderer property changed, such as MAFW_RENDERER_PROPERTY_POLICY_OVERRIDE or
    /// MAFW_RENDERER_PROPERTY_VOLUME.
    void mafwPropertyChanged(const QString& name, const QVariant& value);
    /// How full the buffer of a network stream is, from 0 to 1; 1 once playback can go on.
    void bufferingInfo(float status);
    /// The last item played to its end; Stopped follows.
    void playbackCompleted();
    /// A failure: exactly one per failure; Stopped follows unless the code is
    /// MafwError::TransientError.
    void error(const MafwError& error);

private:
    QString m_uuid;
    QString m_name;
    State m_reportedState = Stopped; // as checked in debug builds
};

Q_DECLARE_METATYPE(MafwRenderer::State)

#endif
