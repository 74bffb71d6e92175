#include "movie/TMp4Encoder.h"

#include <cerrno>
#include <cstdio>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include "render/TPixelBuffer.h"

namespace {

// The muxer's writes go through this buffer to the file.
constexpr int IoBufferBytes = 1 << 16;

std::string AvErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

}  // namespace

// FFmpeg's objects, freed in the reverse order of their making.
struct TMp4Encoder::TFfmpeg {
  AVFormatContext* Format = nullptr;
  AVIOContext* Io = nullptr;
  AVCodecContext* Codec = nullptr;
  AVStream* Stream = nullptr;
  SwsContext* Scaler = nullptr;
  AVFrame* Picture = nullptr;
  AVPacket* Packet = nullptr;

  ~TFfmpeg() {
    av_packet_free(&Packet);
    av_frame_free(&Picture);
    sws_freeContext(Scaler);
    avcodec_free_context(&Codec);
    if (Format) {
      Format->pb = nullptr;
      avformat_free_context(Format);
    }
    if (Io) av_freep(&Io->buffer);
    avio_context_free(&Io);
  }
};

TMp4Encoder::TMp4Encoder() = default;

TMp4Encoder::~TMp4Encoder() { Abandon(); }

int TMp4Encoder::WritePacket(void* opaque, uint8_t* data, int size) {
  auto* self = static_cast<TMp4Encoder*>(opaque);
  if (!self->File.Write(data, static_cast<size_t>(size))) return AVERROR(EIO);
  self->Position += size;
  return size;
}

int64_t TMp4Encoder::SeekPacket(void* opaque, int64_t offset, int whence) {
  auto* self = static_cast<TMp4Encoder*>(opaque);
  const int64_t size = self->File.Size();
  switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE:
      return size < 0 ? AVERROR(EIO) : size;
    case SEEK_SET:
      break;
    case SEEK_CUR:
      offset += self->Position;
      break;
    case SEEK_END:
      offset += size;
      break;
    default:
      return AVERROR(EINVAL);
  }
  if (!self->File.Seek(offset)) return AVERROR(EIO);
  self->Position = offset;
  return offset;
}

bool TMp4Encoder::Fail(const std::string& what, int code, std::string& error) {
  Failed = true;
  // A write the file refused keeps the system's words.
  error = !File.Reason().empty() ? File.Reason() : what + ": " + AvErrorText(code);
  return false;
}

bool TMp4Encoder::Open(const std::string& path, int width, int height, double framesPerSecond,
                       std::string& error) {
  Abandon();
  Failed = false;
  Position = 0;
  FrameCount = 0;
  if (width < 2 || height < 2 || width % 2 != 0 || height % 2 != 0) {
    error = "an MP4 movie needs an even width and height";
    return false;
  }
  if (!File.Open(path)) {
    error = File.Reason();
    return false;
  }
  // x264 prints its settings and statistics on standard error at the info level.
  if (av_log_get_level() > AV_LOG_ERROR) av_log_set_level(AV_LOG_ERROR);
  Av = std::make_unique<TFfmpeg>();
  const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
  if (!codec) codec = avcodec_find_encoder(AV_CODEC_ID_H264);
  if (!codec) {
    error = "this FFmpeg has no H.264 encoder";
    Abandon();
    return false;
  }
  int status = avformat_alloc_output_context2(&Av->Format, nullptr, "mp4", nullptr);
  if (status < 0 || !Av->Format) return Fail("cannot start the MP4 file", status, error);
  Av->Stream = avformat_new_stream(Av->Format, nullptr);
  Av->Codec = avcodec_alloc_context3(codec);
  Av->Picture = av_frame_alloc();
  Av->Packet = av_packet_alloc();
  if (!Av->Stream || !Av->Codec || !Av->Picture || !Av->Packet)
    return Fail("cannot start the encoder", AVERROR(ENOMEM), error);

  const AVRational rate = av_d2q(framesPerSecond, 100000);
  AVCodecContext* c = Av->Codec;
  c->width = width;
  c->height = height;
  c->pix_fmt = AV_PIX_FMT_YUV420P;
  c->time_base = av_inv_q(rate);
  c->framerate = rate;
  // Tagged as what players assume of HD video anyway: BT.709, limited range.
  c->colorspace = AVCOL_SPC_BT709;
  c->color_primaries = AVCOL_PRI_BT709;
  c->color_trc = AVCOL_TRC_BT709;
  if (Av->Format->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  // Fine detail everywhere: a constant quality that keeps it, at x264's usual speed.
  av_opt_set(c->priv_data, "preset", "medium", 0);
  av_opt_set(c->priv_data, "crf", "18", 0);
  status = avcodec_open2(c, codec, nullptr);
  if (status < 0) return Fail("cannot start the H.264 encoder", status, error);
  status = avcodec_parameters_from_context(Av->Stream->codecpar, c);
  if (status < 0) return Fail("cannot start the H.264 encoder", status, error);
  Av->Stream->time_base = c->time_base;
  Av->Stream->avg_frame_rate = rate;

  auto* buffer = static_cast<unsigned char*>(av_malloc(IoBufferBytes));
  if (!buffer) return Fail("cannot start the MP4 file", AVERROR(ENOMEM), error);
  Av->Io = avio_alloc_context(buffer, IoBufferBytes, 1, this, nullptr, &TMp4Encoder::WritePacket,
                              &TMp4Encoder::SeekPacket);
  if (!Av->Io) {
    av_free(buffer);
    return Fail("cannot start the MP4 file", AVERROR(ENOMEM), error);
  }
  Av->Format->pb = Av->Io;
  Av->Format->flags |= AVFMT_FLAG_CUSTOM_IO | AVFMT_FLAG_BITEXACT;
  status = avformat_write_header(Av->Format, nullptr);
  if (status < 0) return Fail("cannot write the MP4 header", status, error);

  Av->Scaler = sws_getContext(width, height, AV_PIX_FMT_RGB0, width, height, AV_PIX_FMT_YUV420P,
                              SWS_BICUBIC | SWS_ACCURATE_RND | SWS_BITEXACT, nullptr, nullptr,
                              nullptr);
  if (!Av->Scaler) return Fail("cannot convert the frames", AVERROR(ENOMEM), error);
  // Full-range RGB in, limited-range BT.709 out.
  sws_setColorspaceDetails(Av->Scaler, sws_getCoefficients(SWS_CS_ITU709), 1,
                           sws_getCoefficients(SWS_CS_ITU709), 0, 0, 1 << 16, 1 << 16);
  Av->Picture->format = AV_PIX_FMT_YUV420P;
  Av->Picture->width = width;
  Av->Picture->height = height;
  status = av_frame_get_buffer(Av->Picture, 0);
  if (status < 0) return Fail("cannot convert the frames", status, error);
  return true;
}

bool TMp4Encoder::Encode(bool last, std::string& error) {
  int status = avcodec_send_frame(Av->Codec, last ? nullptr : Av->Picture);
  if (status < 0) return Fail("the H.264 encoder failed", status, error);
  for (;;) {
    status = avcodec_receive_packet(Av->Codec, Av->Packet);
    if (status == AVERROR(EAGAIN) || status == AVERROR_EOF) return true;
    if (status < 0) return Fail("the H.264 encoder failed", status, error);
    av_packet_rescale_ts(Av->Packet, Av->Codec->time_base, Av->Stream->time_base);
    Av->Packet->stream_index = Av->Stream->index;
    status = av_interleaved_write_frame(Av->Format, Av->Packet);
    if (status < 0 || Av->Io->error < 0)
      return Fail("cannot write the MP4 file", status < 0 ? status : Av->Io->error, error);
  }
}

bool TMp4Encoder::Add(const TPixelBuffer& frame, std::string& error) {
  if (!Av || Failed) {
    error = "the movie has failed";
    return false;
  }
  if (frame.Width() != Av->Codec->width || frame.Height() != Av->Codec->height) {
    error = "a frame has the wrong size";
    Failed = true;
    return false;
  }
  // The encoder may still hold the previous picture.
  int status = av_frame_make_writable(Av->Picture);
  if (status < 0) return Fail("cannot convert the frames", status, error);
  const uint8_t* source[1] = {reinterpret_cast<const uint8_t*>(frame.Data())};
  const int stride[1] = {frame.Stride()};
  sws_scale(Av->Scaler, source, stride, 0, frame.Height(), Av->Picture->data,
            Av->Picture->linesize);
  Av->Picture->pts = FrameCount++;
  return Encode(false, error);
}

bool TMp4Encoder::Finish(std::string& error) {
  if (!Av || Failed) {
    if (error.empty()) error = "the movie has failed";
    Abandon();
    return false;
  }
  bool ok = Encode(true, error);
  if (ok) {
    const int status = av_write_trailer(Av->Format);
    avio_flush(Av->Io);
    if (status < 0 || Av->Io->error < 0)
      ok = Fail("cannot write the MP4 file", status < 0 ? status : Av->Io->error, error);
  }
  if (ok && !File.Commit()) {
    error = File.Reason();
    ok = false;
  }
  Abandon();
  return ok;
}

void TMp4Encoder::Abandon() {
  Av.reset();
  File.Abandon();
}
