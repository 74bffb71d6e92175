#pragma once
#include <string>

#include <QString>

// Folders an installed program finds beside its own.

/// The examples of a program in `programFolder`: the folder that the install puts beside it
/// (`<prefix>/share/zenolith/examples` for `<prefix>/bin`), when it is there; empty otherwise,
/// as for a program run from its build folder.
std::string ExamplesFolderBeside(const QString& programFolder);
/// The examples of the running program (see ExamplesFolderBeside).
std::string InstalledExamplesFolder();
