#pragma once

class QWidget;

// Shows a window in front and active. show() alone leaves a minimised window minimised: it comes
// back here, keeping the rest of its state (maximised stays maximised).
void bringToFront(QWidget* window);
