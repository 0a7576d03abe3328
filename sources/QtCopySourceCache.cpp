#include "sources/QtCopySourceCache.h"

#include <chrono>
#include <exception>
#include <thread>

namespace {

// How long a wait for facts sleeps between two turns of the window's events.
constexpr std::chrono::milliseconds FactsPoll{5};

} // namespace

QtCopySourceCache::QtCopySourceCache(CopySourceProbe& probe, EventPump& pump, QObject* parent)
    : QObject(parent), m_probe(probe), m_pump(pump) {
    m_pool.setMaxThreadCount(Workers);
}

QtCopySourceCache::~QtCopySourceCache() {
    m_pool.clear();
    m_pool.waitForDone();
}

void QtCopySourceCache::Request(const std::string& path) {
    if (m_read.count(path) != 0 || !m_reading.insert(path).second)
        return;
    m_pool.start([this, path] {
        CopySourceFacts facts;
        std::exception_ptr error;
        try {
            facts = m_probe.Probe(path);
        } catch (...) {
            error = std::current_exception();
        }
        // An error is raised on the window thread, where the general error report shows it; the file
        // then counts as one whose facts are unknown.
        QMetaObject::invokeMethod(
            this,
            [this, path, facts = std::move(facts), error] {
                Read(path, facts);
                if (error)
                    std::rethrow_exception(error);
            },
            Qt::QueuedConnection);
    });
}

void QtCopySourceCache::Read(const std::string& path, const CopySourceFacts& facts) {
    m_reading.erase(path);
    m_read.emplace(path, facts);
    emit FactsRead(QString::fromLocal8Bit(path));
}

const CopySourceFacts* QtCopySourceCache::FactsOf(const std::string& path) const {
    const auto read = m_read.find(path);
    return read == m_read.end() ? nullptr : &read->second;
}

void QtCopySourceCache::WaitForFacts(const std::vector<std::string>& paths) {
    for (const std::string& path : paths)
        Request(path);
    const auto waiting = [&] {
        for (const std::string& path : paths)
            if (m_read.count(path) == 0)
                return true;
        return false;
    };
    while (waiting()) {
        m_pump.Pump();
        if (waiting())
            std::this_thread::sleep_for(FactsPoll);
    }
}
