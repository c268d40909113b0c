#include "mafwgstcoverart_p.h"

#include <mafwcoverartstore.h>

QUrl mafwGstStoreCoverArt(const GstTagList* tags)
{
    GstSample* image = nullptr;
    if (!gst_tag_list_get_sample(tags, GST_TAG_IMAGE, &image) &&
        !gst_tag_list_get_sample(tags, GST_TAG_PREVIEW_IMAGE, &image)) {
        return {};
    }
    QUrl stored;
    GstBuffer* buffer = gst_sample_get_buffer(image);
    GstMapInfo map;
    // One larger than the store takes is not copied at all.
    if (buffer && gst_buffer_get_size(buffer) <= gsize(MafwCoverArtStore::MaxImageBytes) &&
        gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        const QByteArray bytes(reinterpret_cast<const char*>(map.data), int(map.size));
        gst_buffer_unmap(buffer, &map);
        const GstStructure* caps = gst_caps_get_structure(gst_sample_get_caps(image), 0);
        stored = MafwCoverArtStore::store(
            bytes, QString::fromUtf8(caps ? gst_structure_get_name(caps) : ""));
    }
    gst_sample_unref(image);
    return stored;
}
