#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <QObject>
#include <QTimer>

#include "sources/SavedSourceList.h"

// Replaces the file's content at once (ReplaceWholeFileContent, flushed to the disk), so the file is
// always either the old or the new text. Refuses a path that names anything but a regular file (a
// link, a folder, a device) and a read-only file or folder. The reason when it failed, empty
// otherwise.
std::string ReplaceFileContent(const std::string& path, const std::string& content);

// Writes the latest text it was given on a thread of its own; a text given while a write runs
// replaces any text still waiting, so only the newest reaches the file.
class BackgroundFileWriter {
public:
    using Report = std::function<void(const std::string& reason)>;

    // report is called on the writer's thread with the reason a write failed.
    BackgroundFileWriter(std::string path, Report report);
    // Finishes the waiting write.
    ~BackgroundFileWriter();
    BackgroundFileWriter(const BackgroundFileWriter&) = delete;
    BackgroundFileWriter& operator=(const BackgroundFileWriter&) = delete;

    void Write(std::string content);
    // Returns when every text given so far is written (or failed).
    void WaitUntilWritten();

private:
    void Run();

    const std::string m_path;
    const Report m_report;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<std::string> m_waiting;
    bool m_writing = false;
    bool m_stopping = false;
    std::thread m_thread; // last: starts when the rest is ready
};

// Keeps the source list's rows (path, check, start and end) in a file of their own while they
// change, a short while after each change, so the list comes back at the next start, also after
// the program was killed. The file is written away from the window's thread.
class SourceListKeeper final : public QObject {
    Q_OBJECT

public:
    static constexpr const char* FileName = "SourceList.txt";
    static constexpr int SaveDelayMs = 300;

    // folder: the user's data folder, with a trailing "/". report names a file that could not be
    // read or written, on the window's thread, once for each new reason.
    SourceListKeeper(SourceList& rows, const std::string& folder,
                     std::function<void(const std::string&)> report, QObject* parent = nullptr);
    ~SourceListKeeper() override;

    // The rows kept by the last run; none when there is no file yet.
    std::vector<SavedSourceRow> Load();
    // Writes the rows as they are now and waits for the write (before the program ends).
    void SaveNow();

private:
    void Save();
    void Report(const std::string& reason);

    SourceList& m_rows;
    const std::string m_path;
    std::function<void(const std::string&)> m_report;
    std::string m_lastReason;
    QTimer m_delay;
    BackgroundFileWriter m_writer;
};
