#pragma once
#include "strip/DetailsPanelFace.h"
#include <string>
#include <vector>

namespace zrm58::fakes {

// A details panel without a window. Every call is logged in `calls` ("rest 700", "rest stop",
// "details <processors>", "show <left>,<top> <width>x<height>", "hide"); `held` is the pointer
// buttons' answer and `size` the size every layout gives.
class FakeDetailsPanel final : public DetailsPanelFace {
public:
    bool held = false;
    Size size{300, 200};

    std::vector<std::string> calls;
    bool resting = false; // the rest timer runs
    bool visible = false;
    Rect frame;                    // where it last showed
    DetailsSnapshot shownSnapshot; // what it was last given

    void startRestTimer(int ms) override {
        resting = true;
        calls.push_back("rest " + std::to_string(ms));
    }
    void stopRestTimer() override {
        if (resting) calls.push_back("rest stop");
        resting = false;
    }
    bool buttonHeld() const override { return held; }
    Size setDetails(const DetailsSnapshot& snapshot) override {
        shownSnapshot = snapshot;
        calls.push_back("details " + std::to_string(snapshot.processors.size()));
        return size;
    }
    void showAt(const Rect& r) override {
        frame = r;
        visible = true;
        calls.push_back("show " + std::to_string(r.left) + "," + std::to_string(r.top) + " " +
                        std::to_string(r.width) + "x" + std::to_string(r.height));
    }
    void hidePanel() override {
        visible = false;
        calls.push_back("hide");
    }
};

} // namespace zrm58::fakes
