#include "bench/measure.h"

#include <stdio.h>

#include <algorithm>

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return value;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

CSummary Summarize(std::vector<double> samples) {
    CSummary summary;
    summary.runs = samples.size();
    if (samples.empty())
        return summary;
    std::sort(samples.begin(), samples.end());
    const size_t middle = samples.size() / 2;
    summary.median = samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
    summary.min = samples.front();
    summary.max = samples.back();
    return summary;
}

void PrintMeasure(const char* key, const CSummary& summary, const char* unit) {
    printf("MEASURE\t%s\t%.3f\t%.3f\t%.3f\t%s\t%u\n", key, summary.median, summary.min, summary.max, unit,
           static_cast<unsigned>(summary.runs));
    fflush(stdout);
}

void PrintNote(const char* key, const char* text) {
    printf("NOTE\t%s\t%s\n", key, text);
    fflush(stdout);
}
