#ifndef PLAYERMETADATAHANDLER_H
#define PLAYERMETADATAHANDLER_H

#include "playeritem.h"

#include <kelmetadatahandler.h>

// Keeps what the renderer says about the current item: its playlist index, URI, title,
// artist, cover art and length.
class PlayerMetadataHandler : public KelMetadataHandler
{
    Q_OBJECT
public:
    static constexpr int NoIndex = -1;

    using KelMetadataHandler::KelMetadataHandler;

    int index() const { return m_index; }
    // What is known; an empty URL when the renderer has not named the item.
    PlayerItem item() const { return m_item; }

public Q_SLOTS:
    void setDataFromIndex(int index, const MafwContent& mafwcontent) override;
    void onMetadataChange(const QString& metadata, const QList<QVariant>& values) override;
    void clear() override;

private:
    // True when the value changed.
    bool apply(const QString& key, const QVariant& value);

    int m_index = NoIndex;
    PlayerItem m_item;
};

#endif
