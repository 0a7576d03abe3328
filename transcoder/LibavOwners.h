#pragma once

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
}

// Owners for the library's structs: each frees with the function the library provides for it.
template <auto Free> struct AVDeleter {
    template <typename T> void operator()(T* p) const {
        if constexpr (requires { Free(&p); })
            Free(&p);
        else
            Free(p);
    }
};

struct OutputContextDeleter {
    void operator()(AVFormatContext* context) const {
        if (context->pb && !(context->oformat->flags & AVFMT_NOFILE))
            avio_closep(&context->pb);
        avformat_free_context(context);
    }
};

using AVFramePtr = std::unique_ptr<AVFrame, AVDeleter<av_frame_free>>;
using AVPacketPtr = std::unique_ptr<AVPacket, AVDeleter<av_packet_free>>;
using AVCodecContextPtr = std::unique_ptr<AVCodecContext, AVDeleter<avcodec_free_context>>;
using AVFilterGraphPtr = std::unique_ptr<AVFilterGraph, AVDeleter<avfilter_graph_free>>;
using AVFilterInOutPtr = std::unique_ptr<AVFilterInOut, AVDeleter<avfilter_inout_free>>;
using InputContextPtr = std::unique_ptr<AVFormatContext, AVDeleter<avformat_close_input>>;
using OutputContextPtr = std::unique_ptr<AVFormatContext, OutputContextDeleter>;

// An AVDictionary freed on scope exit; Get() hands the address to calls that fill or consume it.
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
