#ifndef BENCHWAIT_H
#define BENCHWAIT_H

#include <kelplaycontrols.h>

#include <QEventLoop>
#include <QTimer>

// Runs the event loop until the controls report the wanted state; false after timeoutMs.
inline bool waitForState(KelPlayControls* controls, MafwRenderer::State wanted, int timeoutMs)
{
    if (controls->state() == wanted) {
        return true;
    }
    QEventLoop loop;
    QObject::connect(controls, &KelPlayControls::stateChanged, &loop,
                     [&loop, wanted](MafwRenderer::State state) {
                         if (state == wanted) {
                             loop.quit();
                         }
                     });
    QTimer::singleShot(timeoutMs, &loop, [&loop]() { loop.exit(1); });
    return loop.exec() == 0;
}

#endif
