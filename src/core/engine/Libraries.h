#pragma once
// The FFmpeg libraries' process-wide settings.

namespace engine {

// Called once at the start of every program that uses the engines (the program, the test
// programs, the fuzz targets, the benchmarks), before any other thread runs: encoders chatter
// at info level (x264's statistics at every close), so only warnings and errors are printed.
// A level set before (FFmpeg's own default aside) is kept.
void initLibraries();

} // namespace engine
