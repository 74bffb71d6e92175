#pragma once
#include <vector>

#include <QIcon>
#include <QPixmap>

// Tool-bar and window images, drawn in code.

/// Side of a tool-bar image in pixels.
constexpr int ToolBarImageSize = 24;
/// Side of a window icon in pixels.
constexpr int IconImageSize = 32;

/// Image `index` of the tool-bar image list (24 x 24, transparent background); a null pixmap for
/// an index that has no image.
QPixmap ToolBarImage(int index);
/// The same image as an icon (null icon for an index without image).
QIcon ToolBarIcon(int index);
/// Every index that has a tool-bar image, ascending.
const std::vector<int>& ToolBarImageIndices();

/// Image `index` of the window icon list (32 x 32); image 0 is the program's icon, a small
/// Mandelbrot set. Null for other indices.
QPixmap IconImage(int index);
/// Image 0 as an icon: the application's, the about box's and every child window's icon.
QIcon ApplicationIcon();
