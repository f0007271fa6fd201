#pragma once

#include <memory>
#include <string>

class QApplication;

// Checks made before the application object is built, where Qt would otherwise end with a page
// of text and an abort, or open windows no screen can hold. Each returns one line saying what is
// wrong, or an empty text.

// The display: DISPLAY unset, no X server answering there, or a screen it does not have.
std::string displayProblem();

// QT_SCALE_FACTOR that is no number, or one at which no window could be shown.
std::string scaleFactorProblem();

// The application object. When no window system starts (a QT_QPA_PLATFORM Qt does not have),
// says so in one line and ends the program with status 1.
std::unique_ptr<QApplication> startApplication(int& argc, char* argv[]);
