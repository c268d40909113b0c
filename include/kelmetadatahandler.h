#ifndef KELMETADATAHANDLER_H
#define KELMETADATAHANDLER_H

#include "kelmoraglobal.h"

#include <mafwcontent.h>

#include <QList>
#include <QObject>
#include <QVariant>

/// Describes the current media item for an application. Applications derive from it and hand
/// an instance to KelPlayControls::setMetadataHandler(), which takes ownership.
class KELMORA_EXPORT KelMetadataHandler : public QObject
{
    Q_OBJECT
public:
    /// Usually made without a parent: KelPlayControls::setMetadataHandler() takes ownership.
    explicit KelMetadataHandler(QObject* parent = nullptr);
    /// The library forgets a registered handler that is deleted.
    ~KelMetadataHandler() override;

Q_SIGNALS:
    /// The handler's data now describes a new current item.
    void mediaChanged(const KelMetadataHandler* mediaObject);
    /// The handler's data for the current item changed.
    void metadataChanged(const KelMetadataHandler* mediaObject);

public Q_SLOTS:
    /// The item at playlist position index became current; mafwcontent may be empty.
    virtual void setDataFromIndex(int index, const MafwContent& mafwcontent) = 0;
    /// The renderer reports the values of one metadata key of the current item.
    virtual void onMetadataChange(const QString& metadata, const QList<QVariant>& values) = 0;
    /// Forget the current item.
    virtual void clear() = 0;
};

#endif
