#include "mfeedback.h"

MFeedback* MFeedback::instance()
{
    static MFeedback* feedback = new MFeedback;
    return feedback;
}

void MFeedback::play(const QString& name)
{
    Q_EMIT instance()->played(name);
}
