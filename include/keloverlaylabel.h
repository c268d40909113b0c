#ifndef KELOVERLAYLABEL_H
#define KELOVERLAYLABEL_H

#include "kelmora_export.h"

#include <mstylablewidget.h>

#include <QImage>
#include <QPixmap>

class KelOverlayLabelModel;
class KelOverlayLabelOverlayView;

/// @brief Shows one media item as a picture with a text box over its lower part (overlay
/// view) or as a content item (normal view), and reports taps.
///
/// Touch: pressed look while a finger is down, clicked() on a release within 30 units of the
/// label, longTapped() on a long press. The label owns its model and view (through the widget
/// framework); setters write the model, whose notifications the view shows. Style class
/// "KelOverlayLabelStyle". Main thread only, like every widget.
class KELMORA_EXPORT KelOverlayLabel : public MStylableWidget
{
    Q_OBJECT
public:
    /// Which view shows the label: Undefined (none), NormalView (a content item) or
    /// OverlayView (the picture with its text box).
    enum ViewType { Undefined = 0, NormalView = 1, OverlayView = 2 };
    Q_ENUM(ViewType)
    /** @var KelOverlayLabel::Undefined
        No view: the label shows nothing. */
    /** @var KelOverlayLabel::NormalView
        A content item with title, subtitle, picture and small image. */
    /** @var KelOverlayLabel::OverlayView
        The picture with a text box over its lower part. */

    /// A label with a view of @p type; @p styleName is applied by the overlay view. Owned by
    /// @p parent when given, as any graphics item.
    KelOverlayLabel(ViewType type, const QString& styleName = QString(), MWidget* parent = nullptr);
    /// A label with the overlay view.
    explicit KelOverlayLabel(const QString& styleName = QString(), MWidget* parent = nullptr);
    /// Deletes the model's pixmap and releases the theme image handed out by image().
    ~KelOverlayLabel() override;

    /// Installs a new view of @p type (Undefined: none); the framework deletes the old one.
    void setTypeOfView(ViewType type);
    /// The kind of the view installed now (Undefined when it is none of the label's own).
    ViewType typeOfView() const;
    /// The style name given at construction; the overlay view applies it.
    QString constructionStyleName() const { return m_styleName; }

    /// Sets the title: the text box's text, the content item's title.
    void setTitle(const QString& title);
    /// The title.
    QString title() const;
    /// Sets the subtitle (shown by the normal view only).
    void setSubtitle(const QString& subtitle);
    /// The subtitle.
    QString subtitle() const;

    /// A theme image as the picture (the stored pixmap and the icon go).
    void setImage(const QString& id);
    /// A theme image drawn 64 by 64 in the middle (the stored pixmap and the image id go).
    void setIcon(const QString& id);
    /// A copy of @p image as the picture; the image id is cleared.
    void setImage(const QImage& image);
    /// The theme's pixmap when an image id is set (owned by the theme), else the model's.
    const QPixmap* image() const;
    /// The theme id of the picture; empty when the picture is a pixmap.
    QString imageId() const;
    /// The file given to loadImage() last.
    QString imageUri() const;

    /// The theme id of the small image shown beside the title; empty hides it.
    void setSmallImage(const QString& id);
    /// The theme id of the small image.
    QString smallImage() const;
    /// The theme id of an image drawn over the picture (the overlay view's icon).
    void setOverlayImage(const QString& id);
    /// The theme id of the overlay image.
    QString overlayImage() const;

    /// Style name of the small image (overlay view only; otherwise nothing happens).
    void setSmallImageStyleName(const QString& name);
    /// Style name of the text box's label (overlay view only).
    void setOverlayTextLabelStyleName(const QString& name);
    /// Style name of the text box's background (overlay view only).
    void setOverlayBackgroundStyleName(const QString& name);

    /// Shows a spinner instead of the picture while @p loading (the model owns the spinner);
    /// @p marginShift moves it up and left by the left margin.
    void setLoading(bool loading, bool marginShift = false);

    /// The label's model, owned by the label.
    KelOverlayLabelModel* labelModel() const;
    /// For tests and diagnostics: the flags of the touch handling.
    bool isPressInProgress() const { return m_pressInProgress; }
    /// Whether the pressed look is shown.
    bool isPressedShown() const { return m_pressedShown; }

    /// "KelOverlayLabelStyle".
    const char* styleType() const override;
    /// A new KelOverlayLabelStyleContainer, owned by the caller (the framework).
    MWidgetStyleContainer* createStyleContainer() const override;

public Q_SLOTS:
    /// A copy of @p pixmap as the picture; the image id is cleared.
    void setImage(const QPixmap& pixmap);
    /// Reads the image file (a path or a file: URL) through MImageReader, scaled down to fit
    /// 2048 by 2048; a refused one gives an empty image and one warning.
    void loadImage(const QString& fileUri);

Q_SIGNALS:
    /// Declared for applications; the label itself never emits it.
    void tapped();
    /// A release within 30 units of the label ended a press on it (or the normal view's content
    /// item was clicked); the release feedback plays first.
    void clicked();
    /// A long press ended at @p pos; no clicked() follows for that press.
    void longTapped(const QPointF& pos);

protected:
    /// A press taken over by another item: the pressed look goes, no clicked() comes.
    void cancelEvent(MCancelEvent* event) override;
    /// Emits longTapped() when the gesture finishes.
    void tapAndHoldGestureEvent(QGestureEvent* event, QTapAndHoldGesture* gesture) override;
    /// Shows the pressed look and plays the "press" feedback.
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    /// Emits clicked() when the release is near enough; the pressed look goes 300 ms later.
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;
    /// Shows the pressed look only while the pointer is over the label.
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;

private Q_SLOTS:
    void setDefaultState();
    void setPressedState();

private:
    void init(ViewType type);
    KelOverlayLabelOverlayView* overlayView() const;

    QString m_styleName;
    // The theme pixmap handed out by image(), held until the id changes or the label goes.
    mutable const QPixmap* m_themeImage = nullptr;
    mutable QString m_themeImageId;
    bool m_pressInProgress = false;
    bool m_pressedShown = false;
};

#endif
