#include "mtouchlogging_p.h"

Q_LOGGING_CATEGORY(lcMTouch, "kelmora.mtouch")
