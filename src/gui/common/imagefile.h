#pragma once
#include <atomic>
#include <string>

#include <QImage>

class TPixelBuffer;

// Pictures written as image files.

/// The image format for the extension of `path`: "PNG" for ".png", "JPEG" for ".jpg" and
/// ".jpeg" (any case); empty for anything else.
std::string ImageFormatOf(const std::string& path);

/// An image over the buffer's own memory (no copy), valid while the buffer keeps its size; null
/// for an empty buffer. Painting on the image made from a non-const buffer paints the buffer.
QImage PixelBufferImage(const TPixelBuffer& picture);
QImage PixelBufferImage(TPixelBuffer& picture);

/// Writes `picture` to `path` in the format of its extension, through a TSafeFile that
/// replaces `path` only once it is complete and synced. False with the reason in `error` when
/// it cannot be written (the system's words, e.g. "No space left on device", or "not a regular
/// file" for a pipe or a device, which is never waited for); false without a reason when
/// `cancel` (may be null) was set before the file was put in place. A file replaced without
/// its owner (TSafeFile::Warning) is written all the same, and `warning` (may be null) gets the
/// warning for the caller to show. Safe on any thread.
bool WriteImageFile(const TPixelBuffer& picture, const std::string& path, std::string& error,
                    const std::atomic<bool>* cancel = nullptr, std::string* warning = nullptr);
