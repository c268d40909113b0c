#ifndef MEDIAFACTORY_H
#define MEDIAFACTORY_H

#include <QString>

// Makes short media files for the tests, with GStreamer.
namespace MediaFactory {
// Runs a pipeline description to its end; "%1" in it stands for path.
bool encode(const QString& description, const QString& path);
// A stereo 44.1 kHz sine tone tagged "Tone" by "Kelmora", through encoder ("wavenc",
// "vorbisenc ! oggmux", "flacenc").
bool write(const QString& path, int milliseconds, const char* encoder = "wavenc",
           int frequency = 440);
} // namespace MediaFactory

#endif
