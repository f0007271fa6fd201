#pragma once

// Teaches the window registry how to build each window, then shows the start-up window.
void registerWindows();
void startProgram();
