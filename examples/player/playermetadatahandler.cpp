#include "playermetadatahandler.h"

namespace {
template <typename T> bool assign(T& field, const T& value)
{
    if (field == value) {
        return false;
    }
    field = value;
    return true;
}
} // namespace

bool PlayerMetadataHandler::apply(const QString& key, const QVariant& value)
{
    if (key == QLatin1String("title")) {
        return assign(m_item.title, value.toString());
    }
    if (key == QLatin1String("artist")) {
        return assign(m_item.artist, value.toString());
    }
    if (key == QLatin1String("album")) {
        return assign(m_item.album, value.toString());
    }
    if (key == QLatin1String("image-url")) {
        return assign(m_item.imageUrl, value.toUrl());
    }
    if (key == QLatin1String("duration")) {
        const int seconds = value.toInt() > 0 ? value.toInt() : PlayerItem::UnknownDuration;
        return assign(m_item.duration, seconds);
    }
    return false;
}

void PlayerMetadataHandler::setDataFromIndex(int index, const MafwContent& mafwcontent)
{
    m_index = index;
    m_item = PlayerItem();
    m_item.url = QUrl(mafwcontent.uuid());
    const QVariantMap metadata = mafwcontent.metadata();
    for (auto it = metadata.cbegin(); it != metadata.cend(); ++it) {
        apply(it.key(), it.value());
    }
    // Announced by the controls once this returns.
}

void PlayerMetadataHandler::onMetadataChange(const QString& metadata, const QList<QVariant>& values)
{
    if (!values.isEmpty() && apply(metadata, values.constFirst())) {
        Q_EMIT metadataChanged(this);
    }
}

void PlayerMetadataHandler::clear()
{
    m_index = NoIndex;
    m_item = PlayerItem();
    Q_EMIT mediaChanged(this);
}
