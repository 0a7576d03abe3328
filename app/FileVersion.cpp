// The program's FileVersion text, kept in a section of its own that GetVersionText reads back from
// the executable file. RIVAMO_FILE_VERSION is the project's version, set by the build.
#include "app/VersionResource.h"

extern "C" {
[[gnu::used, gnu::section(".rivamo.fileversion")]] const char RivamoFileVersion[] = RIVAMO_FILE_VERSION;
}
