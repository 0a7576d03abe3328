#pragma once

// Owners for FFmpeg's structs, shared by every part of the program that uses the libraries (the
// duration probe, the transcoder, the tests). A platform-level header: the core never includes it.
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
#include <libavutil/mem.h>
}

// Frees with the library's function for the struct: the pointer-to-pointer form where it has one
// (av_frame_free(&frame)), the plain form otherwise. Not for av_free/av_freep, which take void* and
// would accept either form: MemoryFree is theirs.
template <auto Free> struct AVDeleter {
    template <typename T> void operator()(T* p) const {
        if constexpr (requires { Free(&p); })
            Free(&p);
        else
            Free(p);
    }
};

struct MemoryFree {
    void operator()(void* buffer) const { av_free(buffer); }
};

// An output context closes its file (unless the muxer writes none) before it is freed.
struct OutputContextDeleter {
    void operator()(AVFormatContext* context) const {
        if (context->pb && !(context->oformat->flags & AVFMT_NOFILE))
            avio_closep(&context->pb);
        avformat_free_context(context);
    }
};

// A custom I/O context owns its buffer, which the library may have replaced since allocation.
struct IoContextDeleter {
    void operator()(AVIOContext* io) const {
        av_freep(&io->buffer);
        avio_context_free(&io);
    }
};

using AVFramePtr = std::unique_ptr<AVFrame, AVDeleter<av_frame_free>>;
using AVPacketPtr = std::unique_ptr<AVPacket, AVDeleter<av_packet_free>>;
using AVCodecContextPtr = std::unique_ptr<AVCodecContext, AVDeleter<avcodec_free_context>>;
using AVFilterGraphPtr = std::unique_ptr<AVFilterGraph, AVDeleter<avfilter_graph_free>>;
using AVFilterInOutPtr = std::unique_ptr<AVFilterInOut, AVDeleter<avfilter_inout_free>>;
using InputContextPtr = std::unique_ptr<AVFormatContext, AVDeleter<avformat_close_input>>;
using OutputContextPtr = std::unique_ptr<AVFormatContext, OutputContextDeleter>;
using IoContextPtr = std::unique_ptr<AVIOContext, IoContextDeleter>;
using AVMemoryPtr = std::unique_ptr<unsigned char, MemoryFree>;

// An AVDictionary freed on scope exit; Address() hands it to calls that fill or consume it.
class DictionaryOwner {
public:
    DictionaryOwner() = default;
    ~DictionaryOwner() { av_dict_free(&m_dictionary); }
    DictionaryOwner(const DictionaryOwner&) = delete;
    DictionaryOwner& operator=(const DictionaryOwner&) = delete;
    AVDictionary** Address() { return &m_dictionary; }

private:
    AVDictionary* m_dictionary = nullptr;
};

// An AVChannelLayout, which may own a channel map, released on scope exit.
class ChannelLayoutOwner {
public:
    ChannelLayoutOwner() = default;
    ~ChannelLayoutOwner() { av_channel_layout_uninit(&m_layout); }
    ChannelLayoutOwner(const ChannelLayoutOwner&) = delete;
    ChannelLayoutOwner& operator=(const ChannelLayoutOwner&) = delete;

    const AVChannelLayout& Get() const { return m_layout; }
    // Becomes a copy of the layout (0) or stays empty (a negative error code).
    int CopyFrom(const AVChannelLayout& layout) {
        av_channel_layout_uninit(&m_layout);
        return av_channel_layout_copy(&m_layout, &layout);
    }
    // The library's default layout for a channel count.
    void SetDefault(int channels) {
        av_channel_layout_uninit(&m_layout);
        av_channel_layout_default(&m_layout, channels);
    }

private:
    AVChannelLayout m_layout{};
};

// AV_TIME_BASE_Q is a C compound literal, which C++ does not have.
inline constexpr AVRational MicrosecondTimeBase{1, AV_TIME_BASE};
