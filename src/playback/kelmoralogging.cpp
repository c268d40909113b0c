#include "kelmoralogging_p.h"

Q_LOGGING_CATEGORY(lcPlayback, "kelmora.playback")
