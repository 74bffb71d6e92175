#pragma once
#include <atomic>
#include <string>

class TPixelBuffer;

// Pictures written as image files.

/// The image format for the extension of `path`: "PNG" for ".png", "JPEG" for ".jpg" and
/// ".jpeg" (any case); empty for anything else.
std::string ImageFormatOf(const std::string& path);

/// Writes `picture` to `path` in the format of its extension, through a temporary file that
/// replaces `path` only once it is complete. False with the reason in `error` when it cannot
/// be written; false without a reason when `cancel` (may be null) was set before the file was
/// put in place. Safe to call on any thread.
bool WriteImageFile(const TPixelBuffer& picture, const std::string& path, std::string& error,
                    const std::atomic<bool>* cancel = nullptr);
