#pragma once

// The transcoder's executable names in the program folder: rtrenc for RealMedia sources (read
// through the script), trenc for every other. The batch starts them by their full path and waits
// only for the child it started, never for other processes of these names.
inline constexpr const char* TranscoderName = "trenc";
inline constexpr const char* RealMediaTranscoderName = "rtrenc";
