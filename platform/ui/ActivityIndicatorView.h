#pragma once

#include "platform/RunLoop.h"
#include "platform/View.h"

namespace platform {

enum class ActivityIndicatorStyle { WhiteLarge, White, Gray };

// Twelve spokes turning while it animates (a step every twelfth of a
// second); hidden when stopped unless told otherwise.
class ActivityIndicatorView : public View {
public:
    explicit ActivityIndicatorView(ActivityIndicatorStyle style = ActivityIndicatorStyle::White);
    ~ActivityIndicatorView() override;

    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return animating_; }
    bool hidesWhenStopped() const { return hidesWhenStopped_; }
    void setHidesWhenStopped(bool hides);
    // The spoke drawn brightest (0..11).
    int phase() const { return phase_; }

    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& g) override;
    void didMoveToWindow() override;

private:
    void updateTimer();

    ActivityIndicatorStyle style_;
    Ref<RunLoopTimer> timer_;
    int phase_ = 0;
    bool animating_ = false;
    bool hidesWhenStopped_ = true;
};

} // namespace platform
