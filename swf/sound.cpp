// DefineSound, the sound info of StartSound, and the stream of SoundStreamHead and
// SoundStreamBlock; the decoding of ADPCM and uncompressed samples, and the files the media
// player plays.
#include "swf/sound.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "swf/parse.h"

namespace sf::swf {
namespace {

// The format's four rates; the lowest is 5,512.5 a second, which a file can only round.
int Rate(uint32_t code) { return code == 0 ? 5512 : 11025 << (code - 1); }

// The most instants a sound is decoded to: ten minutes at the highest rate.
constexpr size_t kMaxInstants = size_t(44100) * 600;

}  // namespace

// --- Tags ---

TSoundData ReadSoundFormat(TReader& r) {
  TSoundData s;
  r.Align();
  s.format = uint8_t(r.UB(4));
  s.rate = Rate(r.UB(2));
  s.is16 = r.UB(1);
  s.stereo = r.UB(1);
  return s;
}

TSoundData ReadSound(TReader& r) {
  TSoundData s = ReadSoundFormat(r);
  s.samples = r.U32();
  if (s.format == kSoundMp3) r.S16();  // the seek samples before the frames
  s.data = QByteArray(reinterpret_cast<const char*>(r.Here()), qsizetype(r.Left()));
  return s;
}

TSoundInfo ReadSoundInfo(TReader& r) {
  TSoundInfo info;
  const uint8_t flags = r.U8();
  info.stop = flags & 0x20;
  info.noMultiple = flags & 0x10;
  if (flags & 0x01) info.hasIn = true, info.in = r.U32();
  if (flags & 0x02) info.hasOut = true, info.out = r.U32();
  if (flags & 0x04) info.loops = r.U16();
  if (flags & 0x08) {
    const int points = r.U8();
    for (int i = 0; i < points; ++i) {
      TSoundInfo::TEnvelopePoint p;
      p.pos44 = r.U32();
      p.left = r.U16();
      p.right = r.U16();
      info.envelope.push_back(p);
    }
  }
  return info;
}

TSoundData ReadStreamHead(TReader& r) {
  r.U8();  // the rate, size and channels the player would like to play it at
  TSoundData s = ReadSoundFormat(r);
  r.U16();  // the average instants a frame
  return s;
}

void AddStreamBlock(TStreamSound& stream, TReader& r, int32_t frame) {
  TStreamSound::TBlock block{frame, stream.samples, {}};
  int64_t instants = 0;
  const int channels = stream.format.stereo ? 2 : 1;
  switch (stream.format.format) {
    case kSoundMp3:
      instants = r.U16();
      r.S16();  // the seek samples
      break;
    case kSoundAdpcm: instants = AdpcmFrames(r.Here(), r.Left(), channels); break;
    case kSoundPcmNative: case kSoundPcmLittle:
      instants = int64_t(r.Left()) / (channels * (stream.format.is16 ? 2 : 1));
      break;
    default: break;  // not played: the blocks only keep the frames' times
  }
  block.data = QByteArray(reinterpret_cast<const char*>(r.Here()), qsizetype(r.Left()));
  stream.samples += instants;
  stream.blocks.push_back(std::move(block));
}

int TStreamSound::BlockOfFrame(int32_t frame) const {
  const auto it = std::lower_bound(blocks.begin(), blocks.end(), frame, [](const TBlock& b, int32_t f) { return b.frame < f; });
  return it != blocks.end() && it->frame == frame ? int(it - blocks.begin()) : -1;
}

// --- ADPCM ---

namespace {

constexpr int kSteps[89] = {7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,
                            25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,
                            88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,   253,   279,
                            307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,   876,   963,
                            1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749,  3024,  3327,
                            3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493,  10442, 11487,
                            12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

// How the step index moves after a code, by the code's magnitude, for codes of 2 to 5 bits.
constexpr int kIndex2[2] = {-1, 2};
constexpr int kIndex3[4] = {-1, -1, 2, 4};
constexpr int kIndex4[8] = {-1, -1, -1, -1, 2, 4, 6, 8};
constexpr int kIndex5[16] = {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16};
constexpr const int* kIndexTables[4] = {kIndex2, kIndex3, kIndex4, kIndex5};

// Bits read most significant first, as the format packs them; false at the end.
class TBitSource {
 public:
  TBitSource(const uint8_t* data, size_t size) : data_(data), bits_(size * 8) {}
  bool Has(size_t n) const { return bits_ - at_ >= n; }
  uint32_t Take(int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i, ++at_) v = v << 1 | ((data_[at_ >> 3] >> (7 - (at_ & 7))) & 1);
    return v;
  }

 private:
  const uint8_t* data_;
  size_t bits_, at_ = 0;
};

struct TAdpcmChannel {
  int sample = 0, index = 0;
  int16_t Next(uint32_t code, int bits) {
    const int step = kSteps[index];
    const uint32_t sign = 1u << (bits - 1);
    // The difference: the step shifted right by the magnitude's bits, always, and for each bit of
    // the magnitude that is set, most significant first, the step, half of it, a quarter...
    int diff = step >> (bits - 1);
    for (uint32_t bit = sign >> 1, part = uint32_t(step); bit != 0; bit >>= 1, part >>= 1)
      if (code & bit) diff += int(part);
    sample = std::clamp(code & sign ? sample - diff : sample + diff, -32768, 32767);
    index = std::clamp(index + kIndexTables[bits - 2][code & (sign - 1)], 0, 88);
    return int16_t(sample);
  }
};

}  // namespace

std::vector<int16_t> DecodeAdpcm(const uint8_t* data, size_t size, int channels, size_t limit) {
  std::vector<int16_t> out;
  if (size == 0 || channels < 1 || channels > 2) return out;
  TBitSource in(data, size);
  const int bits = int(in.Take(2)) + 2;
  TAdpcmChannel state[2];
  size_t instants = 0;
  // Each packet: an initial sample and index per channel, then up to 4,095 codes per channel.
  while (instants < limit && in.Has(size_t(22 * channels))) {
    for (int c = 0; c < channels; ++c) {
      state[c].sample = int16_t(in.Take(16));
      state[c].index = std::min(int(in.Take(6)), 88);
      out.push_back(int16_t(state[c].sample));
    }
    ++instants;
    for (int k = 0; k < 4095 && instants < limit && in.Has(size_t(bits * channels)); ++k, ++instants)
      for (int c = 0; c < channels; ++c) out.push_back(state[c].Next(in.Take(bits), bits));
  }
  return out;
}

int64_t AdpcmFrames(const uint8_t* data, size_t size, int channels) {
  if (size == 0 || channels < 1) return 0;
  const int bits = (data[0] >> 6) + 2;
  const int64_t total = int64_t(size) * 8 - 2, head = 22 * channels, code = int64_t(bits) * channels;
  const int64_t packet = head + 4095 * code;
  const int64_t whole = total / packet, rest = total % packet;
  return whole * 4096 + (rest >= head ? 1 + (rest - head) / code : 0);
}

TPcm DecodePcm(const TSoundData& sound) {
  TPcm pcm;
  pcm.rate = sound.rate;
  pcm.channels = sound.stereo ? 2 : 1;
  const auto* p = reinterpret_cast<const uint8_t*>(sound.data.constData());
  const size_t n = size_t(sound.data.size());
  // The header's count where it is smaller than what the data holds (data may be padded).
  const size_t limit = std::min<size_t>(sound.samples > 0 ? sound.samples : kMaxInstants, kMaxInstants);
  switch (sound.format) {
    case kSoundAdpcm: pcm.samples = DecodeAdpcm(p, n, pcm.channels, limit); break;
    case kSoundPcmNative: case kSoundPcmLittle: {
      const size_t width = sound.is16 ? 2 : 1, instants = std::min(limit, n / (width * size_t(pcm.channels)));
      pcm.samples.resize(instants * size_t(pcm.channels));
      for (size_t i = 0; i < pcm.samples.size(); ++i)
        pcm.samples[i] = sound.is16 ? int16_t(p[2 * i] | p[2 * i + 1] << 8) : int16_t((int(p[i]) - 128) << 8);
      break;
    }
    case kSoundMp3: Fail("MP3 is played as it is, not decoded");
    case kSoundNelly16: case kSoundNelly8: case kSoundNelly: Fail("Nellymoser sound is not played");
    case kSoundSpeex: Fail("Speex sound is not played");
    default: Fail("an unknown sound format");
  }
  return pcm;
}

QByteArray Wav(const TPcm& pcm) {
  QByteArray wav;
  const uint32_t dataBytes = uint32_t(std::min<size_t>(pcm.samples.size() * 2, UINT32_MAX - 64));
  wav.reserve(qsizetype(44 + dataBytes));
  auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) wav.append(char((v >> (8 * i)) & 0xFF));
  };
  auto u16 = [&](uint32_t v) { wav.append(char(v & 0xFF)), wav.append(char((v >> 8) & 0xFF)); };
  wav.append("RIFF");
  u32(36 + dataBytes);
  wav.append("WAVEfmt ");
  u32(16);
  u16(1);  // PCM
  u16(uint32_t(pcm.channels));
  u32(uint32_t(pcm.rate));
  u32(uint32_t(pcm.rate * pcm.channels * 2));
  u16(uint32_t(pcm.channels * 2));
  u16(16);
  wav.append("data");
  u32(dataBytes);
  const size_t at = size_t(wav.size());
  wav.resize(qsizetype(at + dataBytes));
  for (size_t i = 0; i < dataBytes / 2; ++i) {
    const auto v = uint16_t(pcm.samples[i]);
    wav[qsizetype(at + 2 * i)] = char(v & 0xFF);
    wav[qsizetype(at + 2 * i + 1)] = char(v >> 8);
  }
  return wav;
}

// --- MP3 ---

namespace {

struct TMp3Header {
  bool mpeg1 = true;
  int layer = 3;
  bool crc = false;
  int rate = 44100, samples = 1152, size = 0;
  bool mono = false, midSide = false;
};

bool ParseMp3Header(const uint8_t* p, size_t left, TMp3Header* h) {
  if (left < 4 || p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
  const int version = (p[1] >> 3) & 3, layerBits = (p[1] >> 1) & 3;
  const int bitrateIndex = p[2] >> 4, rateIndex = (p[2] >> 2) & 3;
  if (version == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return false;
  static const int kRates[3] = {44100, 48000, 32000};
  static const int kBitrates[2][3][15] = {
      {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
       {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
       {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
      {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
       {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
       {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
  h->mpeg1 = version == 3;
  h->layer = 4 - layerBits;
  h->crc = !(p[1] & 1);
  h->rate = kRates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
  const int bitrate = kBitrates[h->mpeg1 ? 0 : 1][h->layer - 1][bitrateIndex] * 1000;
  const int padding = (p[2] >> 1) & 1;
  if (h->layer == 1) {
    h->samples = 384;
    h->size = (12 * bitrate / h->rate + padding) * 4;
  } else {
    h->samples = h->layer == 3 && !h->mpeg1 ? 576 : 1152;
    h->size = (h->layer == 3 && !h->mpeg1 ? 72 : 144) * bitrate / h->rate + padding;
  }
  const int mode = p[3] >> 6, extension = (p[3] >> 4) & 3;
  h->mono = mode == 3;
  h->midSide = mode == 1 && (extension & 2);
  return h->size >= 4;
}

// The 16-bit check of a protected frame: over the header's last two bytes and the side
// information, the polynomial x^16 + x^15 + x^2 + 1 from all ones.
uint16_t Mp3Crc(const uint8_t* frame, size_t sideInfo) {
  uint16_t crc = 0xFFFF;
  auto feed = [&crc](uint8_t byte) {
    for (int i = 7; i >= 0; --i) {
      const bool top = ((crc >> 15) & 1) ^ ((byte >> i) & 1);
      crc = uint16_t(crc << 1);
      if (top) crc ^= 0x8005;
    }
  };
  feed(frame[2]), feed(frame[3]);
  for (size_t i = 0; i < sideInfo; ++i) feed(frame[6 + i]);
  return crc;
}

// Moves the global gain of each granule and channel of a Layer III frame by `steps` (a step is
// 2^(1/4) of the amplitude); a gain of none silences it.
void ScaleGranules(uint8_t* frame, const TMp3Header& h, const int steps[2], const bool silent[2]) {
  const int channels = h.mono ? 1 : 2;
  const size_t sideInfo = h.mpeg1 ? (h.mono ? 17 : 32) : (h.mono ? 9 : 17);
  const size_t start = 4 + (h.crc ? 2 : 0);
  if (size_t(h.size) < start + sideInfo) return;
  uint8_t* side = frame + start;
  const int granules = h.mpeg1 ? 2 : 1, blockBits = h.mpeg1 ? 59 : 63;
  const int first = h.mpeg1 ? 9 + (h.mono ? 5 : 3) + 4 * channels : 8 + (h.mono ? 1 : 2);
  for (int gr = 0; gr < granules; ++gr)
    for (int ch = 0; ch < channels; ++ch) {
      const size_t at = size_t(first + (gr * channels + ch) * blockBits + 21);  // after part2_3_length and big_values
      int gain = 0;
      for (int i = 0; i < 8; ++i) gain = gain << 1 | ((side[(at + i) >> 3] >> (7 - ((at + i) & 7))) & 1);
      gain = silent[ch] ? 0 : std::clamp(gain + steps[ch], 0, 255);
      for (int i = 0; i < 8; ++i) {
        const size_t bit = at + i;
        const auto mask = uint8_t(1u << (7 - (bit & 7)));
        if ((gain >> (7 - i)) & 1) side[bit >> 3] |= mask;
        else side[bit >> 3] &= uint8_t(~mask);
      }
    }
  if (h.crc) {
    const uint16_t crc = Mp3Crc(frame, sideInfo);
    frame[4] = uint8_t(crc >> 8), frame[5] = uint8_t(crc & 0xFF);
  }
}

// The envelope's levels (0 to 1, left and right) at an instant given in 44,100ths of a second:
// between its points along a line, before the first and after the last as they are.
void Levels(const std::vector<TSoundInfo::TEnvelopePoint>& envelope, double pos44, double* left, double* right) {
  *left = *right = 1;
  if (envelope.empty()) return;
  auto level = [](uint16_t v) { return std::min(1.0, v / 32768.0); };
  if (pos44 <= envelope.front().pos44) {
    *left = level(envelope.front().left), *right = level(envelope.front().right);
    return;
  }
  for (size_t i = 1; i < envelope.size(); ++i) {
    const auto& a = envelope[i - 1];
    const auto& b = envelope[i];
    if (pos44 > b.pos44) continue;
    const double span = double(b.pos44) - double(a.pos44), t = span > 0 ? (pos44 - a.pos44) / span : 1;
    *left = level(a.left) + (level(b.left) - level(a.left)) * t;
    *right = level(a.right) + (level(b.right) - level(a.right)) * t;
    return;
  }
  *left = level(envelope.back().left), *right = level(envelope.back().right);
}

bool Panned(const std::vector<TSoundInfo::TEnvelopePoint>& envelope) {
  return std::any_of(envelope.begin(), envelope.end(), [](const auto& p) { return p.left != p.right; });
}

// How many loops of `loopMs` from `firstLoop` go into a file of about `maxMs`.
uint32_t LoopsInFile(uint32_t loops, uint32_t firstLoop, int64_t loopMs, int64_t maxMs) {
  if (firstLoop >= loops) return 0;
  const int64_t fit = loopMs > 0 ? std::max<int64_t>(1, maxMs / loopMs) : 1;
  return uint32_t(std::min<int64_t>(fit, loops - firstLoop));
}

TSoundFile Mp3EventFile(const TSoundData& sound, const TSoundInfo& info, uint32_t firstLoop, int64_t maxMs) {
  TSoundFile file;
  file.extension = "mp3";
  const auto* data = reinterpret_cast<const uint8_t*>(sound.data.constData());
  std::vector<TMp3Frame> frames = Mp3Frames(data, size_t(sound.data.size()));
  // The in and out points cut whole frames: those that end before the in point, those that
  // start after the out point.
  std::vector<TMp3Frame> kept;
  int64_t at = 0;
  for (const TMp3Frame& f : frames) {
    const int64_t end = at + f.samples;
    if ((!info.hasIn || end > int64_t(info.in)) && (!info.hasOut || at <= int64_t(info.out))) kept.push_back(f);
    at = end;
  }
  if (kept.empty()) return file;
  int64_t loopSamples = 0;
  for (const TMp3Frame& f : kept) loopSamples += f.samples;
  const int rate = kept.front().rate;
  const int64_t loopMs = loopSamples * 1000 / rate;
  file.loops = LoopsInFile(std::max<uint16_t>(info.loops, 1), firstLoop, loopMs, maxMs);
  file.ms = loopMs * file.loops;
  for (uint32_t loop = 0; loop < file.loops; ++loop) {
    int64_t instant = int64_t(firstLoop + loop) * loopSamples;
    for (const TMp3Frame& f : kept) {
      const qsizetype start = file.bytes.size();
      file.bytes.append(reinterpret_cast<const char*>(data + f.offset), qsizetype(f.size));
      TMp3Header h;
      auto* frame = reinterpret_cast<uint8_t*>(file.bytes.data()) + start;
      if (!info.envelope.empty() && ParseMp3Header(frame, f.size, &h) && h.layer == 3) {
        // Each granule's level at its middle; one level for both channels of a mid-side frame.
        double left = 1, right = 1;
        Levels(info.envelope, (instant + f.samples / 2.0) * 44100.0 / rate, &left, &right);
        if (h.midSide || h.mono) left = right = (left + right) / 2;
        const double levels[2] = {left, right};
        int steps[2];
        bool silent[2];
        for (int c = 0; c < 2; ++c) {
          silent[c] = levels[c] < 1e-4;
          steps[c] = silent[c] ? 0 : int(std::lround(4 * std::log2(levels[c])));
        }
        ScaleGranules(frame, h, steps, silent);
      }
      instant += f.samples;
    }
  }
  return file;
}

}  // namespace

std::vector<TMp3Frame> Mp3Frames(const uint8_t* data, size_t size) {
  std::vector<TMp3Frame> frames;
  size_t at = 0;
  while (at + 4 <= size) {
    TMp3Header h;
    if (!ParseMp3Header(data + at, size - at, &h)) {
      ++at;  // not a frame here: look for the next
      continue;
    }
    if (at + size_t(h.size) > size) break;  // a frame cut short
    frames.push_back({at, size_t(h.size), h.samples, h.rate});
    at += size_t(h.size);
  }
  return frames;
}

TSoundFile EventSoundFile(const TSoundData& sound, const TSoundInfo& info, uint32_t firstLoop, int64_t maxMs) {
  if (sound.format == kSoundMp3) return Mp3EventFile(sound, info, firstLoop, maxMs);
  const TPcm pcm = DecodePcm(sound);
  TSoundFile file;
  const size_t instants = pcm.Frames();
  const size_t in = info.hasIn ? std::min<size_t>(info.in, instants) : 0;
  const size_t out = info.hasOut ? std::min<size_t>(size_t(info.out) + 1, instants) : instants;
  if (out <= in || pcm.rate <= 0) return file;
  const size_t loop = out - in;
  const int64_t loopMs = int64_t(loop) * 1000 / pcm.rate;
  file.loops = LoopsInFile(std::max<uint16_t>(info.loops, 1), firstLoop, loopMs, maxMs);
  if (file.loops == 0) return file;
  file.ms = int64_t(loop * file.loops) * 1000 / pcm.rate;
  // A mono sound whose envelope sets its two sides apart plays in stereo.
  TPcm played;
  played.rate = pcm.rate;
  played.channels = pcm.channels == 1 && Panned(info.envelope) ? 2 : pcm.channels;
  played.samples.resize(loop * file.loops * size_t(played.channels));
  int16_t* to = played.samples.data();
  for (uint32_t l = 0; l < file.loops; ++l) {
    const int64_t base = int64_t(firstLoop + l) * int64_t(loop);
    for (size_t i = 0; i < loop; ++i) {
      double left = 1, right = 1;
      if (!info.envelope.empty()) Levels(info.envelope, double(base + int64_t(i)) * 44100.0 / pcm.rate, &left, &right);
      const int16_t* from = pcm.samples.data() + (in + i) * size_t(pcm.channels);
      const int16_t l0 = from[0], r0 = pcm.channels == 2 ? from[1] : from[0];
      if (played.channels == 1) {
        *to++ = int16_t(std::lround(l0 * (left + right) / 2));
      } else {
        *to++ = int16_t(std::lround(l0 * left));
        *to++ = int16_t(std::lround(r0 * right));
      }
    }
  }
  file.bytes = Wav(played);
  return file;
}

TSoundFile StreamSoundFile(const TStreamSound& stream) {
  TSoundFile file;
  file.loops = 1;
  file.ms = stream.format.rate > 0 ? stream.samples * 1000 / stream.format.rate : 0;
  if (stream.format.format == kSoundMp3) {
    file.extension = "mp3";
    for (const TStreamSound::TBlock& b : stream.blocks) file.bytes += b.data;
    return file;
  }
  TSoundData whole = stream.format;
  TPcm pcm;
  pcm.rate = stream.format.rate;
  pcm.channels = stream.format.stereo ? 2 : 1;
  // Each block is decoded on its own: an ADPCM block begins with its own code size and packets.
  for (const TStreamSound::TBlock& b : stream.blocks) {
    whole.data = b.data;
    whole.samples = 0;
    const TPcm part = DecodePcm(whole);
    pcm.samples.insert(pcm.samples.end(), part.samples.begin(), part.samples.end());
    if (pcm.Frames() >= kMaxInstants) break;
  }
  file.bytes = Wav(pcm);
  return file;
}

int64_t BlockMs(const TStreamSound& stream, int block) {
  if (block < 0 || size_t(block) >= stream.blocks.size() || stream.format.rate <= 0) return 0;
  return stream.blocks[size_t(block)].firstSample * 1000 / stream.format.rate;
}

}  // namespace sf::swf
