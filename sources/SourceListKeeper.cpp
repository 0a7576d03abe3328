#include "sources/SourceListKeeper.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/FileDescriptor.h"
#include "support/PosixDiskSync.h"

namespace {

// A kept list is a few hundred bytes a row; anything far larger is no list of ours.
constexpr off_t LargestListBytes = 64 << 20;
// The list names the user's files: only the user reads it.
constexpr std::filesystem::perms ListFilePermissions =
    std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;

} // namespace

std::string ReplaceFileContent(const std::string& path, const std::string& content) {
    PosixDiskSync sync;
    const auto failure =
        ReplaceWholeFileContent(path, content, {LinkPolicy::Refuse, ListFilePermissions, &sync});
    if (!failure)
        return {};
    if (failure->notRegularFile)
        return "\"" + path + "\" is not a regular file; it was left as it is.";
    return "Cannot write \"" + path + "\". " + failure->reason;
}

BackgroundFileWriter::BackgroundFileWriter(std::string path, Report report)
    : m_path(std::move(path)), m_report(std::move(report)), m_thread([this] { Run(); }) {}

BackgroundFileWriter::~BackgroundFileWriter() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void BackgroundFileWriter::Write(std::string content) {
    {
        const std::lock_guard lock(m_mutex);
        m_waiting = std::move(content);
    }
    m_wake.notify_one();
}

void BackgroundFileWriter::WaitUntilWritten() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_waiting && !m_writing; });
}

void BackgroundFileWriter::Run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_waiting || m_stopping; });
        if (!m_waiting)
            return; // stopping with nothing left to write
        const std::string content = std::move(*m_waiting);
        m_waiting.reset();
        m_writing = true;
        lock.unlock();
        const std::string reason = ReplaceFileContent(m_path, content);
        if (!reason.empty() && m_report)
            m_report(reason);
        lock.lock();
        m_writing = false;
        m_idle.notify_all();
    }
}

SourceListKeeper::SourceListKeeper(SourceList& rows, const std::string& folder,
                                   std::function<void(const std::string&)> report, QObject* parent)
    : QObject(parent), m_rows(rows), m_path(folder + FileName), m_report(std::move(report)),
      m_writer(m_path, [this](const std::string& reason) {
          QMetaObject::invokeMethod(
              this, [this, reason] { Report(reason); }, Qt::QueuedConnection);
      }) {
    m_delay.setSingleShot(true);
    m_delay.setInterval(SaveDelayMs);
    connect(&m_delay, &QTimer::timeout, this, &SourceListKeeper::Save);
    m_rows.SetContentHandler([this] { m_delay.start(); });
}

SourceListKeeper::~SourceListKeeper() {
    m_rows.SetContentHandler(nullptr);
}

std::vector<SavedSourceRow> SourceListKeeper::Load() {
    FileDescriptor file(::open(m_path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.IsOpen()) {
        if (errno != ENOENT)
            Report("The last list of files could not be read from \"" + m_path + "\". " +
                   std::strerror(errno));
        return {};
    }
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > LargestListBytes) {
        Report("\"" + m_path + "\" is not a list of files; the last list was not restored.");
        return {};
    }
    std::string text(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t got = 0;
    while (got < text.size()) {
        const ssize_t read = ::read(file.Get(), text.data() + got, text.size() - got);
        if (read < 0 && errno == EINTR)
            continue;
        if (read <= 0)
            break;
        got += static_cast<std::size_t>(read);
    }
    text.resize(got);
    return ParseSavedSourceList(text);
}

void SourceListKeeper::Save() {
    m_writer.Write(SavedSourceListText(m_rows));
}

void SourceListKeeper::SaveNow() {
    m_delay.stop();
    Save();
    m_writer.WaitUntilWritten();
}

void SourceListKeeper::Report(const std::string& reason) {
    if (reason == m_lastReason || !m_report)
        return;
    m_lastReason = reason;
    m_report(reason);
}
