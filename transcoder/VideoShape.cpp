#include "transcoder/VideoShape.h"

#include <array>
#include <cmath>
#include <sstream>

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavutil/display.h>
}

#include "transcoder/FilterChain.h"
#include "transcoder/TranscodeError.h"

namespace {

constexpr double kTurnTolerance = 1.0;
constexpr double kFullTurn = 360.0;

// Filters that only reshape, turn or retime the picture.
constexpr std::array kPictureFilters{"scale",  "crop",   "pad", "transpose", "hflip", "vflip", "setsar",
                                     "setdar", "format", "fps", "null",      "yadif", "bwdif", "setpts"};

bool IsPictureFilter(const std::string& name) {
    for (const char* allowed : kPictureFilters)
        if (name == allowed)
            return true;
    return false;
}

// The matrix's turn and the filters that undo it, as the ffmpeg command applies them.
std::string TurnFilters(const AVStream& stream, int& turn) {
    const auto* matrix = reinterpret_cast<const int32_t*>(
        av_stream_get_side_data(&stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr));
    turn = 0;
    if (!matrix)
        return "";
    double theta = -std::round(av_display_rotation_get(matrix));
    theta -= kFullTurn * std::floor(theta / kFullTurn + 0.9 / kFullTurn);
    if (std::fabs(theta - 90) < kTurnTolerance) {
        turn = 90;
        return matrix[3] > 0 ? "transpose=cclock_flip," : "transpose=clock,";
    }
    if (std::fabs(theta - 180) < kTurnTolerance) {
        turn = 180;
        return std::string(matrix[0] < 0 ? "hflip," : "") + (matrix[4] < 0 ? "vflip," : "");
    }
    if (std::fabs(theta - 270) < kTurnTolerance) {
        turn = 270;
        return matrix[3] < 0 ? "transpose=clock_flip," : "transpose=cclock,";
    }
    return std::fabs(theta) < kTurnTolerance && matrix[4] < 0 ? "vflip," : "";
}

// Builds the filters on a picture of the stream's format and reads the size they give.
UprightPicture Probe(const AVCodecParameters& source, std::string filters) {
    const int format = source.format >= 0 ? source.format : AV_PIX_FMT_YUV420P;
    const AVRational sar = source.sample_aspect_ratio.num > 0 ? source.sample_aspect_ratio : AVRational{1, 1};
    std::ostringstream args;
    args << "time_base=1/25:video_size=" << source.width << "x" << source.height << ":pix_fmt=" << format
         << ":pixel_aspect=" << sar.num << "/" << sar.den;
    const FilterChain chain("buffer", args.str(), filters + "null");
    UprightPicture picture;
    picture.width = chain.OutputWidth();
    picture.height = chain.OutputHeight();
    picture.sampleAspect = chain.OutputSampleAspect();
    picture.filters = std::move(filters);
    return picture;
}

} // namespace

int UprightTurn(const AVStream& stream) {
    int turn = 0;
    TurnFilters(stream, turn);
    return turn;
}

void CheckVideoFilter(const std::string& graph) {
    // One chain: filters split by ",", each NAME or NAME=ARGS; no labels, no second chain.
    if (graph.find_first_of(";[]") != std::string::npos)
        throw TranscodeError("The video filter graph must be one chain without labels: '" + graph + "'");
    std::istringstream chain(graph);
    for (std::string filter; std::getline(chain, filter, ',');) {
        const std::string name = filter.substr(0, filter.find('='));
        if (!IsPictureFilter(name))
            throw TranscodeError("Filter '" + name + "' is not accepted in -vf");
    }
}

UprightPicture ShapeUpright(const AVStream& stream, const std::optional<std::string>& graph) {
    int turn = 0;
    std::string filters = TurnFilters(stream, turn);
    if (graph) {
        CheckVideoFilter(*graph);
        filters += *graph + ",";
    }
    const AVCodecParameters& source = *stream.codecpar;
    if (filters.empty()) {
        const AVRational sar =
            source.sample_aspect_ratio.num > 0 ? source.sample_aspect_ratio : AVRational{1, 1};
        return UprightPicture{source.width, source.height, sar, ""};
    }
    return Probe(source, std::move(filters));
}
