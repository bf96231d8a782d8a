// What every benchmark program shares: a clock, the summary of a series of runs and the one line
// per figure that scripts/bench collects.
#pragma once

#include <windows.h>

#include <vector>

struct CSummary {
    double median = 0;
    double min = 0;
    double max = 0;
    size_t runs = 0;
};

// Milliseconds from an arbitrary start; only differences mean anything.
double NowMs();

// The median of an even count is the mean of the two middle samples; no samples give all zeros.
CSummary Summarize(std::vector<double> samples);

// "MEASURE<TAB>key<TAB>median<TAB>min<TAB>max<TAB>unit<TAB>runs" on standard output.
void PrintMeasure(const char* key, const CSummary& summary, const char* unit);
// "NOTE<TAB>key<TAB>text": why a figure is missing, or what a run saw.
void PrintNote(const char* key, const char* text);
