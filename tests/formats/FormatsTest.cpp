// The file-format readers. An AIFF file is told by its first twelve bytes,
// whatever its name. The encoder delay and padding of MPEG audio files are
// read from the Info header frame: synthetic header frames of each layout,
// damaged ones, and a file made by the encoder itself. Each table's rows all
// run; a failure names its row.

#include "formats/AiffHeader.h"
#include "formats/MpegAudioGapless.h"

#include "tests/support/MediaFiles.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace eggtimer::test {
namespace {

TEST(AiffHeader, IsToldByItsFormAndType) {
    const std::pair<std::string, bool> heads[] = {
        {std::string("FORM\0\0\x10\0AIFF", 12), true},
        {std::string("FORM\0\0\x10\0AIFC", 12), true},
        {std::string("RIFF\0\0\x10\0WAVE", 12), false},
        {std::string("FORM\0\0\x10\08SVX", 12), false},
        {std::string("form\0\0\x10\0aiff", 12), false},
        {std::string("FORM\0\0\x10\0AIF", 11), false}, // cut short
        {"FORM", false},
    };
    for (const auto& [head, aiff] : heads)
        EXPECT_EQ(aiff::isAiffHeader(head), aiff) << ::testing::PrintToString(head);
}

struct Layout {
    const char* name;
    // Second to fourth header bytes: version and layer, bit rate and sample
    // rate, channel mode.
    std::uint8_t versionLayer, rateByte, modeByte;
    std::uint32_t flags;
    std::size_t sideInfo;
};

void putBigEndian(std::string& bytes, std::size_t at, std::uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i, value >>= 8)
        bytes[at + std::size_t(i)] = char(value & 0xFF);
}

// One 417-byte header frame: frame header, side information (zeros), the
// Xing/Info header with the fields `flags` names, and the LAME extension.
std::string headerFrame(const Layout& layout, std::uint32_t frames, std::uint32_t delay,
                        std::uint32_t padding, const std::string& encoder = "LAME3.100",
                        const char* marker = "Info") {
    std::string frame{char(0xFF), char(layout.versionLayer), char(layout.rateByte), char(layout.modeByte)};
    frame.resize(417);
    std::size_t at = 4 + layout.sideInfo;
    frame.replace(at, 4, marker);
    putBigEndian(frame, at + 4, layout.flags, 4);
    at += 8;
    if (layout.flags & 0x1)
        putBigEndian(frame, at, frames, 4), at += 4;
    if (layout.flags & 0x2)
        putBigEndian(frame, at, 17135, 4), at += 4;
    if (layout.flags & 0x4)
        at += 100;
    if (layout.flags & 0x8)
        at += 4;
    frame.replace(at, encoder.size(), encoder);
    putBigEndian(frame, at + 21, (delay << 12) | padding, 3);
    return frame;
}

// MPEG-1 layer III at 128 kb/s, 44.1 kHz, mono; MPEG-1 at 48 kHz, joint
// stereo, every field; MPEG-2 at 22.05 kHz, mono; MPEG-2.5 at 11.025 kHz,
// stereo.
const Layout kMpeg1Mono{"Mpeg1Mono44k", 0xFB, 0x90, 0xC0, 0x0F, 17};
const Layout kMpeg1Stereo{"Mpeg1Stereo48k", 0xFB, 0x94, 0x40, 0x0F, 32};
const Layout kMpeg2Mono{"Mpeg2Mono22k", 0xF3, 0x80, 0xC0, 0x01, 9};
const Layout kMpeg25Stereo{"Mpeg25Stereo11k", 0xE3, 0x80, 0x00, 0x03, 21};

TEST(GaplessRead, GivesTheSamplesHeardBetweenDelayAndPaddingInEachLayout) {
    struct Case {
        Layout layout;
        std::uint32_t frames, delay, padding, sampleRate;
        std::uint64_t audible;
    };
    const Case cases[] = {
        {kMpeg1Mono, 40, 576, 1404, 44100, 44100},
        {kMpeg1Stereo, 1000, 1105, 2500, 48000, 1148395},
        {kMpeg2Mono, 100, 4095, 0, 22050, 53505},
        {kMpeg25Stereo, 10, 0, 1000, 11025, 4760},
    };
    for (const Case& c : cases) {
        // Nothing read reads as a rate of 0.
        const mpeg::GaplessInfo info =
            mpeg::parseGaplessInfo(headerFrame(c.layout, c.frames, c.delay, c.padding) +
                                   std::string(800, 'U'))
                .value_or(mpeg::GaplessInfo{});
        EXPECT_EQ(info.sampleRate, c.sampleRate) << c.layout.name;
        EXPECT_EQ(info.audibleSamples(), c.audible) << c.layout.name;
    }
}

TEST(GaplessRead, FindsTheFrameAfterAnId3TagAndJunk) {
    // A ten-byte header with a footer flag and a synchsafe size of 300.
    std::string tag{"ID3\x04\x00\x10\x00\x00\x02\x2c", 10};
    tag += std::string(300 + 10, 'x');
    ASSERT_EQ(mpeg::id3v2TagSize(tag), 320U);
    // Junk with a false sync (a layer II header) before the first frame.
    const std::string junk{"\x00\xff\xfd\x90\xc0junk", 9};
    const std::string file = tag + junk + headerFrame(kMpeg1Mono, 40, 576, 1404);
    const auto info = mpeg::parseGaplessInfo(std::string_view(file).substr(mpeg::id3v2TagSize(file)));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->audibleSamples(), 44100U);
    // No tag, a size that is not synchsafe, a header cut short.
    for (const std::string& head :
         {file.substr(320, 10), std::string("ID3\x04\0\0\x80\0\0\0", 10), std::string("ID3")})
        EXPECT_EQ(mpeg::id3v2TagSize(head), 0U);
}

TEST(GaplessRead, GivesNothingForADamagedHeader) {
    const Layout withoutFrameCount{kMpeg1Mono.name, 0xFB, 0x90, 0xC0, 0x06, 17};
    const Layout layerTwo{kMpeg1Mono.name, 0xFD, 0x90, 0xC0, 0x0F, 17};
    const std::pair<const char*, std::string> damaged[] = {
        {"NoFrame", std::string(2000, 'a')},
        {"NoFrameCount", headerFrame(withoutFrameCount, 40, 576, 1404)},
        {"NoLameExtension", headerFrame(kMpeg1Mono, 40, 576, 1404, std::string(9, '\0'))},
        {"NotAnInfoHeader", headerFrame(kMpeg1Mono, 40, 576, 1404, "LAME3.100", "Xinf")},
        {"DelayAndPaddingFillTheStream", headerFrame(kMpeg1Mono, 2, 1152, 1152)},
        {"LayerTwo", headerFrame(layerTwo, 40, 576, 1404)},
        {"CutInsideTheExtension", headerFrame(kMpeg1Mono, 40, 576, 1404).substr(0, 160)},
    };
    for (const auto& [name, bytes] : damaged)
        EXPECT_FALSE(mpeg::parseGaplessInfo(bytes)) << name;
}

// The encoder itself, through ffmpeg: one second of tone at 44.1 kHz.
TEST(GaplessRead, AnEncodedSecondIsHeardForExactlyOneSecond) {
    ScratchFolder folder;
    const std::string path = folder / "tone.mp3";
    makeToneFile(path);
    const auto info = mpeg::readGaplessInfo(path);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->sampleRate, 44100U);
    EXPECT_EQ(info->audibleSamples(), 44100U);
}

} // namespace
} // namespace eggtimer::test
