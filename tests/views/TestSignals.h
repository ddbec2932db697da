#pragma once
// Signals and a QApplication for the view tests.
#include "PlotSignals.h"

// The one QApplication of the test program (offscreen platform).
void EnsureApplication();
