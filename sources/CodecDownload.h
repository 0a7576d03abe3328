#pragma once

#include "support/SystemServices.h"

// Where users are sent to install the codecs their media files need: a page that tells Linux users
// how to install their distribution's FFmpeg codecs. Installation data, kept in this one place.
extern const char* const CodecDownloadAddress;

// Opens the codec download address in the desktop's web browser. A missing browser is not reported.
void OpenCodecDownload(Shell& shell);
