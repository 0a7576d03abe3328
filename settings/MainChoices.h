#pragma once

#include <functional>
#include <string>

// How a cut without re-encoding starts: exactly at the chosen time where the source allows it
// (only the pictures up to the next key frame are re-encoded), or at the key frame at or before it.
enum class CutMode { Exact, KeyFrames };

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
    // How the output type "Same as source, no re-encoding" cuts; exact unless the user chose otherwise.
    CutMode Cut() const { return m_cut; }

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

    void SetCut(CutMode cut) {
        m_cut = cut;
        Notify();
        if (m_cutObserver)
            m_cutObserver();
    }

    void SetObserver(std::function<void()> observer) { m_observer = std::move(observer); }
    // Told after the cut mode is set, besides the observer: the views that show where cuts start.
    void SetCutObserver(std::function<void()> observer) { m_cutObserver = std::move(observer); }

private:
    void Notify() const {
        if (m_observer)
            m_observer();
    }

    std::string m_outputFolder;
    bool m_showOutputDirectory = true; // the window layout starts it checked; the load sets both
    bool m_shutdown = false;
    bool m_quickBatch = false;
    CutMode m_cut = CutMode::Exact;
    std::function<void()> m_observer;
    std::function<void()> m_cutObserver;
};
