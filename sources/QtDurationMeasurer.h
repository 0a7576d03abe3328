#pragma once

#include <QObject>
#include <QThreadPool>

#include "sources/DurationMeasurer.h"
#include "sources/MediaProbe.h"

// Measures durations on a few worker threads; each result comes back through the window's event
// loop. Work not begun when it goes is dropped, and results not yet delivered are never delivered.
class QtDurationMeasurer final : public QObject, public DurationMeasurer {
    Q_OBJECT

public:
    static constexpr int Workers = 2;

    explicit QtDurationMeasurer(MediaProbe& probe, QObject* parent = nullptr);
    ~QtDurationMeasurer() override;

    void Measure(const std::string& path, Done done) override;

private:
    MediaProbe& m_probe;
    QThreadPool m_pool;
};
