#pragma once
#include <QString>

// The number at the start of text, as the C library's atof reads it in the
// "C" locale: leading blanks skipped, the longest number prefix taken, 0 when
// text does not begin with a number.
double TextToNumber(const QString& text);
