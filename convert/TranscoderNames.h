#pragma once

// The transcoder's executable names in the program folder: rtrenc for RealMedia sources (read
// through the script), trenc for every other. A file is done when no process has either name.
inline constexpr const char* TranscoderName = "trenc";
inline constexpr const char* RealMediaTranscoderName = "rtrenc";
