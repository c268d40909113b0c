#ifndef KELOVERLAYLABELMODEL_H
#define KELOVERLAYLABELMODEL_H

#include "kelmora_export.h"

#include <mprogressindicator.h>
#include <mwidgetmodel.h>

#include <QPixmap>
#include <QString>

/// The strings of an overlay label's model; each field is the model property of that name.
class KELMORA_EXPORT KelOverlayLabelModelData
{
public:
    /// Virtual, so that a model's data may be extended.
    virtual ~KelOverlayLabelModelData();

    /// See KelOverlayLabelModel::title().
    QString title;
    /// See KelOverlayLabelModel::subtitle().
    QString subtitle;
    /// See KelOverlayLabelModel::imageId().
    QString imageId;
    /// See KelOverlayLabelModel::smallImageId().
    QString smallImageId;
    /// See KelOverlayLabelModel::overlayImageId().
    QString overlayImageId;
    /// See KelOverlayLabelModel::imageUri().
    QString imageUri;
    /// See KelOverlayLabelModel::iconId().
    QString iconId;
};

/// @brief The content of an overlay label.
///
/// Every setter notifies through MWidgetModel::modified() with the member-name constant
/// below (a string setter only when the value changed). Owned by its label.
class KELMORA_EXPORT KelOverlayLabelModel : public MWidgetModel
{
    Q_OBJECT
    Q_PROPERTY(QString title READ title WRITE setTitle)
    Q_PROPERTY(QString subtitle READ subtitle WRITE setSubtitle)
    Q_PROPERTY(QPixmap* image READ image WRITE setImage)
    Q_PROPERTY(QString imageId READ imageId WRITE setImageId)
    Q_PROPERTY(QString smallImageId READ smallImageId WRITE setSmallImageId)
    Q_PROPERTY(QString overlayImageId READ overlayImageId WRITE setOverlayImageId)
    Q_PROPERTY(QString imageUri READ imageUri WRITE setImageUri)
    Q_PROPERTY(QString iconId READ iconId WRITE setIconId)
    Q_PROPERTY(bool loading READ loading WRITE setLoading)
    Q_PROPERTY(MProgressIndicator* spinner READ spinner WRITE setSpinner)

public:
    /// Member name "title".
    static const char* const Title;
    /// Member name "subtitle".
    static const char* const Subtitle;
    /// Member name "image".
    static const char* const Image;
    /// Member name "imageId".
    static const char* const ImageId;
    /// Member name "smallImageId".
    static const char* const SmallImageId;
    /// Member name "overlayImageId".
    static const char* const OverlayImageId;
    /// Member name "imageUri".
    static const char* const ImageUri;
    /// Member name "iconId".
    static const char* const IconId;
    /// Member name "loading" (never notified: setLoading() notifies Spinner).
    static const char* const Loading;
    /// Member name "spinner".
    static const char* const Spinner;

    /// A model with empty strings, no picture and not loading.
    KelOverlayLabelModel();
    /// Adopts data.
    explicit KelOverlayLabelModel(KelOverlayLabelModelData* data);
    /// Deletes the data, the picture and the spinner.
    ~KelOverlayLabelModel() override;

    /// The title: the text box's text, the content item's title.
    const QString& title() const { return m_d->title; }
    /// Sets the title; notifies Title.
    void setTitle(const QString& title);
    /// The subtitle, shown by the normal view.
    const QString& subtitle() const { return m_d->subtitle; }
    /// Sets the subtitle; notifies Subtitle.
    void setSubtitle(const QString& subtitle);
    /// The theme id of the picture; when set it wins over the pixmap.
    const QString& imageId() const { return m_d->imageId; }
    /// Sets the picture's theme id; notifies ImageId.
    void setImageId(const QString& id);
    /// The theme id of the small image beside the title.
    const QString& smallImageId() const { return m_d->smallImageId; }
    /// Sets the small image's theme id; notifies SmallImageId.
    void setSmallImageId(const QString& id);
    /// The theme id of the image drawn over the picture.
    const QString& overlayImageId() const { return m_d->overlayImageId; }
    /// Sets the overlay image's theme id; notifies OverlayImageId.
    void setOverlayImageId(const QString& id);
    /// The file the picture was loaded from.
    const QString& imageUri() const { return m_d->imageUri; }
    /// Sets the file name; notifies ImageUri.
    void setImageUri(const QString& uri);
    /// The theme id of the icon drawn in the middle instead of a picture.
    const QString& iconId() const { return m_d->iconId; }
    /// Sets the icon's theme id; notifies IconId.
    void setIconId(const QString& id);

    /// The picture, owned by the model: always a pixmap the label made, never the theme's, so
    /// it is deleted when replaced, whatever ids are set.
    QPixmap* image() const { return m_image; }
    /// Takes ownership of @p pixmap (null: none), deletes the one held before and clears the
    /// image id; notifies Image.
    void setImage(QPixmap* pixmap);
    /// Forgets (without deleting) the picture and the spinner and clears loading; for a new model.
    void initializeImage();
    /// Deletes the picture and clears the image id.
    void releaseImage();

    /// Whether the label is loading (shows the spinner instead of the picture).
    const bool& loading() const { return m_loading; }
    /// The spinner exists exactly while loading; notifies "spinner".
    void setLoading(const bool& loading);
    /// Owned by the model.
    MProgressIndicator* spinner() const { return m_spinner; }
    /// Takes ownership of @p spinner without deleting the one held; no notification.
    void setSpinner(MProgressIndicator* spinner);

private:
    KelOverlayLabelModelData* m_d;
    QPixmap* m_image = nullptr;
    bool m_loading = false;
    MProgressIndicator* m_spinner = nullptr;
};

#endif
