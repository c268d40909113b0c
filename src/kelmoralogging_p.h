#ifndef KELMORALOGGING_P_H
#define KELMORALOGGING_P_H

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcPlayback) // kelmora.playback: play controls and engine
Q_DECLARE_LOGGING_CATEGORY(lcArt)      // kelmora.art: album-art loader
Q_DECLARE_LOGGING_CATEGORY(lcWidgets)  // kelmora.widgets: overlay and media labels

#endif
