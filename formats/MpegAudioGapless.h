#pragma once
// The length of what is heard of an MPEG audio file (.mp3, .mpa), read from
// the Xing/Info header frame and its LAME extension, which LAME and libavcodec
// write. An MPEG audio stream is a whole number of frames: the encoder adds
// silence before the sound (its delay, plus the decoder's) and after it (to
// fill the last frame). GStreamer counts all of it in the file's length, and
// a movie timed by that length would pause too long before it is played
// again.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace eggtimer::mpeg {

struct GaplessInfo {
    std::uint32_t sampleRate = 0;
    // Samples of every audio frame, the header frame excluded.
    std::uint64_t totalSamples = 0;
    // Silence the encoder put before and after the sound.
    std::uint32_t encoderDelay = 0;
    std::uint32_t encoderPadding = 0;

    std::uint64_t audibleSamples() const { return totalSamples - encoderDelay - encoderPadding; }
};

// The size of the ID3v2 tag (header, footer and all) that `head`, the first
// bytes of a file, opens with; 0 when it opens with none.
std::size_t id3v2TagSize(std::string_view head);

// Nothing unless `bytes`, what follows any ID3v2 tag, holds near its start an
// MPEG audio frame with a Xing or Info header that counts the frames, and a
// LAME extension that names its encoder and whose delay and padding fit in
// the stream.
std::optional<GaplessInfo> parseGaplessInfo(std::string_view bytes);

// Reads the start of the file at `path` (past an ID3v2 tag of any size) and
// parses it. Nothing when it cannot be read or holds no such header.
std::optional<GaplessInfo> readGaplessInfo(const std::string& path);

} // namespace eggtimer::mpeg
