// The platform's views over a running GL scene: a toolbar, a table of two
// sections, switches and segmented controls, an action sheet and an alert;
// "Flip" turns a screen in over the GL view and "Done" turns it out, the
// way the game opens its settings.
#include "engine/Director.h"
#include "engine/EAGLView.h"
#include "engine/Scene.h"
#include "platform/RunLoop.h"
#include "platform/ui/ActionSheet.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Label.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TableView.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/ViewController.h"
#include "tools/nebulark/SpineDemo.h"

#include <array>

using namespace platform;

namespace {

const ccColor4F kWhite{1, 1, 1, 1};

Ref<Label> caption(Rect frame, const std::string& text) {
    auto label = make<Label>(frame, text);
    label->setTextColor(kWhite);
    label->setFont(Font::boldSystemFont(16));
    return label;
}

Ref<Toolbar> toolbar(float width, std::vector<Ref<BarButtonItem>> items) {
    auto bar = make<Toolbar>(Rect(0, 0, width, Toolbar::kHeight));
    bar->setBarStyle(BarStyle::BlackTranslucent);
    bar->setItems(std::move(items));
    return bar;
}

// The screen that flips in: a title bar with Done, and a spinner.
class FlippedScreen : public ViewController {
public:
    explicit FlippedScreen(std::function<void()> done) : done_(std::move(done)) {}

    void loadView() override {
        auto root = make<View>(Rect(0, 0, 320, 480));
        root->setBackgroundColor(ccColor4F{0.12f, 0.2f, 0.35f, 1});
        auto title = caption(Rect(80, 0, 160, Toolbar::kHeight), "Settings");
        title->setTextAlignment(TextAlignment::Center);
        auto bar = toolbar(320, {BarButtonItem::flexibleSpace(),
                                 make<BarButtonItem>("Done", BarButtonItemStyle::Done,
                                                     Selector<void()>("done", done_))});
        bar->addSubview(title.get());
        root->addSubview(bar.get());
        auto text = caption(Rect(20, 120, 280, 120),
                            "A platform screen, flipped in over the GL view while the director "
                            "is paused. Done flips it out again.");
        text->setNumberOfLines(0);
        text->setTextAlignment(TextAlignment::Center);
        text->setFont(Font::systemFont(17));
        root->addSubview(text.get());
        auto spinner = make<ActivityIndicatorView>(ActivityIndicatorStyle::WhiteLarge);
        spinner->setCenter(Point(160, 300));
        spinner->startAnimating();
        root->addSubview(spinner.get());
        setView(root.get());
    }

private:
    std::function<void()> done_;
};

class ViewsDemo : public Scene,
                  public AlertViewDelegate,
                  public TableViewDataSource,
                  public TableViewDelegate {
public:
    ViewsDemo() { addChild(makeSpineScene().get()); }

    void onEnter() override {
        Scene::onEnter();
        View* gl = Director::sharedDirector().openGLView();
        if (!gl) return;
        root_ = make<View>(gl->bounds());
        root_->addSubview(
            toolbar(320, {make<BarButtonItem>("Alert", BarButtonItemStyle::Bordered,
                                              ccSelector(this, &ViewsDemo::showAlert)),
                          make<BarButtonItem>("Sheet", BarButtonItemStyle::Bordered,
                                              ccSelector(this, &ViewsDemo::showSheet)),
                          BarButtonItem::flexibleSpace(),
                          make<BarButtonItem>("Flip", BarButtonItemStyle::Done,
                                              ccSelector(this, &ViewsDemo::flipIn))})
                .get());
        table_ = make<TableView>(Rect(0, Toolbar::kHeight, 320, 214), TableViewStyle::Grouped);
        table_->setDataSource(this);
        table_->setDelegate(this);
        root_->addSubview(table_.get());
        root_->addSubview(controls().get());
        gl->addSubview(root_.get());

        // Both panels come up by themselves: the sheet, then the alert over it.
        Ref<Object> self(this);
        RunLoop::main().performAfterDelay(self, 0.3, [this] { showSheet(); });
        RunLoop::main().performAfterDelay(self, 0.8, [this] { showAlert(); });
    }

    void onExit() override {
        if (root_) root_->removeFromSuperview();
        if (table_) table_->setDataSource(nullptr);
        root_ = table_ = nullptr;
        Scene::onExit();
    }

    void showAlert() {
        AlertView::make("View kit",
                        "Alerts, action sheets, tables, switches and segmented controls, drawn "
                        "over a running GL scene.",
                        this, "Okay!", {"Flip"})
            ->show();
    }

    void showSheet() {
        auto sheet =
            ActionSheet::make("Post Scores To Starboard", nullptr, "", "", {"Post All", "Cancel"});
        sheet->setDestructiveButtonIndex(1);
        sheet->setActionSheetStyle(ActionSheetStyle::BlackTranslucent);
        sheet->showInView(root_.get());
    }

    void didDismissWithButtonIndex(AlertView*, int index) override {
        if (index == 1) flipIn();
    }

    // As the game opens a platform screen: a half-second flip of the GL
    // view while the screen's view joins it; the director pauses.
    void flipIn() {
        if (screen_) return;
        View* gl = Director::sharedDirector().openGLView();
        Ref<Object> self(this);
        screen_ = make<FlippedScreen>([this] { flipOut(); });
        View::beginAnimations("show");
        View::setAnimationDuration(0.5);
        View::setAnimationTransition(ViewAnimationTransition::FlipFromLeft, gl, false);
        gl->addSubview(screen_->view());
        View::commitAnimations();
        Director::sharedDirector().pause();
    }

    void flipOut() {
        if (!screen_) return;
        View* gl = Director::sharedDirector().openGLView();
        View::beginAnimations("hide");
        View::setAnimationDuration(0.5);
        View::setAnimationDelegate(this);
        View::setAnimationDidStopSelector(ccSelector(this, &ViewsDemo::animDone));
        View::setAnimationTransition(ViewAnimationTransition::FlipFromLeft, gl, true);
        screen_->view()->removeFromSuperview();
        View::commitAnimations();
        screen_ = nullptr;
    }

    void animDone(const std::string& id, bool, void*) {
        if (id == "hide") Director::sharedDirector().resume();
    }

    // --- the table ---
    int numberOfSectionsInTableView(TableView*) override { return 2; }
    int numberOfRowsInSection(TableView*, int section) override { return section == 0 ? 3 : 2; }
    std::string titleForHeaderInSection(TableView*, int section) override {
        return section == 0 ? "Quick Play\n(Tap score for more options)" : "Minigames";
    }
    Ref<TableViewCell> cellForRowAtIndexPath(TableView* table, IndexPath ip) override {
        static const std::array<std::array<const char*, 3>, 2> rows{
            {{"Easy score: 120", "Meduim score: 85", "Hard score: 40"},
             {"Asteroid Avoid: 12.5", "DragShip: 31", ""}}};
        Ref<TableViewCell> cell = table->dequeueReusableCellWithIdentifier("row");
        if (!cell) cell = make<TableViewCell>(TableViewCellStyle::Default, "row");
        cell->textLabel()->setText(rows[size_t(ip.section)][size_t(ip.row)]);
        return cell;
    }
    void didSelectRowAtIndexPath(TableView* table, IndexPath ip) override {
        table->deselectRowAtIndexPath(ip, true);
    }

private:
    // Switches and segmented controls on a dark strip.
    Ref<View> controls() {
        auto panel = make<View>(Rect(0, 258, 320, 178));
        panel->setBackgroundColor(ccColor4F{0, 0, 0, 0.55f});
        auto sound = make<Switch>(Point(210, 10));
        sound->setOn(true);
        invert_ = make<Switch>(Point(210, 47));
        invertLabel_ = caption(Rect(16, 47, 180, 27), "Invert tilt");
        auto level = make<SegmentedControl>(Rect(16, 90, 288, 32),
                                            std::vector<std::string>{"Easy", "Medium", "Hard"});
        level->setSelectedSegmentIndex(2);
        auto scheme = make<SegmentedControl>(Rect(16, 132, 288, 32),
                                             std::vector<std::string>{"Tilt", "Drag", "Joystick"});
        scheme->setSelectedSegmentIndex(0);
        scheme->addTarget(ccSelector(this, &ViewsDemo::schemeChanged), ControlEventValueChanged);
        auto soundLabel = caption(Rect(16, 10, 180, 27), "Sound effects");
        for (View* v : {(View*)soundLabel.get(), (View*)sound.get(), (View*)invertLabel_.get(),
                        (View*)invert_.get(), (View*)level.get(), (View*)scheme.get()})
            panel->addSubview(v);
        return panel;
    }

    // The inversion only means something with tilt.
    void schemeChanged(SegmentedControl* scheme) {
        bool tilt = scheme->selectedSegmentIndex() == 0;
        invert_->setEnabled(tilt);
        invertLabel_->setAlpha(tilt ? 1.0f : 0.5f);
    }

    Ref<View> root_;
    Ref<TableView> table_;
    Ref<Switch> invert_;
    Ref<Label> invertLabel_;
    Ref<FlippedScreen> screen_;
};

} // namespace

Ref<Scene> makeViewsScene() {
    return make<ViewsDemo>();
}
