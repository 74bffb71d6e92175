#pragma once
#include <string>

#include <QStringList>

/// Turns a filter of the form "Fractals (*.zlf)|*.zlf|All files (*.*)|*.*" into Qt name filters
/// ("Fractals (*.zlf)", "All files (*)"). Patterns of a pair are separated by ";"; the match-all
/// pattern "*.*" becomes "*" so that it also matches names without a dot. A description's own
/// parenthesised pattern list is replaced by the real patterns. A trailing description without
/// patterns is dropped.
QStringList QtNameFilters(const std::string& filter);
