#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include <QObject>
#include <QThreadPool>

#include "sources/CopySourceCache.h"
#include "support/SystemServices.h"

// Reads the facts on a worker thread; each result comes back through the window's event loop, and
// FactsRead tells the views. Work not begun when the cache goes is dropped, and results not yet
// delivered are never delivered.
class QtCopySourceCache final : public QObject, public CopySourceCache {
    Q_OBJECT

public:
    // One worker: the duration measurer and the thumbnails have theirs, and reading an MPEG-TS file
    // reads all of it.
    static constexpr int Workers = 1;

    // probe is used on the worker thread; pump lets window events run while WaitForFacts waits.
    QtCopySourceCache(CopySourceProbe& probe, EventPump& pump, QObject* parent = nullptr);
    ~QtCopySourceCache() override;

    void Request(const std::string& path) override;
    const CopySourceFacts* FactsOf(const std::string& path) const override;
    void WaitForFacts(const std::vector<std::string>& paths) override;

signals:
    void FactsRead(const QString& path);

private:
    void Read(const std::string& path, const CopySourceFacts& facts);

    CopySourceProbe& m_probe;
    EventPump& m_pump;
    std::map<std::string, CopySourceFacts> m_read;
    std::set<std::string> m_reading;
    QThreadPool m_pool;
};
