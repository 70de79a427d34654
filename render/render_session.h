// One rendering pass of the render song through the synthesizer module:
// begin (bind the module, start the engine), step block by block, end.
// Between the module and the blocks handed out, the samples are scaled by a
// gain and a look-ahead limiter keeps their true peak under a ceiling; a
// song below it passes as a plain gain. The
// module renders one block ahead of the block handed out, for the limiter
// to see what follows.
// The module record and the engine exist from BeginRender to EndRender and
// are reached through their program-wide current pointers meanwhile.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "render/loudness.h"

class ChordProcess;
class SongContainer;
struct SynthModule;

// The engine of the running conversion, or null.
extern ChordProcess* g_pEngine;

// Rendering stops at most this long after the song's end, even if the module
// never falls silent.
constexpr int kMaxTailMs = 30000;

// The clock's rate when the song plays at its own tempi.
constexpr int kNormalTempoPercent = 100;

// A ceiling at full scale: only what 16-bit samples could not hold is limited.
constexpr double kFullScaleDbtp = 0.0;

// The gain on the module's output of a song written or played as it is
// rendered, with no level set afterwards (+2.9 dB): at the module's default
// gain a typical song comes out near -20 LUFS, and the limiter keeps the
// loudest under the ceiling.
constexpr double kAsRenderedGain = 1.4;

// The gain on the rendered samples, and the ceiling they are kept under.
struct RenderLimit {
    double gain = kAsRenderedGain;
    double ceilingDbtp = kTruePeakCeilingDbtp;  // the highest true peak of the blocks handed out
    bool recordCurve = false;  // keep the limiter's factor of every frame (RenderCurve)
    // Borrowed until EndRender; when set, each frame takes its factor from
    // it (1 past its end) instead of from a limiter of its own, as the
    // stems of a mix take the mix's.
    const std::vector<float>* curve = nullptr;
};

// Binds the module and starts playing `song` (borrowed until EndRender) from
// its beginning; `bufferBytes` and `framesPerBlock` receive the block size.
// Returns the song's length in ms (>= 0), or the negative binding result, or
// -1 when the song cannot be played.
// The clock plays the song's tempi at `tempoScale` percent; the samples are
// limited as `limit` says.
int BeginRender(SongContainer& song, int& bufferBytes, int& framesPerBlock, int tempoScale = kNormalTempoPercent,
                const RenderLimit& limit = {});
// Plays `song` (borrowed until EndRender) from its beginning on the module
// bound by BeginRender, after silencing the module and resetting it to its
// starting state (every channel's sound and controllers, General MIDI
// system on). Returns as BeginRender does; -1 when no render is running.
int RestartRender(SongContainer& song, int tempoScale);
// The record of the bound module, or null when no render is running.
SynthModule* RenderModule();
// With the curve recorded: the limiter's factor for each frame rendered so
// far (it may run a block past the frames handed out); empty while the
// limiter has not acted.
const std::vector<float>& RenderCurve();
// The render time in ms at the end of the blocks handed out so far (the
// module has rendered one block further).
int HandedOutMs();
// Renders the next block into `block` (bufferBytes long). Returns the elapsed
// render time in ms after this block (> 0), or 0 when the song is over; the
// block of a 0 result is not part of the song.
int RenderStep(std::span<std::uint8_t> block);
// Stops the engine and unbinds the module. Returns 1 if nothing was running, else 0.
int EndRender();

// Ends the running render, if any, when it goes out of scope.
class RenderSessionGuard {
public:
    RenderSessionGuard() = default;
    ~RenderSessionGuard() { EndRender(); }
    RenderSessionGuard(const RenderSessionGuard&) = delete;
    RenderSessionGuard& operator=(const RenderSessionGuard&) = delete;
};
