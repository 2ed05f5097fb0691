// The files a run writes, under these names, into the current folder.
#pragma once

namespace veldax {

inline constexpr const char* kStimulusFile = "stimulus.dat";
inline constexpr const char* kGoldenFile = "golden.dat";
inline constexpr const char* kGoldenYuvFile = "golden.yuv";   // YUV input only
inline constexpr const char* kGoldenBmpFile = "golden.bmp";   // BMP input only
inline constexpr const char* kParamsFile = "params.v";
inline constexpr const char* kHeaderFile = "veldax_head";

inline constexpr const char* kOutputFiles[] = {kStimulusFile,  kGoldenFile, kGoldenYuvFile,
                                               kGoldenBmpFile, kParamsFile, kHeaderFile};

}  // namespace veldax
