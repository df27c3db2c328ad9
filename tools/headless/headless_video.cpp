#include "tools/headless/headless_video.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}
#include <fluidsynth.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/app_state.h"
#include "platform/posix/sound_font.h"
#include "platform/surface.h"

namespace {

constexpr int kSampleRate = 44100;
constexpr double kSynthGain = 0.6;

struct Video {
  AVFormatContext* format = nullptr;
  AVCodecContext* picture = nullptr;
  AVCodecContext* sound = nullptr;
  AVStream* pictureStream = nullptr;
  AVStream* soundStream = nullptr;
  SwsContext* scaler = nullptr;
  SwrContext* resampler = nullptr;
  AVFrame* frame = nullptr;
  AVFrame* soundFrame = nullptr;
  AVPacket* packet = nullptr;
  int width = 0, height = 0;
  int64_t framesWritten = 0;
  // Sound: samples rendered so far, and those waiting for a whole frame.
  int64_t samplesRendered = 0;
  int64_t samplesWritten = 0;
  std::vector<int16_t> pending;
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  fluid_player_t* player = nullptr;
  std::string tune;
  bool failed = false;
};
Video v;

bool Fail(std::string* error, const std::string& why) {
  *error = why;
  return false;
}

void Drain(AVCodecContext* codec, AVStream* stream) {
  while (avcodec_receive_packet(codec, v.packet) == 0) {
    // Every picture lasts one frame period (the last one too, else the
    // container's edit list cuts it off).
    if (codec == v.picture && v.packet->duration == 0) v.packet->duration = 1;
    av_packet_rescale_ts(v.packet, codec->time_base, stream->time_base);
    v.packet->stream_index = stream->index;
    if (av_interleaved_write_frame(v.format, v.packet) < 0) v.failed = true;
  }
}

void Send(AVCodecContext* codec, AVStream* stream, AVFrame* frame) {
  if (avcodec_send_frame(codec, frame) < 0) v.failed = true;
  Drain(codec, stream);
}

// ---- Music ---------------------------------------------------------------------

// Notes released (not cut) and the sustain pedals let go, for what plays next.
void ReleaseNotes() {
  for (int ch = 0; ch < 16; ++ch) fluid_synth_cc(v.synth, ch, 64, 0);
  fluid_synth_all_notes_off(v.synth, -1);
}

void DropPlayer() {
  if (v.player) {
    fluid_player_stop(v.player);
    delete_fluid_player(v.player);
    v.player = nullptr;
  }
  if (v.synth) ReleaseNotes();
}

void MakePlayer() {
  DropPlayer();
  if (!v.synth || v.tune.empty()) return;
  v.player = new_fluid_player(v.synth);
  if (v.player && fluid_player_add(v.player, v.tune.c_str()) != FLUID_OK) {
    delete_fluid_player(v.player);
    v.player = nullptr;
  }
}

// Renders the sound up to sample `until` and sends every whole frame of it.
void RenderSoundUntil(int64_t until) {
  if (!v.sound) return;
  while (v.samplesRendered < until) {
    const int n = int(std::min<int64_t>(until - v.samplesRendered, 512));
    const size_t at = v.pending.size();
    v.pending.resize(at + size_t(n) * 2);
    if (v.synth) fluid_synth_write_s16(v.synth, n, v.pending.data() + at, 0, 2, v.pending.data() + at, 1, 2);
    v.samplesRendered += n;
  }
  const int frameSize = v.sound->frame_size > 0 ? v.sound->frame_size : 1024;
  size_t used = 0;
  while (v.pending.size() - used >= size_t(frameSize) * 2) {
    av_frame_make_writable(v.soundFrame);
    const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(v.pending.data() + used)};
    swr_convert(v.resampler, v.soundFrame->data, frameSize, in, frameSize);
    v.soundFrame->pts = v.samplesWritten;
    v.samplesWritten += frameSize;
    Send(v.sound, v.soundStream, v.soundFrame);
    used += size_t(frameSize) * 2;
  }
  v.pending.erase(v.pending.begin(), v.pending.begin() + long(used));
}

bool OpenSound(std::string* error) {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
  if (!codec) return Fail(error, "no AAC encoder");
  v.sound = avcodec_alloc_context3(codec);
  v.sound->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
  v.sound->sample_rate = kSampleRate;
  av_channel_layout_default(&v.sound->ch_layout, 2);
  v.sound->bit_rate = 160000;
  v.sound->time_base = AVRational{1, kSampleRate};
  if (v.format->oformat->flags & AVFMT_GLOBALHEADER) v.sound->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (avcodec_open2(v.sound, codec, nullptr) < 0) return Fail(error, "the AAC encoder did not open");
  v.soundStream = avformat_new_stream(v.format, nullptr);
  v.soundStream->time_base = v.sound->time_base;
  avcodec_parameters_from_context(v.soundStream->codecpar, v.sound);
  AVChannelLayout stereo;
  av_channel_layout_default(&stereo, 2);
  if (swr_alloc_set_opts2(&v.resampler, &v.sound->ch_layout, v.sound->sample_fmt, kSampleRate, &stereo,
                          AV_SAMPLE_FMT_S16, kSampleRate, 0, nullptr) < 0 ||
      swr_init(v.resampler) < 0)
    return Fail(error, "no sample converter");
  v.soundFrame = av_frame_alloc();
  v.soundFrame->format = v.sound->sample_fmt;
  av_channel_layout_copy(&v.soundFrame->ch_layout, &v.sound->ch_layout);
  v.soundFrame->sample_rate = kSampleRate;
  v.soundFrame->nb_samples = v.sound->frame_size > 0 ? v.sound->frame_size : 1024;
  if (av_frame_get_buffer(v.soundFrame, 0) < 0) return Fail(error, "out of memory");

  const std::string soundFont = platform::FindSoundFont();
  if (soundFont.empty()) {
    std::fprintf(stderr, "tessivane-headless: no General MIDI soundfont; the video is silent\n");
    return true;
  }
  for (int level = 0; level <= FLUID_DBG; ++level) fluid_set_log_function(level, nullptr, nullptr);
  v.settings = new_fluid_settings();
  fluid_settings_setnum(v.settings, "synth.sample-rate", kSampleRate);
  fluid_settings_setnum(v.settings, "synth.gain", kSynthGain);
  fluid_settings_setint(v.settings, "player.reset-synth", 0);
  // The tune follows the samples rendered, not the wall clock.
  fluid_settings_setstr(v.settings, "player.timing-source", "sample");
  v.synth = new_fluid_synth(v.settings);
  if (!v.synth || fluid_synth_sfload(v.synth, soundFont.c_str(), 1) == FLUID_FAILED) {
    std::fprintf(stderr, "tessivane-headless: the soundfont %s could not be loaded; the video is silent\n",
                 soundFont.c_str());
    if (v.synth) delete_fluid_synth(v.synth);
    v.synth = nullptr;
  }
  return true;
}

}  // namespace

bool OpenVideo(const std::string& path, int scale, std::string* error) {
  v = Video{};
  v.width = kScreenWidth * scale;
  v.height = kScreenHeight * scale;
  av_log_set_level(AV_LOG_ERROR);
  if (avformat_alloc_output_context2(&v.format, nullptr, nullptr, path.c_str()) < 0 || !v.format)
    return Fail(error, "cannot make a video of " + path + " (unknown container)");
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_H264);
  if (!codec) codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
  if (!codec) return Fail(error, "no H.264 or MPEG-4 encoder");
  v.picture = avcodec_alloc_context3(codec);
  v.picture->width = v.width;
  v.picture->height = v.height;
  v.picture->time_base = AVRational{kFramePeriodMs, 1000};
  v.picture->framerate = AVRational{1000, kFramePeriodMs};
  v.picture->pix_fmt = AV_PIX_FMT_YUV420P;
  v.picture->gop_size = 46;
  if (codec->id == AV_CODEC_ID_H264) {
    av_opt_set(v.picture->priv_data, "preset", "veryfast", 0);
    av_opt_set(v.picture->priv_data, "crf", "18", 0);
  } else {
    v.picture->bit_rate = 4000000;
  }
  if (v.format->oformat->flags & AVFMT_GLOBALHEADER) v.picture->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (avcodec_open2(v.picture, codec, nullptr) < 0) return Fail(error, "the video encoder did not open");
  v.pictureStream = avformat_new_stream(v.format, nullptr);
  v.pictureStream->time_base = v.picture->time_base;
  avcodec_parameters_from_context(v.pictureStream->codecpar, v.picture);
  if (!OpenSound(error)) return false;
  // The picture's 0x00RRGGBB words are B, G, R, 0 in memory.
  v.scaler = sws_getContext(kScreenWidth, kScreenHeight, AV_PIX_FMT_BGR0, v.width, v.height, AV_PIX_FMT_YUV420P,
                            SWS_POINT, nullptr, nullptr, nullptr);
  v.frame = av_frame_alloc();
  v.frame->format = AV_PIX_FMT_YUV420P;
  v.frame->width = v.width;
  v.frame->height = v.height;
  v.packet = av_packet_alloc();
  if (!v.scaler || av_frame_get_buffer(v.frame, 0) < 0 || !v.packet) return Fail(error, "out of memory");
  if (!(v.format->oformat->flags & AVFMT_NOFILE) && avio_open(&v.format->pb, path.c_str(), AVIO_FLAG_WRITE) < 0)
    return Fail(error, "cannot write " + path);
  if (avformat_write_header(v.format, nullptr) < 0) return Fail(error, "cannot write " + path);
  return true;
}

void AddVideoFramesUntil(uint32_t now, const uint32_t* pixels) {
  if (!v.format) return;
  while (int64_t(v.framesWritten) * kFramePeriodMs <= int64_t(now)) {
    RenderSoundUntil(v.framesWritten * kFramePeriodMs * kSampleRate / 1000);
    av_frame_make_writable(v.frame);
    const uint8_t* src[1] = {reinterpret_cast<const uint8_t*>(pixels)};
    const int stride[1] = {kScreenWidth * 4};
    sws_scale(v.scaler, src, stride, 0, kScreenHeight, v.frame->data, v.frame->linesize);
    v.frame->pts = v.framesWritten++;
    Send(v.picture, v.pictureStream, v.frame);
  }
}

void PlayVideoMusicCommand(uint32_t now, const std::string& command) {
  if (!v.synth) return;
  RenderSoundUntil(std::max<int64_t>(v.samplesRendered, int64_t(now) * kSampleRate / 1000));
  if (command.compare(0, 5, "open ") == 0) {
    v.tune = command.substr(5);
    MakePlayer();
  } else if (command == "play") {
    if (v.player && fluid_player_get_status(v.player) != FLUID_PLAYER_PLAYING) fluid_player_play(v.player);
  } else if (command == "replay") {
    MakePlayer();
    if (v.player) fluid_player_play(v.player);
  } else if (command == "stop") {
    if (v.player) fluid_player_stop(v.player);
    ReleaseNotes();
  } else if (command == "close") {
    DropPlayer();
    v.tune.clear();
  }
}

bool CloseVideo(std::string* error) {
  if (!v.format) return true;
  if (v.sound) {
    // The last partial frame of sound, padded with silence.
    const int frameSize = v.sound->frame_size > 0 ? v.sound->frame_size : 1024;
    const int64_t left = int64_t(v.pending.size() / 2);
    if (left > 0) RenderSoundUntil(v.samplesRendered + (frameSize - left));
    Send(v.sound, v.soundStream, nullptr);
  }
  Send(v.picture, v.pictureStream, nullptr);
  const bool ok = av_write_trailer(v.format) == 0 && !v.failed;
  DropPlayer();
  if (v.synth) delete_fluid_synth(v.synth);
  if (v.settings) delete_fluid_settings(v.settings);
  if (!(v.format->oformat->flags & AVFMT_NOFILE)) avio_closep(&v.format->pb);
  avcodec_free_context(&v.picture);
  avcodec_free_context(&v.sound);
  av_frame_free(&v.frame);
  av_frame_free(&v.soundFrame);
  av_packet_free(&v.packet);
  sws_freeContext(v.scaler);
  swr_free(&v.resampler);
  avformat_free_context(v.format);
  v.format = nullptr;
  return ok || Fail(error, "the video could not be written whole");
}
