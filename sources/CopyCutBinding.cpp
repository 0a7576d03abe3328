#include "sources/CopyCutBinding.h"

#include <utility>

#include "sources/CopyCutGuide.h"
#include "sources/QtCopySourceCache.h"
#include "sources/SourceList.h"
#include "sources/SourceListModel.h"
#include "sources/TrimBar.h"

TCopyCutBinding::TCopyCutBinding(QtCopySourceCache& cache, const CopyCutGuide& guide, const SourceList& rows,
                                 SourceListModel& model, TrimBar& bar, QObject* parent)
    : QObject(parent), m_guide(guide), m_rows(rows), m_model(model), m_bar(bar) {
    m_model.SetStartTimeShown([this](std::size_t row) {
        return m_guide.RealStart(m_rows.Cell(row, colFileName), m_rows.Cell(row, colStartTime));
    });
    connect(&cache, &QtCopySourceCache::FactsRead, this, &TCopyCutBinding::ShowFacts);
}

void TCopyCutBinding::ChoiceChanged() {
    for (std::size_t row = 0; row < m_rows.RowCount(); ++row)
        m_guide.Prefetch(m_rows.Cell(row, colFileName));
    ShowFacts();
}

void TCopyCutBinding::ShowFacts() {
    m_model.StartTimesChanged();
    m_bar.ShowKeyFrames();
}

void CopyFactsPrefetcher::Measure(const std::string& path, Done done) {
    m_guide.Prefetch(path);
    m_measurer.Measure(path, std::move(done));
}
