#include "sources/OpenDialogFilter.h"

#include "support/Text.h"

const char* const SourceFileFilter =
    "Supported Files|*.3gp;*.mp4;*.m4v;*.mpeg;*.3g2;*.mpg;*.avi;*.asf;*.mov;*.wmv;*.flv;*.swf;*.vob;"
    "*.rm;*.rmvb;*.mkv;*.webm;*.ts;*.m2ts;*.mts;*.ogv;|"
    "3GP, 3G2 Files (*.3gp,*.3g2)|*.3gp|AVI Files (*.avi)|*.avi|ASF Files (*.asf)|*.asf|"
    "MOV Files (*.mov)|*.mov|FLV ,SWF Flash Video (*.flv,swf)|*.flv;*.swf|"
    "MP4 File (*.mp4,*.m4v)|*.mp4;*.m4v|MPEG Files (*.mpeg,*.mpg)|*.mpeg;*.mpg|"
    "VOB Video Files (*.vob)|*.vob|WMV Video Files (*.wmv)|*.wmv|"
    "RealMedia Files (*.rm,*.rmvb)|*.rm;*.rmvb|Matroska, WebM Files (*.mkv,*.webm)|*.mkv;*.webm|"
    "MPEG-TS Files (*.ts,*.m2ts,*.mts)|*.ts;*.m2ts;*.mts|Ogg Video Files (*.ogv)|*.ogv";

namespace {

std::string BlankSeparatedPatterns(const std::string& patterns) {
    std::string joined;
    for (const auto& pattern : SplitText(patterns, ';')) {
        if (pattern.empty())
            continue;
        if (!joined.empty())
            joined += ' ';
        joined += pattern;
    }
    return joined;
}

} // namespace

std::vector<std::string> NameFiltersOf(const std::string& filter) {
    const std::vector<std::string> pieces = SplitText(filter, '|');
    std::vector<std::string> nameFilters;
    for (std::size_t i = 0; i < pieces.size(); i += 2) {
        const std::string patterns = i + 1 < pieces.size() ? BlankSeparatedPatterns(pieces[i + 1]) : "";
        nameFilters.push_back(patterns.empty() ? pieces[i] : pieces[i] + " (" + patterns + ")");
    }
    return nameFilters;
}
