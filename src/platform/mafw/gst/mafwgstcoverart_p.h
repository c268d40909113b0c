#ifndef MAFWGSTCOVERART_P_H
#define MAFWGSTCOVERART_P_H

#include <QUrl>
#include <gst/gst.h>

// The cover art that tags carry (the image, else its preview) stored with MafwCoverArtStore:
// its file URL, or empty when there is none or it could not be stored.
QUrl mafwGstStoreCoverArt(const GstTagList* tags);

#endif
