#ifndef KELMORALOGGING_P_H
#define KELMORALOGGING_P_H

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcPlayback) // kelmora.playback: play controls and engine
Q_DECLARE_LOGGING_CATEGORY(lcArt)      // kelmora.art: album-art loader

#endif
