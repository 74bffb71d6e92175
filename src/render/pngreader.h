#pragma once
#include <string>

class TPixelBuffer;

/// Reads the PNG picture `path` (a regular file; pipes and devices are refused at once) into
/// `picture`, 0xFFBBGGRR a pixel. Takes 8-bit RGB and RGBA pictures without interlacing, with
/// any of the five row filters: what WritePicturePng and WritePixelsPng write (alpha is
/// dropped). False with the reason when the file cannot be opened, is cut short, its
/// checksums or compressed data are broken, its kind is another, or it is larger than
/// `maxPixels`; `picture` is then unchanged.
bool ReadPicturePng(const std::string& path, TPixelBuffer& picture, std::string& error,
                    long long maxPixels = 1LL << 28);
