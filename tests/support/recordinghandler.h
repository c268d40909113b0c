#ifndef RECORDINGHANDLER_H
#define RECORDINGHANDLER_H

#include <kelmetadatahandler.h>

#include <QStringList>
#include <QUrl>

// A metadata handler that records the calls it receives, e.g. "setDataFromIndex(2,uri)", and
// also into a journal when given one, shorter: "h:set(2,l2)" (the item's file name).
class RecordingHandler : public KelMetadataHandler
{
    Q_OBJECT
public:
    explicit RecordingHandler(QStringList* journalToo = nullptr) : journal(journalToo) {}

    QStringList calls;
    QStringList* journal;

public Q_SLOTS:
    void setDataFromIndex(int index, const MafwContent& mafwcontent) override
    {
        note(QStringLiteral("setDataFromIndex(%1,%2)").arg(index).arg(mafwcontent.uuid()),
             QStringLiteral("set(%1,%2)").arg(index).arg(QUrl(mafwcontent.uuid()).fileName()));
    }
    void onMetadataChange(const QString& metadata, const QList<QVariant>& values) override
    {
        note(QStringLiteral("onMetadataChange(%1,%2)").arg(metadata).arg(values.size()),
             QStringLiteral("meta(%1)").arg(metadata));
    }
    void clear() override { note(QStringLiteral("clear"), QStringLiteral("clear")); }

private:
    void note(const QString& call, const QString& shortCall)
    {
        calls << call;
        if (journal) {
            *journal << QStringLiteral("h:") + shortCall;
        }
    }
};

#endif
