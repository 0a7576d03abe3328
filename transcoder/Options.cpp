#include "transcoder/Options.h"

#include <array>
#include <cctype>
#include <cmath>
#include <functional>
#include <map>
#include <utility>

#include "transcoder/TargetPreset.h"

namespace {

constexpr int kMaxDimension = 16384;
constexpr int kMaxChannels = 64;
constexpr int kMaxSampleRate = 768000;
constexpr int kMaxVolume = 65536;
constexpr int64_t kMicroseconds = 1000000;
// The widest constant-quality scale of the encoders (VP9 and AV1: 0-63); each encoder checks its own.
constexpr int kMaxQuality = 63;
constexpr int kMaxCpuUsed = 16;
constexpr size_t kMaxNameLength = 32;
constexpr size_t kTagLength = 4;

struct NamedSize {
    const char* name;
    FrameSize size;
};

// The size abbreviations FFmpeg accepts for -s.
constexpr std::array kSizeAbbreviations{
    NamedSize{"ntsc", {720, 480}},      NamedSize{"pal", {720, 576}},       NamedSize{"qntsc", {352, 240}},
    NamedSize{"qpal", {352, 288}},      NamedSize{"sntsc", {640, 480}},     NamedSize{"spal", {768, 576}},
    NamedSize{"film", {352, 240}},      NamedSize{"ntsc-film", {352, 240}}, NamedSize{"sqcif", {128, 96}},
    NamedSize{"qcif", {176, 144}},      NamedSize{"cif", {352, 288}},       NamedSize{"4cif", {704, 576}},
    NamedSize{"16cif", {1408, 1152}},   NamedSize{"qqvga", {160, 120}},     NamedSize{"qvga", {320, 240}},
    NamedSize{"vga", {640, 480}},       NamedSize{"svga", {800, 600}},      NamedSize{"xga", {1024, 768}},
    NamedSize{"uxga", {1600, 1200}},    NamedSize{"qxga", {2048, 1536}},    NamedSize{"sxga", {1280, 1024}},
    NamedSize{"qsxga", {2560, 2048}},   NamedSize{"hsxga", {5120, 4096}},   NamedSize{"wvga", {852, 480}},
    NamedSize{"wxga", {1366, 768}},     NamedSize{"wsxga", {1600, 1024}},   NamedSize{"wuxga", {1920, 1200}},
    NamedSize{"woxga", {2560, 1600}},   NamedSize{"wqsxga", {3200, 2048}},  NamedSize{"wquxga", {3840, 2400}},
    NamedSize{"whsxga", {6400, 4096}},  NamedSize{"whuxga", {7680, 4800}},  NamedSize{"cga", {320, 200}},
    NamedSize{"ega", {640, 350}},       NamedSize{"hd480", {852, 480}},     NamedSize{"hd720", {1280, 720}},
    NamedSize{"hd1080", {1920, 1080}},  NamedSize{"2k", {2048, 1080}},      NamedSize{"2kflat", {1998, 1080}},
    NamedSize{"2kscope", {2048, 858}},  NamedSize{"4k", {4096, 2160}},      NamedSize{"4kflat", {3996, 2160}},
    NamedSize{"4kscope", {4096, 1716}}, NamedSize{"nhd", {640, 360}},       NamedSize{"hqvga", {240, 160}},
    NamedSize{"wqvga", {400, 240}},     NamedSize{"fwqvga", {432, 240}},    NamedSize{"hvga", {480, 320}},
    NamedSize{"qhd", {960, 540}},       NamedSize{"2kdci", {2048, 1080}},   NamedSize{"4kdci", {4096, 2160}},
    NamedSize{"uhd2160", {3840, 2160}}, NamedSize{"uhd4320", {7680, 4320}},
};

struct NamedRate {
    const char* name;
    Rational rate;
};

constexpr std::array kRateAbbreviations{
    NamedRate{"ntsc", {30000, 1001}},  NamedRate{"pal", {25, 1}},
    NamedRate{"qntsc", {30000, 1001}}, NamedRate{"qpal", {25, 1}},
    NamedRate{"sntsc", {30000, 1001}}, NamedRate{"spal", {25, 1}},
    NamedRate{"film", {24, 1}},        NamedRate{"ntsc-film", {24000, 1001}},
};

[[noreturn]] void InvalidValue(const std::string& option, const std::string& value) {
    throw OptionError("Invalid value '" + value + "' for option '" + option + "'");
}

int ParseInteger(const std::string& option, const std::string& value, int minimum, int maximum) {
    if (value.empty() || value.size() > 9 || value.find_first_not_of("0123456789") != std::string::npos)
        InvalidValue(option, value);
    const int number = std::stoi(value);
    if (number < minimum || number > maximum)
        InvalidValue(option, value);
    return number;
}

std::optional<double> ParseDecimal(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos ||
        text.find('.') != text.rfind('.') || text == ".")
        return std::nullopt;
    return std::stod(text);
}

// Preset, pixel-format and flag names: letters, digits and "_+-" only, so a value never carries an
// option list of its own (no ":" or "=").
std::string ParseName(const std::string& option, const std::string& value,
                      size_t maxLength = kMaxNameLength) {
    if (value.empty() || value.size() > maxLength)
        InvalidValue(option, value);
    for (const char c : value)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '+' && c != '-')
            InvalidValue(option, value);
    return value;
}

std::string ParseTag(const std::string& option, const std::string& value) {
    if (value.size() != kTagLength)
        InvalidValue(option, value);
    return ParseName(option, value);
}

} // namespace

int64_t ParseBitrate(const std::string& option, const std::string& value) {
    // A plain number is kbit/s, as the option lists give it; k and M are FFmpeg's suffixes.
    double scale = 1000.0;
    std::string digits = value;
    if (!digits.empty() && (digits.back() == 'k' || digits.back() == 'K')) {
        digits.pop_back();
    } else if (!digits.empty() && digits.back() == 'M') {
        digits.pop_back();
        scale = 1000000.0;
    }
    const auto number = ParseDecimal(digits);
    if (!number || *number <= 0 || *number * scale > 1e10)
        InvalidValue(option, value);
    return std::llround(*number * scale);
}

FrameSize ParseFrameSize(const std::string& option, const std::string& value) {
    for (const auto& named : kSizeAbbreviations)
        if (value == named.name)
            return named.size;
    const auto x = value.find('x');
    if (x == std::string::npos)
        InvalidValue(option, value);
    return {ParseInteger(option, value.substr(0, x), 1, kMaxDimension),
            ParseInteger(option, value.substr(x + 1), 1, kMaxDimension)};
}

Rational ParseFrameRate(const std::string& option, const std::string& value) {
    for (const auto& named : kRateAbbreviations)
        if (value == named.name)
            return named.rate;
    const auto rate = RationalFromText(value);
    if (!rate || rate->num <= 0 || rate->ToDouble() > 1000.0 || rate->den > 1000000000)
        InvalidValue(option, value);
    return *rate;
}

Rational ParseAspect(const std::string& option, const std::string& value) {
    const auto aspect = RationalFromText(value);
    if (!aspect || aspect->num <= 0 || aspect->ToDouble() > 100.0 || aspect->ToDouble() < 0.01)
        InvalidValue(option, value);
    return *aspect;
}

int64_t ParseTimeMicroseconds(const std::string& option, const std::string& value) {
    // [[HH:]MM:]SS[.fraction]
    std::vector<std::string> pieces;
    size_t begin = 0;
    for (size_t colon; (colon = value.find(':', begin)) != std::string::npos; begin = colon + 1)
        pieces.push_back(value.substr(begin, colon - begin));
    pieces.push_back(value.substr(begin));
    if (pieces.size() > 3)
        InvalidValue(option, value);
    const auto seconds = ParseDecimal(pieces.back());
    if (!seconds || *seconds > 1e9)
        InvalidValue(option, value);
    int64_t total = std::llround(*seconds * kMicroseconds);
    int64_t unit = 60 * kMicroseconds;
    for (auto piece = pieces.rbegin() + 1; piece != pieces.rend(); ++piece, unit *= 60)
        total += ParseInteger(option, *piece, 0, 1000000) * unit;
    return total;
}

namespace {

using Setter = std::function<void(const std::string& option, const std::string& value)>;

// The options of the modern outputs (MP4, WebM and their audio-only kin); see transcoder/README.md.
void AddModernOptions(std::map<std::string, Setter>& withValue, TranscodeOptions& options) {
    withValue.insert({
        {"-crf", [&](auto& o, auto& v) { options.constantQuality = ParseInteger(o, v, 0, kMaxQuality); }},
        {"-maxrate", [&](auto& o, auto& v) { options.maxRate = ParseBitrate(o, v); }},
        {"-bufsize", [&](auto& o, auto& v) { options.bufferSize = ParseBitrate(o, v); }},
        {"-preset", [&](auto& o, auto& v) { options.preset = ParseName(o, v); }},
        {"-pix_fmt", [&](auto& o, auto& v) { options.pixelFormat = ParseName(o, v); }},
        {"-vf", [&](auto&, auto& v) { options.videoFilter = v; }},
        {"-filter:v", [&](auto&, auto& v) { options.videoFilter = v; }},
        {"-movflags", [&](auto& o, auto& v) { options.movFlags = ParseName(o, v); }},
        {"-tag:v", [&](auto& o, auto& v) { options.videoTag = ParseTag(o, v); }},
        {"-cpu-used", [&](auto& o, auto& v) { options.cpuUsed = ParseInteger(o, v, 0, kMaxCpuUsed); }},
    });
}

// Stream copy: -c for every kind of stream, -map 0 for every stream, and how a copy is cut.
void AddCopyOptions(std::map<std::string, Setter>& withValue, TranscodeOptions& options) {
    withValue.insert({
        {"-c",
         [&](auto&, auto& v) {
             options.videoCodec = v;
             options.audioCodec = v;
             options.subtitleCodec = v;
         }},
        {"-c:s", [&](auto&, auto& v) { options.subtitleCodec = v; }},
        {"-scodec", [&](auto&, auto& v) { options.subtitleCodec = v; }},
        {"-map",
         [&](auto& o, auto& v) {
             // The one input's streams, all of them: the only map the converter writes.
             if (v != "0")
                 InvalidValue(o, v);
             options.mapAll = true;
         }},
        {"-cut",
         [&](auto& o, auto& v) {
             if (v != "exact" && v != "keyframe")
                 InvalidValue(o, v);
             options.cutMode = v == "exact" ? CutMode::Exact : CutMode::Keyframe;
         }},
    });
}

} // namespace

TranscodeOptions ParseOptions(const std::vector<std::string>& arguments) {
    TranscodeOptions options;
    std::map<std::string, Setter> withValue{
        {"-i", [&](auto&, auto& v) { options.input = v; }},
        {"-f", [&](auto&, auto& v) { options.format = v; }},
        {"-vcodec", [&](auto&, auto& v) { options.videoCodec = v; }},
        {"-c:v", [&](auto&, auto& v) { options.videoCodec = v; }},
        {"-acodec", [&](auto&, auto& v) { options.audioCodec = v; }},
        {"-c:a", [&](auto&, auto& v) { options.audioCodec = v; }},
        {"-b", [&](auto& o, auto& v) { options.videoBitrate = ParseBitrate(o, v); }},
        {"-b:v", [&](auto& o, auto& v) { options.videoBitrate = ParseBitrate(o, v); }},
        {"-ab", [&](auto& o, auto& v) { options.audioBitrate = ParseBitrate(o, v); }},
        {"-b:a", [&](auto& o, auto& v) { options.audioBitrate = ParseBitrate(o, v); }},
        {"-s", [&](auto& o, auto& v) { options.frameSize = ParseFrameSize(o, v); }},
        {"-r", [&](auto& o, auto& v) { options.frameRate = ParseFrameRate(o, v); }},
        {"-aspect", [&](auto& o, auto& v) { options.displayAspect = ParseAspect(o, v); }},
        {"-vol", [&](auto& o, auto& v) { options.volume = ParseInteger(o, v, 0, kMaxVolume); }},
        {"-ac", [&](auto& o, auto& v) { options.channels = ParseInteger(o, v, 1, kMaxChannels); }},
        {"-ar", [&](auto& o, auto& v) { options.sampleRate = ParseInteger(o, v, 1, kMaxSampleRate); }},
        {"-ss", [&](auto& o, auto& v) { options.startMicroseconds = ParseTimeMicroseconds(o, v); }},
        {"-t", [&](auto& o, auto& v) { options.durationMicroseconds = ParseTimeMicroseconds(o, v); }},
        {"-target",
         [&](auto&, auto& v) {
             CheckTarget(v);
             options.target = v;
         }},
    };
    AddModernOptions(withValue, options);
    AddCopyOptions(withValue, options);
    const std::map<std::string, bool*> flags{
        {"-y", &options.overwrite}, {"-vn", &options.noVideo}, {"-an", &options.noAudio}};

    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.size() < 2 || argument[0] != '-') {
            if (!options.output.empty())
                throw OptionError("Only one output file can be given: '" + argument + "'");
            options.output = argument;
        } else if (const auto flag = flags.find(argument); flag != flags.end()) {
            *flag->second = true;
        } else if (const auto option = withValue.find(argument); option != withValue.end()) {
            if (i + 1 >= arguments.size())
                throw OptionError("Missing argument for option '" + argument + "'");
            option->second(argument, arguments[++i]);
        } else {
            throw OptionError("Unrecognized option '" + argument + "'");
        }
    }
    if (options.input.empty())
        throw OptionError("No input file given (use -i FILE)");
    if (options.output.empty())
        throw OptionError("No output file given");
    return options;
}
