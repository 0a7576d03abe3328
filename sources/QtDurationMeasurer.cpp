#include "sources/QtDurationMeasurer.h"

#include "sources/DurationProbe.h"
#include "support/BackgroundPriority.h"

QtDurationMeasurer::QtDurationMeasurer(MediaProbe& probe, QObject* parent) : QObject(parent), m_probe(probe) {
    m_pool.setMaxThreadCount(Workers);
}

QtDurationMeasurer::~QtDurationMeasurer() {
    m_pool.clear();
    m_pool.waitForDone();
}

void QtDurationMeasurer::Measure(const std::string& path, Done done) {
    m_pool.start([this, path, done = std::move(done)]() mutable {
        LowerCurrentThreadPriority();
        const int64_t seconds = ProbeDuration(path, *m_probe.NewGraph());
        QMetaObject::invokeMethod(
            this, [done = std::move(done), seconds] { done(seconds); }, Qt::QueuedConnection);
    });
}
