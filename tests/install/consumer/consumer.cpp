// A program outside the project: plays a WAV file it writes itself to its end through the
// installed library. Exit status 0 when it played to completion.
#include <kelplaycontrols.h>
#include <mafwregistry.h>

#include <QCoreApplication>
#include <QDataStream>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <cstdio>

namespace {

// Half a second of silence, 16-bit mono at 8 kHz.
bool writeWav(const QString& path)
{
    const quint32 rate = 8000;
    const quint32 dataSize = rate; // 0.5 s of 2-byte samples
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + dataSize);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << rate << quint32(rate * 2) << quint16(2)
        << quint16(16);
    out.writeRawData("data", 4);
    out << dataSize;
    out.writeRawData(QByteArray(int(dataSize), '\0').constData(), int(dataSize));
    return out.status() == QDataStream::Ok;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tone.wav"));
    if (!dir.isValid() || !writeWav(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    KelPlayControls* controls = KelPlayControls::instance();
    controls->init();
    if (!MafwRegistry::instance()->findRenderer(QStringLiteral("mafw_gst_renderer"))) {
        std::fprintf(stderr, "no renderer: the plug-in was not found\n");
        return 1;
    }
    bool played = false;
    QObject::connect(controls, &KelPlayControls::stateChanged, [&played](MafwRenderer::State s) {
        played = played || s == MafwRenderer::Playing;
    });
    QObject::connect(controls, &KelPlayControls::playbackCompleted, &app,
                     [&app, &played]() { app.exit(played ? 0 : 1); });
    QObject::connect(controls, &KelPlayControls::error, &app, [&app](const MafwError& error) {
        std::fprintf(stderr, "error %d: %s\n", int(error.code()), qPrintable(error.message()));
        app.exit(1);
    });
    QTimer::singleShot(20000, &app, [&app]() {
        std::fprintf(stderr, "timed out\n");
        app.exit(1);
    });
    controls->play(QUrl::fromLocalFile(path));
    const int status = app.exec();
    std::printf("%s\n", status == 0 ? "played to the end" : "failed");
    return status;
}
