#ifndef MFEEDBACK_H
#define MFEEDBACK_H

#include "mtouchglobal.h"

#include <QObject>

// Touch feedback ("press", "release"). Nothing is played by default; applications and tests
// observe played().
class MTOUCH_EXPORT MFeedback : public QObject
{
    Q_OBJECT
public:
    static MFeedback* instance();
    static void play(const QString& name);

Q_SIGNALS:
    void played(const QString& name);

private:
    MFeedback() = default;
};

#endif
