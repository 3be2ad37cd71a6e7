// The sound of a movie: where a playing movie's sounds go (TSoundOutput, which the flash window
// gives the control), and the files the media player plays for them: ADPCM and uncompressed
// samples decoded by our own code to 16-bit PCM in a WAV file, MP3 as it is. An event sound's
// in and out points, loops and envelope are applied to what is written: exactly to PCM, to MP3
// at the granularity of its frames (the envelope through each granule's global gain, in steps of
// 1.5 dB).
#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

#include "swf/movie.h"

namespace sf::swf {

// Where the sounds of a playing movie go. The player calls it as the frames come; the movie's own
// stream paces its frames.
class TSoundOutput {
 public:
  virtual ~TSoundOutput() = default;
  // The stream of a timeline (the movie's, which `paces` its frames, or one sprite's on the stage:
  // each its own, though two may play the same) sounds from the start of one of its blocks, until
  // stopped or started again.
  virtual void StartStream(const void* timeline, const TStreamSound& stream, int block, bool paces) = 0;
  virtual void StopStream(const void* timeline) = 0;
  // Where a timeline's stream stands, in milliseconds from the start of its first block; -1 when
  // it does not sound (not started, stopped, broken off or ended).
  virtual int64_t StreamPosition(const void* timeline) = 0;
  // An event sound, character `id`, starts (or, by its info, stops).
  virtual void StartSound(uint16_t id, const TSoundData& sound, const TSoundInfo& info) = 0;
};

// 16-bit samples, channel by channel for each instant.
struct TPcm {
  int rate = 44100;
  int channels = 1;
  std::vector<int16_t> samples;
  size_t Frames() const { return channels > 0 ? samples.size() / size_t(channels) : 0; }
};

// The samples of ADPCM data as SWF stores it: the code size, then packets of an initial sample
// and step index per channel and up to 4,095 codes per channel. At most `limit` instants.
std::vector<int16_t> DecodeAdpcm(const uint8_t* data, size_t size, int channels, size_t limit = SIZE_MAX);
// The instants of ADPCM data, without decoding it.
int64_t AdpcmFrames(const uint8_t* data, size_t size, int channels);

// A sound's samples: ADPCM and uncompressed (8-bit unsigned, 16-bit little-endian). Throws
// ESwfError for the formats not decoded here (MP3 goes to the media player as it is; Nellymoser
// and Speex are not played).
TPcm DecodePcm(const TSoundData& sound);

// A WAV file of 16-bit PCM.
QByteArray Wav(const TPcm& pcm);

// A file for the media player.
struct TSoundFile {
  QByteArray bytes;
  const char* extension = "wav";
  uint32_t loops = 0;   // the loops it holds
  int64_t ms = 0;       // its length
};

// An event sound with its info applied: the loops from `firstLoop` on, as many as fit in about
// `maxMs` (at least one, at most those left), the envelope counted from the start of the first
// loop. Empty bytes when there is nothing to play (an out point at or before the in point, no
// loops left). Throws ESwfError for a sound it cannot make a file of.
TSoundFile EventSoundFile(const TSoundData& sound, const TSoundInfo& info, uint32_t firstLoop, int64_t maxMs);

// A stream's blocks one after another.
TSoundFile StreamSoundFile(const TStreamSound& stream);
// Where a block of a stream starts, in milliseconds.
int64_t BlockMs(const TStreamSound& stream, int block);

// The MP3 frames of data, each with the instants it holds; frames that cannot be parsed end it.
struct TMp3Frame {
  size_t offset, size;
  int samples, rate;
};
std::vector<TMp3Frame> Mp3Frames(const uint8_t* data, size_t size);

}  // namespace sf::swf
