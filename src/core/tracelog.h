#pragma once
#include <string>
// The trace log. Zenolith writes no log file, so these do nothing; the calls stay where the
// program marks its start, end and top-level exceptions.

void LogOpen();
void LogWrite(const std::string& text);
void LogClose();
