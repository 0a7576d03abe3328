#pragma once

#include <string>
#include <vector>

#include "convert/BatchResult.h"

// What the summary window shows at the end of a batch that did not convert every file.
struct BatchSummary {
    std::vector<RowResult> rows;
    std::string outputFolder; // the button opens it
    std::string note;         // e.g. that the power-off was skipped; empty for none
};

// The summary window, as the batch asks for it. The Qt window implements it; tests record it.
class BatchSummaryView {
public:
    virtual ~BatchSummaryView() = default;
    virtual void ShowSummary(const BatchSummary& summary) = 0;
};
