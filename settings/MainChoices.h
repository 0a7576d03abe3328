#pragma once

#include <functional>
#include <string>

// The main window's choices that outlive a run: the output folder and the two end-of-batch boxes.
// The window shows them; the settings load and save them; the batch reads them.
class MainChoices {
public:
    explicit MainChoices(std::string outputFolder) : m_outputFolder(std::move(outputFolder)) {}

    const std::string& edtOutputFolder() const { return m_outputFolder; }
    bool chkShowOutputDirectory() const { return m_showOutputDirectory; }
    bool chkShutdown() const { return m_shutdown; }
    // Quick batches: the next file starts as soon as the previous one is done and checked, without
    // the fixed pauses. Off unless the user turns it on.
    bool QuickBatch() const { return m_quickBatch; }

    void SetOutputFolder(const std::string& folder) {
        m_outputFolder = folder;
        Notify();
    }
    void SetShowOutputDirectory(bool checked) {
        m_showOutputDirectory = checked;
        Notify();
    }
    void SetShutdown(bool checked) {
        m_shutdown = checked;
        Notify();
    }

    void SetQuickBatch(bool quick) {
        m_quickBatch = quick;
        Notify();
    }

    void SetObserver(std::function<void()> observer) { m_observer = std::move(observer); }

private:
    void Notify() const {
        if (m_observer)
            m_observer();
    }

    std::string m_outputFolder;
    bool m_showOutputDirectory = true; // the window layout starts it checked; the load sets both
    bool m_shutdown = false;
    bool m_quickBatch = false;
    std::function<void()> m_observer;
};
