#include "app/ProductInfo.h"

#include "support/Text.h"

namespace {

constexpr int Text0Id = 0;
constexpr int ProductNameId = 1;
constexpr int Text2Id = 2;
constexpr int HomePageId = 4;
constexpr int EMailId = 5;
constexpr int Text7Id = 7;

bool IsContinuationByte(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0U) == 0x80U;
}

// The length of the UTF-8 sequence that a lead byte starts; 1 for ASCII and stray bytes.
std::size_t SequenceLength(char lead) {
    const auto byte = static_cast<unsigned char>(lead);
    if (byte >= 0xF0U)
        return 4;
    if (byte >= 0xE0U)
        return 3;
    if (byte >= 0xC0U)
        return 2;
    return 1;
}

} // namespace

std::string VersionFromFileVersion(const std::string& fileVersion) {
    std::string version;
    int taken = 0;
    for (const std::string& piece : SplitText(fileVersion, '.')) {
        if (piece.empty())
            continue;
        version += (taken == 0 ? "" : ".") + piece;
        if (++taken == 2)
            break;
    }
    return version;
}

std::string CutResourceString(const std::string& text) {
    if (text.size() <= ResourceStringLimit)
        return text;
    std::string cut = text.substr(0, ResourceStringLimit);
    std::size_t lead = cut.size();
    while (lead > 0 && cut.size() - lead < 3 && IsContinuationByte(cut[lead - 1]))
        --lead;
    if (lead > 0 && SequenceLength(cut[lead - 1]) > cut.size() - lead + 1)
        cut.resize(lead - 1);
    return cut;
}

std::string CaptionOf(const RecSoftInfo& info) {
    return info.ProductName + " " + info.Version;
}

void FillProductInfo(RecSoftInfo& info, const std::function<std::string(int id)>& readString,
                     const std::string& versionText) {
    const auto read = [&readString](int id) { return CutResourceString(readString(id)); };
    info.Text0 = read(Text0Id);
    info.ProductName = read(ProductNameId);
    info.Text2 = read(Text2Id);
    info.Version = versionText;
    info.HomePage = read(HomePageId);
    info.EMail = read(EMailId);
    info.Text7 = read(Text7Id);
}
