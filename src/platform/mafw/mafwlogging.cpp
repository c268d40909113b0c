#include "mafwlogging_p.h"

Q_LOGGING_CATEGORY(lcMafw, "kelmora.mafw")
