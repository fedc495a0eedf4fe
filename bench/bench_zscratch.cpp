// scratch, not committed
#include "platform/GL.h"
#include "bench/BenchWindow.h"
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <vector>
namespace {
GLuint tex[2];
void setup() {
    static bool done = false;
    if (done) return;
    done = true;
    std::vector<uint8_t> px(8 * 8 * 4, 200);
    glGenTextures(2, tex);
    for (GLuint t : tex) {
        glBindTexture(GL_TEXTURE_2D, t);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 8, 8, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    }
}
void BM_Draws(benchmark::State& state) {
    benchWindow();
    setup();
    int mode = int(state.range(0));
    auto surface = platform::GLSurface::create(320, 480, platform::ColorFormat::RGBA8, platform::DepthFormat::None);
    surface->bind();
    glViewport(0, 0, 320, 480);
    glMatrixMode(GL_PROJECTION); glLoadIdentity(); glOrthof(0, 320, 0, 480, -1, 1);
    glMatrixMode(GL_MODELVIEW); glLoadIdentity();
    glEnable(GL_BLEND); glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    GLfloat v[12] = {0, 0, 0, 8, 0, 0, 0, 8, 0, 8, 8, 0};
    GLfloat c[8] = {0, 1, 1, 1, 0, 0, 1, 0};
    glBindTexture(GL_TEXTURE_2D, tex[0]);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnable(GL_TEXTURE_2D);
    int f = 0;
    for (auto _ : state) {
        ++f;
        glClear(GL_COLOR_BUFFER_BIT);
        for (int i = 0; i < 1000; ++i) {
            glPushMatrix();
            glTranslatef(float((i * 37 + f) % 320), float((i * 91 + f) % 480), 0);
            if (mode >= 1) glRotatef(float(i + f), 0, 0, 1);
            if (mode == 2) { glEnableClientState(GL_VERTEX_ARRAY); glEnableClientState(GL_TEXTURE_COORD_ARRAY); glEnable(GL_TEXTURE_2D); }
            if (mode == 3) glColor4ub(255, 255, 255, uint8_t(i));
            if (mode == 4) glBindTexture(GL_TEXTURE_2D, tex[i & 1]);
            if (mode == 5) glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
            if (mode == 7) glColor4ub(255, 255, 255, 255);
            glVertexPointer(3, GL_FLOAT, 0, v);
            glTexCoordPointer(2, GL_FLOAT, 0, c);
            glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
            if (mode == 2) { glDisable(GL_TEXTURE_2D); glDisableClientState(GL_VERTEX_ARRAY); glDisableClientState(GL_TEXTURE_COORD_ARRAY); }
            if (mode == 6) { glEnableClientState(GL_VERTEX_ARRAY); glEnableClientState(GL_TEXTURE_COORD_ARRAY); glEnable(GL_TEXTURE_2D);}
            glPopMatrix();
        }
        glFinish();
    }
}
BENCHMARK(BM_Draws)->DenseRange(0, 7)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3)->ReportAggregatesOnly()->Setup([](const benchmark::State&){ if (getenv("TUNE")) { mallopt(M_TRIM_THRESHOLD, 256<<20); mallopt(M_MMAP_THRESHOLD, 64<<20);} });
}
