// Frame costs of the scene on the real window (llvmpipe under Xvfb): one
// overview frame, one close-up frame, one sphere, and the frame rate GLUT
// reaches with the animation running.  "CPU" is the calling thread only;
// llvmpipe rasterises on worker threads, which the wall time includes.
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include "app/viewer.h"
#include "render/render.h"
#include "core/viewer_state.h"
#include "tests/support/render_fixture.h"

namespace {

void frames(benchmark::State& state, int mode)
{
    resetViewer();
    viewMode = mode;
    for (auto _ : state) {
        display();
        glFinish();
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_OverviewFrame(benchmark::State& state) { frames(state, 10); }
void BM_CloseUpFrame(benchmark::State& state) { frames(state, 3); }

// One sun-sized sphere issued in immediate mode and rasterised, seen from
// the start camera's distance.
void BM_DrawSphere30(benchmark::State& state)
{
    resetViewer();
    glLoadIdentity();
    glTranslatef(0, 0, -50);
    for (auto _ : state) {
        drawSphere(0, 0, 0, 3, 30);
        glFinish();
    }
}

// As the running viewer does it: the idle callback advances the clock and
// posts a redisplay, GLUT's event pass draws and swaps.
void BM_AnimatedOverview(benchmark::State& state)
{
    resetViewer();
    glutIdleFunc(nullptr);
    for (auto _ : state) {
        animate();
        glutMainLoopEvent();
        glFinish();
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_OverviewFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CloseUpFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DrawSphere30)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_AnimatedOverview)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    openViewerWindow(&argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
