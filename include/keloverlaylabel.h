#ifndef KELOVERLAYLABEL_H
#define KELOVERLAYLABEL_H

#include "kelmoraglobal.h"

#include <mstylablewidget.h>

#include <QImage>
#include <QPixmap>

class KelOverlayLabelModel;
class KelOverlayLabelOverlayView;

// Shows one media item as a picture with a text box over its lower part (overlay view) or as
// a content item (normal view), and reports taps. Touch: pressed look while a finger is down,
// clicked() on a release within 30 units of the label, longTapped() on a long press.
class KELMORA_EXPORT KelOverlayLabel : public MStylableWidget
{
    Q_OBJECT
public:
    enum ViewType { Undefined = 0, NormalView = 1, OverlayView = 2 };
    Q_ENUM(ViewType)

    KelOverlayLabel(ViewType type, const QString& styleName = QString(), MWidget* parent = nullptr);
    explicit KelOverlayLabel(const QString& styleName = QString(), MWidget* parent = nullptr);
    ~KelOverlayLabel() override;

    void setTypeOfView(ViewType type);
    ViewType typeOfView() const;
    // The style name given at construction; the overlay view applies it.
    QString constructionStyleName() const { return styleName_; }

    void setTitle(const QString& title);
    QString title() const;
    void setSubtitle(const QString& subtitle);
    QString subtitle() const;

    // A theme image as the picture (the stored pixmap and the icon go).
    void setImage(const QString& id);
    // A theme image drawn 64 by 64 in the middle (the stored pixmap and the image id go).
    void setIcon(const QString& id);
    void setImage(const QImage& image);
    // The theme's pixmap when an image id is set (owned by the theme), else the model's.
    const QPixmap* image() const;
    QString imageId() const;
    QString imageUri() const;

    void setSmallImage(const QString& id);
    QString smallImage() const;
    void setOverlayImage(const QString& id);
    QString overlayImage() const;

    void setSmallImageStyleName(const QString& name);
    void setOverlayTextLabelStyleName(const QString& name);
    void setOverlayBackgroundStyleName(const QString& name);

    void setLoading(bool loading, bool marginShift = false);

    KelOverlayLabelModel* labelModel() const;
    // For tests and diagnostics: the flags of the touch handling.
    bool isPressInProgress() const { return pressInProgress; }
    bool isPressedShown() const { return pressedShown; }

    const char* styleType() const override;
    MWidgetStyleContainer* createStyleContainer() const override;

public Q_SLOTS:
    void setImage(const QPixmap& pixmap);
    // Reads the image file (a path or a file: URL) through MImageReader, scaled down to fit
    // 2048 by 2048; a refused one gives an empty image and one warning.
    void loadImage(const QString& fileUri);

Q_SIGNALS:
    void tapped();
    void clicked();
    void longTapped(const QPointF& pos);

protected:
    void cancelEvent(MCancelEvent* event) override;
    void tapAndHoldGestureEvent(QGestureEvent* event, QTapAndHoldGesture* gesture) override;
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;

private Q_SLOTS:
    void setDefaultState();
    void setPressedState();

private:
    void init(ViewType type);
    KelOverlayLabelOverlayView* overlayView() const;

    QString styleName_;
    // The theme pixmap handed out by image(), held until the id changes or the label goes.
    mutable const QPixmap* themeImage_ = nullptr;
    mutable QString themeImageId_;
    bool pressInProgress = false;
    bool pressedShown = false;
};

#endif
