#include "app/Companions.h"

#include "app/VersionResource.h"
#include "companions/SoftInfo.h"
#include "support/SharedLibrary.h"

RecSoftInfo LoadProductInfo(const std::string& programFolder, const std::string& executablePath) {
    const SharedLibrary branding(programFolder + BrandingLibraryName);
    const auto brandingString = branding.FunctionNamed<BrandingStringFunction>(RIVAMO_BRANDING_STRING);
    RecSoftInfo info;
    FillProductInfo(
        info,
        [brandingString](int id) {
            const char* text = brandingString != nullptr ? brandingString(id) : nullptr;
            return std::string(text != nullptr ? text : "");
        },
        GetVersionText(executablePath));
    return info;
}

std::vector<unsigned char> LoadSplashPicture(const std::string& programFolder) {
    const SharedLibrary branding(programFolder + BrandingLibraryName);
    const auto imgFlash = branding.FunctionNamed<BrandingImgFlashFunction>(RIVAMO_BRANDING_IMG_FLASH);
    if (imgFlash == nullptr)
        return {};
    unsigned long size = 0;
    const unsigned char* bytes = imgFlash(&size);
    if (bytes == nullptr)
        return {};
    return {bytes, bytes + size};
}

void ShowAbout(const std::string& programFolder, const RecSoftInfo& info) {
    const SharedLibrary uiface(programFolder + UifaceLibraryName);
    const auto showAboutForm = uiface.FunctionNamed<ShowAboutFormFunction>(RIVAMO_SHOW_ABOUT_FORM);
    if (showAboutForm == nullptr)
        return;
    const RivamoSoftInfo abi{info.Text0.c_str(),   info.ProductName.c_str(), info.Text2.c_str(),
                             info.Version.c_str(), info.HomePage.c_str(),    info.EMail.c_str(),
                             info.Text7.c_str(),   info.AppPath.c_str()};
    showAboutForm(&abi);
}
