#pragma once

#include "app/CommandLine.h"

// The command line's export: the pattern drawn from its code (or the code in a pattern file) and
// written without any window. Progress goes to standard error when that is a terminal. Returns
// the exit status: 0 when the file is written, otherwise 1 after one line saying why (130 when
// interrupted).
int runExportCommand(const ExportCommand& command);
