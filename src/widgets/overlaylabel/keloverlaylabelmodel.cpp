#include "keloverlaylabelmodel.h"

#include <mprogressindicator.h>

#include <QPixmap>

const char* const KelOverlayLabelModel::Title = "title";
const char* const KelOverlayLabelModel::Subtitle = "subtitle";
const char* const KelOverlayLabelModel::Image = "image";
const char* const KelOverlayLabelModel::ImageId = "imageId";
const char* const KelOverlayLabelModel::SmallImageId = "smallImageId";
const char* const KelOverlayLabelModel::OverlayImageId = "overlayImageId";
const char* const KelOverlayLabelModel::ImageUri = "imageUri";
const char* const KelOverlayLabelModel::IconId = "iconId";
const char* const KelOverlayLabelModel::Loading = "loading";
const char* const KelOverlayLabelModel::Spinner = "spinner";

KelOverlayLabelModelData::~KelOverlayLabelModelData() = default;

KelOverlayLabelModel::KelOverlayLabelModel() : m_d(new KelOverlayLabelModelData) {}

KelOverlayLabelModel::KelOverlayLabelModel(KelOverlayLabelModelData* data)
    : m_d(data ? data : new KelOverlayLabelModelData)
{
}

KelOverlayLabelModel::~KelOverlayLabelModel()
{
    delete m_image;
    delete m_spinner;
    delete m_d;
}

void KelOverlayLabelModel::setTitle(const QString& title)
{
    setMember(m_d->title, title, Title);
}

void KelOverlayLabelModel::setSubtitle(const QString& subtitle)
{
    setMember(m_d->subtitle, subtitle, Subtitle);
}

void KelOverlayLabelModel::setImageId(const QString& id)
{
    setMember(m_d->imageId, id, ImageId);
}

void KelOverlayLabelModel::setSmallImageId(const QString& id)
{
    setMember(m_d->smallImageId, id, SmallImageId);
}

void KelOverlayLabelModel::setOverlayImageId(const QString& id)
{
    setMember(m_d->overlayImageId, id, OverlayImageId);
}

void KelOverlayLabelModel::setImageUri(const QString& uri)
{
    setMember(m_d->imageUri, uri, ImageUri);
}

void KelOverlayLabelModel::setIconId(const QString& id)
{
    setMember(m_d->iconId, id, IconId);
}

void KelOverlayLabelModel::initializeImage()
{
    m_image = nullptr;
    m_spinner = nullptr;
    m_loading = false;
}

void KelOverlayLabelModel::releaseImage()
{
    delete m_image;
    m_image = nullptr;
    setImageId(QString());
}

void KelOverlayLabelModel::setImage(QPixmap* pixmap)
{
    if (pixmap && pixmap == m_image) {
        // The stored pixmap again: kept, but the rule's reset of the image id still applies.
        setImageId(QString());
        memberModified(Image);
        return;
    }
    releaseImage();
    m_image = pixmap;
    memberModified(Image);
}

void KelOverlayLabelModel::setLoading(const bool& loading)
{
    m_loading = loading;
    if (loading && !m_spinner) {
        m_spinner = new MProgressIndicator(nullptr, MProgressIndicator::spinnerType);
        m_spinner->setUnknownDuration(true);
    } else if (!loading && m_spinner) {
        delete m_spinner;
        m_spinner = nullptr;
    }
    memberModified(Spinner);
}

void KelOverlayLabelModel::setSpinner(MProgressIndicator* spinner)
{
    m_spinner = spinner;
}
