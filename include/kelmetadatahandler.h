#ifndef KELMETADATAHANDLER_H
#define KELMETADATAHANDLER_H

#include "kelmora_export.h"

#include <mafwcontent.h>

#include <QList>
#include <QObject>
#include <QVariant>

/// Describes the current media item for an application. Applications derive from it and hand
/// an instance to KelPlayControls::setMetadataHandler(), which takes ownership.
///
/// While its content type is current the engine calls setDataFromIndex() when an item becomes
/// current and then emits KelPlayControls::mediaChanged(), and connects the renderer's
/// metadata reports to onMetadataChange(). The handler's own signals are passed on as
/// KelPlayControls::mediaChanged() and KelPlayControls::metadataChanged(). Main thread only.
class KELMORA_EXPORT KelMetadataHandler : public QObject
{
    Q_OBJECT
public:
    /// Usually made without a parent: KelPlayControls::setMetadataHandler() takes ownership.
    explicit KelMetadataHandler(QObject* parent = nullptr);
    /// The library forgets a registered handler that is deleted.
    ~KelMetadataHandler() override;

Q_SIGNALS:
    /// The handler's data now describes a new current item; passed on by the facade (which
    /// also announces every item it hands to setDataFromIndex(), so emitting this from there
    /// announces the item twice).
    void mediaChanged(const KelMetadataHandler* mediaObject);
    /// The handler's data for the current item changed.
    void metadataChanged(const KelMetadataHandler* mediaObject);

public Q_SLOTS:
    /// The item at playlist position @p index (play order) became current; @p mafwcontent may
    /// be empty (item 0 is announced before the renderer names it).
    virtual void setDataFromIndex(int index, const MafwContent& mafwcontent) = 0;
    /// The renderer reports the values of one metadata key of the current item (for example
    /// "duration" or "is-seekable").
    virtual void onMetadataChange(const QString& metadata, const QList<QVariant>& values) = 0;
    /// Forget the current item; called when the playlist is cleared.
    virtual void clear() = 0;
};

#endif
