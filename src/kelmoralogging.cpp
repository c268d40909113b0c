#include "kelmoralogging_p.h"

Q_LOGGING_CATEGORY(lcPlayback, "kelmora.playback")
Q_LOGGING_CATEGORY(lcArt, "kelmora.art")
Q_LOGGING_CATEGORY(lcWidgets, "kelmora.widgets")
