#ifndef MEDIAFACTORY_H
#define MEDIAFACTORY_H

#include <QString>

// Makes short media files for the tests.
namespace MediaFactory {
// A stereo 16-bit 44.1 kHz sine tone.
bool writeWav(const QString& path, int milliseconds, int frequency = 440);
// Runs a GStreamer pipeline description to its end; "%1" in it stands for path.
bool encode(const QString& description, const QString& path);
bool writeVorbis(const QString& path, int milliseconds);
} // namespace MediaFactory

#endif
