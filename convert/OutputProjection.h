#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "convert/SizeEstimator.h"
#include "profiles/OptionSelection.h"
#include "settings/MainChoices.h"
#include "sources/CopySource.h"
#include "sources/SourceList.h"

// The bitrates an output is written with. The classic profiles fix every bitrate, so the size of
// such an output is known before it is converted; for constant quality and lossless outputs they
// are the ceiling, and the size is estimated from samples.
struct OutputBitrates {
    double videoKbps = 0;
    double audioKbps = 0;
    bool audioOnly = false;
};

// The bitrates of the current selection: the output type's codec argument decides whether video is
// written; the bitrate lists give the rates (the command line's fallbacks when a list has none).
OutputBitrates SelectedBitrates(const OptionSelection& options);

// The projected size in bytes of `seconds` of output.
int64_t ProjectedBytes(const OutputBitrates& bitrates, int64_t seconds);

// End minus start of a row in whole seconds, as the command line computes it; 0 for times that
// cannot be read or an end before the start.
int64_t RowCutSeconds(const SourceList& sources, std::size_t row);

// True when the size of the selected output type depends on the picture and sound.
bool SizeIsEstimated(const OptionSelection& options);

// The samples to encode for a row under the current selection.
EstimateRequest RowEstimateRequest(const OptionSelection& options, const SourceList& sources,
                                   std::size_t row);

// True when the selected output type copies every stream: its size is the bytes copied.
bool CopiesStreams(const OptionSelection& options);

// What the projection of a copy needs: where the facts of a source are read, and how it cuts.
struct CopyProjection {
    CopySourceProbe* probe = nullptr;
    CutMode mode = CutMode::Exact;
};

// The bytes a copy of a row writes: the source's bytes in proportion to the time from the cut's
// real start to its end; no value when the source's size or duration is not known.
std::optional<int64_t> CopyRowBytes(const SourceList& sources, std::size_t row, const CopyProjection& copy);

// The tooltip of a row's cut time: "Projected output: about 1.2 MB", or for an estimated type
// "Estimated output: about 45 MB" once the estimator has it (and the ceiling until then).
std::string ProjectionText(const OptionSelection& options, const SourceList& sources, std::size_t row,
                           SizeEstimator* estimator = nullptr, const CopyProjection& copy = {});
