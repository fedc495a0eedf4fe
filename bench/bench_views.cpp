// What the views cost a frame: the GL picture alone, with a screenful of
// views that do not change, with one label changing every frame, and with
// the GL view turning in a flip (its picture drawn afresh each frame). The
// window runs at 2 pixels per point, as on a desktop.
#include "platform/Clock.h"
#include "platform/GL.h"
#include "platform/Options.h"
#include "platform/RunLoop.h"
#include "platform/Window.h"
#include "platform/ui/Animator.h"
#include "platform/ui/Label.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TableView.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

using namespace platform;

namespace {

Window* window() {
    static Window* w = [] {
        Options o;
        o.headless = true;
        o.scale = 2;
        setOptions(o);
        return Window::create(Rect(0, 0, 320, 480)).detach();
    }();
    if (w) w->context()->makeCurrent();
    return w;
}

class Rows : public TableViewDataSource {
public:
    int numberOfSectionsInTableView(TableView*) override { return 2; }
    int numberOfRowsInSection(TableView*, int) override { return 4; }
    std::string titleForHeaderInSection(TableView*, int s) override {
        return s == 0 ? "Quick Play\n(Tap score for more options)" : "Minigames";
    }
    Ref<TableViewCell> cellForRowAtIndexPath(TableView* t, IndexPath ip) override {
        Ref<TableViewCell> cell = t->dequeueReusableCellWithIdentifier("row");
        if (!cell) cell = make<TableViewCell>(TableViewCellStyle::Default, "row");
        cell->textLabel()->setText("Score: " + std::to_string(ip.row * 100));
        return cell;
    }
};

// The GL view with its surface, and optionally a screen of views over it.
struct Scene {
    Ref<View> gl;
    std::unique_ptr<GLSurface> surface;
    Rows rows;
    Ref<TableView> table;
    Ref<Label> counter;

    explicit Scene(bool views) {
        Window* w = window();
        gl = make<View>(w->bounds());
        w->addSubview(gl.get());
        surface = GLSurface::create(320, 480, ColorFormat::RGBA8, DepthFormat::None);
        surface->bind();
        glClearColor(0.1f, 0.2f, 0.4f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        if (!views) return;
        table = make<TableView>(Rect(0, 0, 320, 300), TableViewStyle::Grouped);
        table->setDataSource(&rows);
        gl->addSubview(table.get());
        for (int i = 0; i < 2; ++i) {
            gl->addSubview(make<Switch>(Point(200, 310 + 40 * float(i))).get());
            gl->addSubview(
                make<SegmentedControl>(Rect(16, 400 + 36 * float(i), 288, 30),
                                       std::vector<std::string>{"Easy", "Medium", "Hard"})
                    .get());
        }
        counter = make<Label>(Rect(16, 310, 150, 30), "0");
        counter->setTextColor(ccColor4F{1, 1, 1, 1});
        gl->addSubview(counter.get());
    }
    ~Scene() {
        Animator::shared().reset();
        gl->removeFromSuperview();
        window()->context()->makeCurrent();
        surface.reset();
    }
    void present() { window()->present(gl.get(), *surface); }
};

void run(benchmark::State& state, bool views, bool changing, bool turning) {
    if (!window()) {
        state.SkipWithError("no window");
        return;
    }
    ManualClock clock;
    setClock(&clock);
    {
        Scene scene(views);
        scene.present();
        int n = 0;
        for (auto _ : state) {
            if (changing) scene.counter->setText(std::to_string(++n));
            if (turning && !Animator::shared().running()) {
                View::beginAnimations("turn");
                View::setAnimationDuration(1e9);
                View::setAnimationTransition(ViewAnimationTransition::FlipFromLeft, scene.gl.get(),
                                             false);
                View::commitAnimations();
                clock.advance(6e8); // past half way: the new side is drawn afresh
            }
            scene.present();
        }
        glFinish();
    }
    RunLoop::main().reset();
    setClock(nullptr);
}

void BM_GLPictureAlone(benchmark::State& s) {
    run(s, false, false, false);
}
void BM_StillViews(benchmark::State& s) {
    run(s, true, false, false);
}
void BM_OneLabelChanging(benchmark::State& s) {
    run(s, true, true, false);
}
void BM_TurningInAFlip(benchmark::State& s) {
    run(s, true, false, true);
}

BENCHMARK(BM_GLPictureAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StillViews)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OneLabelChanging)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TurningInAFlip)->Unit(benchmark::kMillisecond);

} // namespace
