#ifndef MFEEDBACK_H
#define MFEEDBACK_H

#include "mtouch_export.h"

#include <QObject>

/// Touch feedback ("press", "release"). Nothing is played by default; applications and tests
/// observe played().
///
/// One object for the process, created on first use and never deleted. Main thread only.
class MTOUCH_EXPORT MFeedback : public QObject
{
    Q_OBJECT
public:
    /// Never null; created on first use and kept for the life of the process.
    static MFeedback* instance();
    /// Plays the feedback \a name: emits played(name) before returning.
    static void play(const QString& name);

Q_SIGNALS:
    /// The feedback \a name was asked for, from inside play().
    void played(const QString& name);

private:
    MFeedback() = default;
};

#endif
