#pragma once

#include <string>

#include <QObject>

#include "sources/DurationMeasurer.h"

class CopyCutGuide;
class QtCopySourceCache;
class SourceList;
class SourceListModel;
class TrimBar;

// Keeps the grid's start cells and the trim bar's key frames in step with a cut without re-encoding:
// each file's facts once read, and the output type or the cut mode once changed. While the output
// type copies the streams, every listed file's facts are asked for.
class TCopyCutBinding final : public QObject {
    Q_OBJECT

public:
    TCopyCutBinding(QtCopySourceCache& cache, const CopyCutGuide& guide, const SourceList& rows,
                    SourceListModel& model, TrimBar& bar, QObject* parent = nullptr);

    // The output type or the cut mode changed.
    void ChoiceChanged();

private:
    void ShowFacts();

    const CopyCutGuide& m_guide;
    const SourceList& m_rows;
    SourceListModel& m_model;
    TrimBar& m_bar;
};

// Measures durations with another measurer and, while the output type copies the streams, asks for
// each added file's facts at the same time.
class CopyFactsPrefetcher final : public DurationMeasurer {
public:
    CopyFactsPrefetcher(DurationMeasurer& measurer, const CopyCutGuide& guide)
        : m_measurer(measurer), m_guide(guide) {}

    void Measure(const std::string& path, Done done) override;

private:
    DurationMeasurer& m_measurer;
    const CopyCutGuide& m_guide;
};
