#include "sources/CodecDownload.h"

const char* const CodecDownloadAddress = "https://wiki.debian.org/Multimedia";

void OpenCodecDownload(Shell& shell) {
    shell.OpenAddress(CodecDownloadAddress);
}
