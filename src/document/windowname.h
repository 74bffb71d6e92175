#pragma once
#include <string>

/// The name a window takes from typed `text`: without blanks (spaces and control characters)
/// at either end, with tabs and line breaks inside made spaces, as a project file would read
/// them back. An empty result means "no name". Every name the program accepts goes through
/// this, so a stored name always comes back equal.
std::string WindowNameFromText(const std::string& text);
