#pragma once
// Measuring a media file before it is played: GStreamer's discoverer, for
// MPEG program streams a parse of their audio to its end, and for AIFF files
// a pipeline of our own (see GstAiff.h).

#include <gst/gst.h>

#include <cstdint>
#include <optional>
#include <string>

namespace eggtimer::gst {

// Long enough for any sound file on a local disk, a MIDI file whose
// synthesizer first loads its sound font on a busy machine included; short
// enough that a file that makes a demuxer search does not freeze the window
// for long.
inline constexpr GstClockTime kDiscoveryTimeout = 5 * GST_SECOND;
// An AIFF file is read by a pipeline of our own, with no synthesizer to load.
inline constexpr GstClockTime kAiffReadTimeout = 2 * GST_SECOND;

struct MediaFacts {
    // Length, capped at the largest 32-bit count.
    std::int32_t milliseconds = 0;
    bool hasAudio = false;
};

// Nothing when the file cannot be read as media, with `whyNot` (when given)
// saying why in a few words; one line in the log when a missing plug-in is
// why. Blocks for up to kDiscoveryTimeout (kAiffReadTimeout for an AIFF
// file), twice that for an MPEG program stream. Needs GStreamer started.
std::optional<MediaFacts> discover(const std::string& path, std::string* whyNot = nullptr);

} // namespace eggtimer::gst
