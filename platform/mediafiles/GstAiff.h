#pragma once
// AIFF and AIFF-C files are played and measured by a pipeline built here,
// parser linked to converter before any data flows, not by decodebin:
// aiffparse's source pad gets its caps from the streaming thread, possibly
// while decodebin (inside playbin and the discoverer) is still setting the
// parser up, and decodebin may then never link it and wait for good. libav's
// AIFF demuxer, decodebin's other choice, maps 16-bit samples only. aiffparse
// reads 8, 16, 24 and 32-bit integers, 32 and 64-bit floats and little-endian
// ("sowt") data.

#include <gst/gst.h>

#include <optional>
#include <string>

namespace eggtimer::gst {

// False when aiffparse is not installed or is kept from autoplugging (rank
// none, as GST_PLUGIN_FEATURE_RANK can set): AIFF files are then left to
// playbin and the discoverer, which say what is missing.
bool aiffParserAvailable();

// "filesrc ! aiffparse ! audioconvert ! audioresample ! <sink>" for `path`,
// or nothing (with `sink` released) when one of those elements is missing.
// Takes `sink` (floating).
GstElement* makeAiffPipeline(const std::string& path, GstElement* sink);

// The length of an AIFF file as aiffparse reads it, after prerolling into a
// fakesink; nothing when the file cannot be parsed within `limit`.
std::optional<GstClockTime> aiffLength(const std::string& path, GstClockTime limit);

} // namespace eggtimer::gst
