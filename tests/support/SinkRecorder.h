#pragma once
// Moved to support/; this stays only until the media benchmarks include it
// from there.
#include "support/SinkRecorder.h"
