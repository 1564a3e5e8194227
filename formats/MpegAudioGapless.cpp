#include "formats/MpegAudioGapless.h"

#include <algorithm>
#include <array>
#include <fstream>

namespace eggtimer::mpeg {

namespace {

// Junk some taggers leave between an ID3v2 tag and the first frame.
constexpr std::size_t kLongestLeadIn = 4096;
// The Xing/Info header and LAME extension lie within the first frame's first
// 200 bytes; a little more covers the side information before them.
constexpr std::size_t kHeaderFrameBytes = 256;

std::uint8_t byteAt(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint8_t>(bytes[at]);
}

std::uint32_t bigEndian(std::string_view bytes, std::size_t at, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count; ++i)
        value = (value << 8) | byteAt(bytes, at + i);
    return value;
}

// The extension opens with the encoder's name and version ("LAME3.100",
// "Lavc59.37"): printable, starting with a letter. A Xing header from an
// encoder that wrote no extension has other bytes there.
bool namesAnEncoder(std::string_view name) {
    const auto printable = [](char c) { return c >= 0x20 && c < 0x7F; };
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    return letter(name.front()) && std::all_of(name.begin(), name.begin() + 4, printable);
}

struct FrameHeader {
    bool mpeg1 = false;
    bool mono = false;
    std::uint32_t sampleRate = 0;
    std::uint32_t samplesPerFrame = 0;
};

// Layer III frame headers only: the Xing/Info header exists for no other.
std::optional<FrameHeader> layer3Header(std::string_view bytes, std::size_t at) {
    if (at + 4 > bytes.size() || byteAt(bytes, at) != 0xFF || (byteAt(bytes, at + 1) & 0xE0) != 0xE0)
        return std::nullopt;
    const unsigned version = (byteAt(bytes, at + 1) >> 3) & 3; // 0: 2.5, 1: reserved, 2: 2, 3: 1
    const unsigned layer = (byteAt(bytes, at + 1) >> 1) & 3;   // 1: layer III
    const unsigned bitrate = byteAt(bytes, at + 2) >> 4;
    const unsigned rate = (byteAt(bytes, at + 2) >> 2) & 3;
    if (version == 1 || layer != 1 || bitrate == 15 || rate == 3)
        return std::nullopt;
    constexpr std::array<std::uint32_t, 3> kMpeg1Rates{44100, 48000, 32000};
    FrameHeader header;
    header.mpeg1 = version == 3;
    header.mono = (byteAt(bytes, at + 3) >> 6) == 3;
    header.sampleRate = kMpeg1Rates[rate] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    header.samplesPerFrame = header.mpeg1 ? 1152 : 576;
    return header;
}

std::optional<GaplessInfo> parseHeaderFrame(std::string_view frame, const FrameHeader& header) {
    const std::size_t sideInfo = header.mpeg1 ? (header.mono ? 17 : 32) : (header.mono ? 9 : 21);
    std::size_t at = 4 + sideInfo;
    if (at + 8 > frame.size())
        return std::nullopt;
    const std::string_view marker = frame.substr(at, 4);
    if (marker != "Xing" && marker != "Info")
        return std::nullopt;
    const std::uint32_t flags = bigEndian(frame, at + 4, 4);
    at += 8;
    if (!(flags & 0x1) || at + 4 > frame.size())
        return std::nullopt;
    const std::uint32_t frames = bigEndian(frame, at, 4);
    at += 4;
    if (flags & 0x2)
        at += 4; // byte count
    if (flags & 0x4)
        at += 100; // seek table
    if (flags & 0x8)
        at += 4; // quality
    // The LAME extension: encoder name (9), revision, low-pass, replay gain
    // (8), flags, bit rate, then delay and padding in 12 bits each. Its
    // closing checksum is not checked: encoders compute it differently.
    const std::size_t lame = at;
    if (lame + 36 > frame.size() || !namesAnEncoder(frame.substr(lame, 9)))
        return std::nullopt;
    GaplessInfo info;
    info.sampleRate = header.sampleRate;
    info.totalSamples = std::uint64_t(frames) * header.samplesPerFrame;
    info.encoderDelay = (byteAt(frame, lame + 21) << 4) | (byteAt(frame, lame + 22) >> 4);
    info.encoderPadding = ((byteAt(frame, lame + 22) & 0x0F) << 8) | byteAt(frame, lame + 23);
    if (frames == 0 || std::uint64_t(info.encoderDelay) + info.encoderPadding >= info.totalSamples)
        return std::nullopt;
    return info;
}

} // namespace

std::size_t id3v2TagSize(std::string_view head) {
    if (head.size() < 10 || head.substr(0, 3) != "ID3")
        return 0;
    // Sizes are "synchsafe": seven bits a byte.
    std::size_t size = 0;
    for (std::size_t i = 6; i < 10; ++i) {
        if (byteAt(head, i) & 0x80)
            return 0;
        size = (size << 7) | byteAt(head, i);
    }
    const bool footer = byteAt(head, 5) & 0x10;
    return 10 + size + (footer ? 10 : 0);
}

std::optional<GaplessInfo> parseGaplessInfo(std::string_view bytes) {
    const std::size_t limit = std::min(bytes.size(), kLongestLeadIn);
    for (std::size_t at = 0; at < limit; ++at) {
        // A false sync in junk before the first frame fails to parse: go on.
        const std::optional<FrameHeader> header = layer3Header(bytes, at);
        std::optional<GaplessInfo> info;
        if (header)
            info = parseHeaderFrame(bytes.substr(at, kHeaderFrameBytes), *header);
        if (info)
            return info;
    }
    return std::nullopt;
}

std::optional<GaplessInfo> readGaplessInfo(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::string head(10, '\0');
    if (!file.read(head.data(), static_cast<std::streamsize>(head.size())))
        return std::nullopt;
    file.seekg(static_cast<std::streamoff>(id3v2TagSize(head)));
    std::string bytes(kLongestLeadIn + kHeaderFrameBytes, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return parseGaplessInfo(bytes);
}

} // namespace eggtimer::mpeg
