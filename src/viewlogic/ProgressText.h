#pragma once
// The percentage a long run shows, in the progress window's caption and in
// the lines a run without a window writes.
#include <QString>

// pos * 100 / (upper - lower) in whole percent; 0 for an empty range.
int ProgressPercent(int pos, int upper, int lower);
// "title [percent%]", the caption of the window.
QString ProgressCaption(const QString& title, int percent);
