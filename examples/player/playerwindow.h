#ifndef PLAYERWINDOW_H
#define PLAYERWINDOW_H

#include <mapplicationwindow.h>

#include <QHash>
#include <QImage>
#include <QList>
#include <QSet>
#include <QStandardItemModel>
#include <QUrl>

class KelArtLoader;
class KelMediaLabel;
class KelOverlayLabel;
class Player;
class PlayerTransport;
class QGraphicsLinearLayout;
class QGraphicsRectItem;
class QGraphicsSimpleTextItem;
class QGraphicsWidget;

// The window of the player: an overlay label for the playing item (cover art, title, artist,
// a spinner while it starts; tap to pause or resume) above one media label per playlist item
// (title, artist, length, the play or pause mark on the current one; tap to play it).
class PlayerWindow : public MApplicationWindow
{
    Q_OBJECT
public:
    static constexpr int Width = 480;
    static constexpr int Height = 720;
    static constexpr int OverlayHeight = 260;
    static constexpr int RowHeight = 76;
    static constexpr int CaptionHeight = 64;

    // player is not owned.
    explicit PlayerWindow(Player* player, QWidget* parent = nullptr);
    ~PlayerWindow() override;

    // The window as it looks now, as a PNG file; false when it cannot be written.
    bool saveScreenshot(const QString& path);

    KelOverlayLabel* overlayLabel() const { return m_overlay; }
    PlayerTransport* transport() const { return m_transport; }
    QList<KelMediaLabel*> itemLabels() const { return m_rows; }
    // The header's caption, as shown (elided): the title, and the artist under it.
    QString captionTitle() const;
    QString captionArtist() const;

protected:
    // The keys of the terminal: space, n/p, left/right, +/-, s, l, q.
    void keyPressEvent(QKeyEvent* event) override;
    // The header, the transport and the rows take the window's width.
    void resizeEvent(QResizeEvent* event) override;

private:
    void rebuildRows();
    void updateRows();
    void updateOverlay();
    void updateCaption();
    void updateMarks();
    // The cover of an item: read from its file, or fetched over HTTP and null meanwhile.
    QImage cover(const QUrl& imageUrl, int row);
    // The one place a picture file is read.
    static QImage readImage(const QString& path);
    void layOut();

    Player* m_player;
    QGraphicsWidget* m_root;
    QGraphicsLinearLayout* m_layout;
    KelOverlayLabel* m_overlay;
    // Title over artist on a dark band at the foot of the header (the overlay label's own box
    // holds one line).
    QGraphicsRectItem* m_caption;
    QGraphicsSimpleTextItem* m_captionTitle;
    QGraphicsSimpleTextItem* m_captionArtist;
    PlayerTransport* m_transport;
    QList<KelMediaLabel*> m_rows;
    KelArtLoader* m_artLoader;    // child of the window
    QStandardItemModel m_artRows; // one row per item: the indexes the art loader answers for
    QHash<QUrl, QImage> m_covers;
    QSet<QUrl> m_fetching;
    QUrl m_overlayImage;
};

#endif
