#pragma once

#include <string>
#include <vector>

#include "app/ProductInfo.h"

// The companion libraries in the program folder, each loaded by its full path for one operation
// and unloaded after it, also when the operation fails.
inline constexpr const char* UifaceLibraryName = "Uiface.so";
inline constexpr const char* BrandingLibraryName = "Branding.so";

// Fills RecSoftInfo from Branding.so's string table (every field but AppPath) with the version of
// the executable given. Without Branding.so every text is empty.
RecSoftInfo LoadProductInfo(const std::string& programFolder, const std::string& executablePath);

// The splash picture of Branding.so as JPEG bytes; empty when the library or the picture is missing.
std::vector<unsigned char> LoadSplashPicture(const std::string& programFolder);

// Shows the About dialog of Uiface.so with the product information and returns when it has closed.
// Does nothing when the library or its ShowAboutForm is missing.
void ShowAbout(const std::string& programFolder, const RecSoftInfo& info);
