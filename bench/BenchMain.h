#pragma once
// What the benchmark programs' main() shares: the run of the benchmarks the
// command line names and, for programs that build windows, the offscreen
// application around it.

#include <QApplication>
#include <benchmark/benchmark.h>

namespace bench {

enum class UnknownArguments { Ignore, Refuse };

// Runs the benchmarks the command line names. With Refuse, an option the
// library does not know is reported and nothing runs (exit code 1).
inline int RunBenchmarks(int &argc, char **argv, UnknownArguments unknown = UnknownArguments::Ignore) {
    benchmark::Initialize(&argc, argv);
    if (unknown == UnknownArguments::Refuse && benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// main() of a program that builds windows: the benchmarks run inside an
// offscreen QApplication; `beforeExit` lets go of windows a fixture still
// holds while the application stands.
inline int RunWithWindows(int argc, char **argv, void (*beforeExit)() = nullptr) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int code = RunBenchmarks(argc, argv);
    if (beforeExit)
        beforeExit();
    return code;
}

}  // namespace bench
