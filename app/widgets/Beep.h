#pragma once

#include <functional>

// The system beep. Every beep of the program goes through here so that tests can count them.
void Beep();

// Called on every beep in place of the audible one while set; pass an empty function to restore.
void setBeepObserver(std::function<void()> observer);
