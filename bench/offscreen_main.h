#pragma once
// The main() of the window benchmarks: Qt on the offscreen platform, sound on SDL's dummy
// driver, message boxes answered at once.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "platform/message_box.h"

#define KYOMAT_OFFSCREEN_BENCHMARK_MAIN()                   \
    int main(int argc, char** argv) {                       \
        qputenv("QT_QPA_PLATFORM", "offscreen");            \
        qputenv("SDL_AUDIODRIVER", "dummy");                \
        QApplication app(argc, argv);                       \
        kyomat::message_boxes::set_auto_answer(true, true); \
        benchmark::Initialize(&argc, argv);                 \
        benchmark::RunSpecifiedBenchmarks();                \
        benchmark::Shutdown();                              \
        return 0;                                           \
    }
