#include "support/QtEventPump.h"

#include <QCoreApplication>

void QtEventPump::Pump() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
