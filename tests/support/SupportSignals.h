#pragma once
// Signals made in code, and readable views of them, for the tests of every layer.
#include "KVErrorList.h"
#include "KVSignal.h"

#include <functional>
#include <string>
#include <vector>

// n points X = x0 + i * dx, Y = y(i), indices 0..n-1, extremes set; no other header field.
KVSignal MakeSignal(size_t n, float x0, float dx, const std::function<float(size_t)>& y);
// A recorded channel's time grid (nfp + k) * del, k = 0..nlp-nfp, Y = f(t):
// indices nfp..nlp, Del = del, X in SECONDS of TIME.
KVSignal UniformSignal(int nfp, int nlp, float del, const std::function<double(double)>& f);
// A test pulse for the curve rating: 0 to 0.1 s at 0.1 ms (1001 samples), a
// half-sine of height 40 from 0.02 + delay to 0.06 + delay s, Y in yUnits.
KVSignal RatingPulse(double delay, const char* yUnits);
// A signal from explicit X and Y values, without a constant step.
KVSignal XYSignal(const std::vector<float>& x, const std::vector<float>& y);

std::vector<float> YOf(const KVSignal& s);
std::vector<float> XOf(const KVSignal& s);
// Every recorded error as "scope<separator>message", in order.
std::vector<std::string> ErrorLines(const KVErrorList& list, const char* separator = " | ");
// The names of the header fields (and "Side") in which a and b differ.
std::vector<std::string> HeaderDifferences(const KVHeader& a, const KVHeader& b);
// Whether the samples and the header of two signals are equal.
bool SameSignal(const KVSignal& a, const KVSignal& b);
