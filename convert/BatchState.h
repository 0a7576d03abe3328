#pragma once

#include <cstdint>
#include <string>

#include "convert/ConvertCommand.h"

// The state of a batch: one object, owned by the batch driver. The driver writes it as it walks
// the rows; the progress window's logic counts the chunks and, on a confirmed stop or close, moves
// RowIndex past the end and sets Stopped.
struct BatchState {
    int32_t FilesDone = 0;    // rows whose transcoder run has ended in this batch
    int32_t CheckedCount = 0; // rows checked when the batch started, less those found bad before it
    int32_t ChunkCount = 0;   // output chunks received for the current file
    int32_t RowIndex = 0;     // the row the batch is at
    bool Stopped = false;     // the user stopped the batch with the stop button
    std::string SourcePath;   // the current row's File Name (for RealMedia the script reads it)
    // The last command built; kept after the batch, since the end action opens its output folder.
    ConvertCommand command;
};
