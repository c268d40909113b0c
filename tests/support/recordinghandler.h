#ifndef RECORDINGHANDLER_H
#define RECORDINGHANDLER_H

#include <kelmetadatahandler.h>

#include <QStringList>

// A metadata handler that records the calls it receives, e.g. "setDataFromIndex(2)".
class RecordingHandler : public KelMetadataHandler
{
    Q_OBJECT
public:
    using KelMetadataHandler::KelMetadataHandler;

    QStringList calls;

public Q_SLOTS:
    void setDataFromIndex(int index, const MafwContent& mafwcontent) override
    {
        calls << QStringLiteral("setDataFromIndex(%1,%2)").arg(index).arg(mafwcontent.uuid());
    }
    void onMetadataChange(const QString& metadata, const QList<QVariant>& values) override
    {
        calls << QStringLiteral("onMetadataChange(%1,%2)").arg(metadata).arg(values.size());
    }
    void clear() override { calls << QStringLiteral("clear"); }
};

#endif
