#include "playerwindow.h"

#include "player.h"
#include "playertransport.h"
#include "statusline.h"

#include <kelartloader.h>
#include <kelmedialabel.h>
#include <keloverlaylabel.h>
#include <mimagereader.h>
#include <mimagewidget.h>
#include <mtheme.h>

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGraphicsGridLayout>
#include <QGraphicsLinearLayout>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsWidget>
#include <QKeyEvent>
#include <QPainter>

namespace {
constexpr int Margin = 8;
constexpr int MarkRoom = 50;
constexpr int CoverSide = 64;
constexpr int LengthWidth = 64;
// Covers are small pictures; a bigger file is not read.
constexpr qint64 MaxCoverBytes = 4 * 1024 * 1024;
constexpr int MaxCoverSide = 1024; // a cover is never shown larger
const QColor Background(16, 16, 16);
const QColor CaptionBand(0, 0, 0, 170);
const QColor ArtistColour(200, 200, 200);
constexpr int TitlePixels = 22;
constexpr int ArtistPixels = 17;
constexpr int ArtistTop = 35;

QGraphicsSimpleTextItem* captionLine(QGraphicsItem* parent, int pixels, bool bold,
                                     const QColor& colour)
{
    auto* line = new QGraphicsSimpleTextItem(parent);
    QFont font = line->font();
    font.setPixelSize(pixels);
    font.setBold(bold);
    line->setFont(font);
    line->setBrush(colour);
    return line;
}

void setElided(QGraphicsSimpleTextItem* line, const QString& text, qreal width)
{
    line->setText(QFontMetricsF(line->font()).elidedText(text, Qt::ElideRight, width));
}

// The theme's album art, square in the middle of the header rather than stretched to it.
QImage defaultArt(const QSize& size)
{
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(Background);
    const int side = size.height();
    const QPixmap* art = MTheme::pixmap(QStringLiteral("icon-l-album-art-default"), {side, side});
    QPainter painter(&image);
    painter.drawPixmap((size.width() - side) / 2, 0, *art);
    MTheme::releasePixmap(art);
    return image;
}

QString lengthText(int seconds)
{
    return seconds > 0 ? StatusLine::timeText(seconds) : QString();
}
} // namespace

PlayerWindow::PlayerWindow(Player* player, QWidget* parent)
    : MApplicationWindow(parent), m_player(player), m_root(new QGraphicsWidget),
      m_layout(new QGraphicsLinearLayout(Qt::Vertical)),
      m_overlay(new KelOverlayLabel(KelOverlayLabel::OverlayView)),
      m_caption(new QGraphicsRectItem(m_overlay)),
      m_captionTitle(captionLine(m_caption, TitlePixels, true, Qt::white)),
      m_captionArtist(captionLine(m_caption, ArtistPixels, false, ArtistColour)),
      m_transport(new PlayerTransport(player)), m_artLoader(new KelArtLoader(this))
{
    setWindowTitle(QStringLiteral("Kelmora Player"));
    setBackgroundBrush(Background);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    resize(Width, Height);
    m_artRows.setColumnCount(1);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_root->setLayout(m_layout);
    scene()->addItem(m_root);

    m_overlay->setSmallImage(QStringLiteral("icon-m-content-audio"));
    m_layout->addItem(m_overlay);
    m_caption->setPen(Qt::NoPen);
    m_caption->setBrush(CaptionBand);
    m_captionTitle->setPos(Margin * 2, Margin);
    m_captionArtist->setPos(Margin * 2, ArtistTop);
    connect(m_overlay, &KelOverlayLabel::clicked, player, &Player::playPause);
    m_layout->addItem(m_transport);

    connect(m_artLoader, &KelArtLoader::downloadOfArtReady, this,
            [this](const QString& path, const QModelIndex& index) {
                const QUrl url = m_artRows.data(index).toUrl();
                m_covers.insert(url, readImage(path));
                updateRows();
                updateOverlay();
            });
    connect(m_artLoader, &KelArtLoader::errorOccurred, this,
            [](const QString& error, const QModelIndex&) {
                qWarning("cover art not loaded: %s", qPrintable(error));
            });

    connect(player, &Player::itemsChanged, this, &PlayerWindow::rebuildRows);
    connect(player, &Player::itemChanged, this, [this]() {
        updateOverlay();
        updateMarks();
    });
    connect(player, &Player::stateChanged, this, [this]() {
        updateOverlay();
        updateMarks();
    });
    connect(player, &Player::bufferingChanged, this, &PlayerWindow::updateOverlay);
    rebuildRows();
    updateOverlay();
}

PlayerWindow::~PlayerWindow() = default;

QImage PlayerWindow::readImage(const QString& path)
{
    MImageReader reader;
    reader.setMaxFileSize(MaxCoverBytes);
    reader.setSize(QSize(MaxCoverSide, MaxCoverSide));
    return reader.load(path);
}

void PlayerWindow::resizeEvent(QResizeEvent* event)
{
    MApplicationWindow::resizeEvent(event);
    layOut();
}

void PlayerWindow::layOut()
{
    const qreal width = viewport()->width();
    const QSizeF header(width, OverlayHeight);
    if (m_overlay->minimumSize() != header) {
        m_overlayImage = QUrl(); // the cover is cut again to the new shape
    }
    m_overlay->setMinimumSize(header);
    m_overlay->setMaximumSize(header);
    m_caption->setRect(0, 0, width, CaptionHeight);
    m_caption->setPos(0, OverlayHeight - CaptionHeight);
    const QSizeF transport(width, PlayerTransport::Height);
    m_transport->setMinimumSize(transport);
    m_transport->setMaximumSize(transport);
    for (KelMediaLabel* label : qAsConst(m_rows)) {
        label->setMinimumSize(width, RowHeight);
        label->setMaximumSize(width, RowHeight);
    }
    const qreal height = OverlayHeight + PlayerTransport::Height + m_rows.size() * RowHeight;
    m_root->resize(width, height);
    scene()->setSceneRect(0, 0, width, height);
    updateOverlay();
}

QImage PlayerWindow::cover(const QUrl& imageUrl, int row)
{
    if (imageUrl.isEmpty()) {
        return QImage();
    }
    if (m_covers.contains(imageUrl)) {
        return m_covers.value(imageUrl);
    }
    if (imageUrl.isLocalFile()) {
        const QImage image = readImage(imageUrl.toLocalFile());
        m_covers.insert(imageUrl, image);
        return image;
    }
    const QString scheme = imageUrl.scheme();
    if ((scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
        !m_fetching.contains(imageUrl)) {
        m_fetching.insert(imageUrl);
        if (m_artRows.rowCount() <= row) {
            m_artRows.setRowCount(row + 1);
        }
        const QModelIndex index = m_artRows.index(row, 0);
        m_artRows.setData(index, imageUrl);
        m_artLoader->getArtOfMusicItem(imageUrl.toString(), index);
    }
    return QImage();
}

void PlayerWindow::rebuildRows()
{
    const int count = m_player->items().size();
    while (m_rows.size() > count) {
        KelMediaLabel* label = m_rows.takeLast();
        m_layout->removeItem(label);
        delete label;
    }
    while (m_rows.size() < count) {
        auto* label = new KelMediaLabel(KelMediaLabel::TextRightOfImage);
        const QSizeF size(Width, RowHeight);
        label->setMinimumSize(size);
        label->setMaximumSize(size);
        label->setLayoutMargins(Margin, Margin, Margin + MarkRoom, Margin);
        label->setTextElide(true, KelMediaLabel::TopLeftLabel);
        label->setTextElide(true, KelMediaLabel::BottomLeftLabel);
        label->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter, KelMediaLabel::TopRightLabel);
        const int row = m_rows.size();
        connect(label, &KelMediaLabel::clicked, m_player,
                [this, row]() { m_player->playIndex(row); });
        m_layout->addItem(label);
        m_rows << label;
    }
    layOut();
    updateRows();
    updateMarks();
}

void PlayerWindow::updateRows()
{
    const QList<PlayerItem> items = m_player->items();
    for (int i = 0; i < items.size() && i < m_rows.size(); ++i) {
        const PlayerItem& item = items.at(i);
        KelMediaLabel* label = m_rows.at(i);
        label->setText(item.displayTitle(), KelMediaLabel::TopLeftLabel);
        label->setText(item.artist, KelMediaLabel::BottomLeftLabel);
        label->setText(lengthText(item.duration), KelMediaLabel::TopRightLabel);
        // One grid for every row: a fixed picture column, the titles, a fixed length column.
        if (auto* grid = dynamic_cast<QGraphicsGridLayout*>(label->layout())) {
            grid->setColumnFixedWidth(0, CoverSide + Margin);
            grid->setColumnStretchFactor(1, 1);
            grid->setColumnFixedWidth(2, LengthWidth);
        }
        const QImage picture = cover(item.imageUrl, i);
        if (picture.isNull()) {
            label->setIconAsImage(QStringLiteral("icon-m-content-audio"));
        } else {
            label->setImage(MImageWidget(picture.scaled(CoverSide, CoverSide, Qt::KeepAspectRatio,
                                                        Qt::SmoothTransformation)));
        }
    }
}

void PlayerWindow::updateMarks()
{
    const int current = m_player->currentIndex();
    KelMediaLabel::LabelPlayStatus mark = KelMediaLabel::PlayStatusNone;
    switch (m_player->state()) {
    case MafwRenderer::Playing:
    case MafwRenderer::Transitioning:
        mark = KelMediaLabel::PlayStatusPlay;
        break;
    case MafwRenderer::Paused:
        mark = KelMediaLabel::PlayStatusPause;
        break;
    case MafwRenderer::Stopped:
        break;
    }
    for (int i = 0; i < m_rows.size(); ++i) {
        m_rows.at(i)->setPlayStatus(i == current ? mark : KelMediaLabel::PlayStatusNone);
    }
    if (current >= 0 && current < m_rows.size()) {
        ensureVisible(m_rows.at(current));
    }
}

void PlayerWindow::updateOverlay()
{
    const PlayerItem item = m_player->currentItem();
    updateCaption();
    // The transport has the play and pause button; the cover stays clear.
    m_overlay->setOverlayImage(QString());
    const QImage picture = cover(item.imageUrl, qMax(0, m_player->currentIndex()));
    if (picture.isNull()) {
        const QSize size = m_overlay->minimumSize().toSize();
        if (!m_overlayImage.isEmpty() || !m_overlay->image() ||
            m_overlay->image()->size() != size) {
            m_overlay->setImage(defaultArt(size));
        }
        m_overlayImage = QUrl();
    } else if (m_overlayImage != item.imageUrl) {
        // Filled, not stretched: the middle of the picture at the label's proportions.
        const QSize size = m_overlay->minimumSize().toSize();
        const QImage filled =
            picture.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
        m_overlay->setImage(QString()); // the theme picture goes, or it would stay in front
        m_overlay->setImage(filled.copy(QRect(
            QPoint((filled.width() - size.width()) / 2, (filled.height() - size.height()) / 2),
            size)));
        m_overlayImage = item.imageUrl;
    }
    m_overlay->setLoading(m_player->state() == MafwRenderer::Transitioning ||
                          m_player->buffering() < 1.0f);
}

void PlayerWindow::updateCaption()
{
    const PlayerItem item = m_player->currentItem();
    const QString title =
        item.url.isEmpty() ? QStringLiteral("Kelmora Player") : item.displayTitle();
    const qreal width = viewport()->width() - Margin * 4;
    setElided(m_captionTitle, title, width);
    setElided(m_captionArtist, item.artist, width);
    // A title alone sits in the middle of the band.
    m_captionTitle->setY(item.artist.isEmpty()
                             ? (CaptionHeight - m_captionTitle->boundingRect().height()) / 2
                             : Margin);
}

QString PlayerWindow::captionTitle() const
{
    return m_captionTitle->text();
}

QString PlayerWindow::captionArtist() const
{
    return m_captionArtist->text();
}

bool PlayerWindow::saveScreenshot(const QString& path)
{
    // Layouts settle on posted events: let them, so that the picture is what a user sees.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    return grab().toImage().save(path, "PNG");
}

void PlayerWindow::keyPressEvent(QKeyEvent* event)
{
    static const QHash<int, TerminalKeys::Key> keys = {
        {Qt::Key_Space, TerminalKeys::Space},      {Qt::Key_MediaPlay, TerminalKeys::Space},
        {Qt::Key_N, TerminalKeys::Next},           {Qt::Key_MediaNext, TerminalKeys::Next},
        {Qt::Key_P, TerminalKeys::Previous},       {Qt::Key_MediaPrevious, TerminalKeys::Previous},
        {Qt::Key_Left, TerminalKeys::SeekBack},    {Qt::Key_Right, TerminalKeys::SeekForward},
        {Qt::Key_Plus, TerminalKeys::VolumeUp},    {Qt::Key_Equal, TerminalKeys::VolumeUp},
        {Qt::Key_Minus, TerminalKeys::VolumeDown}, {Qt::Key_S, TerminalKeys::Shuffle},
        {Qt::Key_L, TerminalKeys::Loop},           {Qt::Key_Q, TerminalKeys::Quit},
    };
    const auto key = keys.constFind(event->key());
    if (key == keys.constEnd() || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        MApplicationWindow::keyPressEvent(event);
        return;
    }
    m_player->handleKey(*key);
    event->accept();
}
