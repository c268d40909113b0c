#ifndef KELOVERLAYLABELMODEL_H
#define KELOVERLAYLABELMODEL_H

#include "kelmoraglobal.h"

#include <mprogressindicator.h>
#include <mwidgetmodel.h>

#include <QPixmap>
#include <QString>

// The strings of an overlay label's model.
class KELMORA_EXPORT KelOverlayLabelModelData
{
public:
    virtual ~KelOverlayLabelModelData();

    QString title;
    QString subtitle;
    QString imageId;
    QString smallImageId;
    QString overlayImageId;
    QString imageUri;
    QString iconId;
};

// The content of an overlay label. Notifications carry the member-name constants below.
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
    static const char* const Title;
    static const char* const Subtitle;
    static const char* const Image;
    static const char* const ImageId;
    static const char* const SmallImageId;
    static const char* const OverlayImageId;
    static const char* const ImageUri;
    static const char* const IconId;
    static const char* const Loading;
    static const char* const Spinner;

    KelOverlayLabelModel();
    // Adopts data.
    explicit KelOverlayLabelModel(KelOverlayLabelModelData* data);
    ~KelOverlayLabelModel() override;

    const QString& title() const { return d->title; }
    void setTitle(const QString& title);
    const QString& subtitle() const { return d->subtitle; }
    void setSubtitle(const QString& subtitle);
    const QString& imageId() const { return d->imageId; }
    void setImageId(const QString& id);
    const QString& smallImageId() const { return d->smallImageId; }
    void setSmallImageId(const QString& id);
    const QString& overlayImageId() const { return d->overlayImageId; }
    void setOverlayImageId(const QString& id);
    const QString& imageUri() const { return d->imageUri; }
    void setImageUri(const QString& uri);
    const QString& iconId() const { return d->iconId; }
    void setIconId(const QString& id);

    // The picture, owned by the model: always a pixmap the label made, never the theme's, so
    // it is deleted when replaced, whatever ids are set.
    QPixmap* image() const { return m_image; }
    void setImage(QPixmap* pixmap);
    void initializeImage();
    void releaseImage();

    const bool& loading() const { return m_loading; }
    // The spinner exists exactly while loading; notifies "spinner".
    void setLoading(const bool& loading);
    // Owned by the model.
    MProgressIndicator* spinner() const { return m_spinner; }
    void setSpinner(MProgressIndicator* spinner);

private:
    KelOverlayLabelModelData* d;
    QPixmap* m_image = nullptr;
    bool m_loading = false;
    MProgressIndicator* m_spinner = nullptr;
};

#endif
