#pragma once
// A game state that records every hook it receives into a shared journal, with entering and
// leaving transitions that take a chosen number of frames.
#include <string>
#include <vector>

#include "engine/Level.h"

namespace statetest {

class TraceLevel : public SD::Level {
public:
    TraceLevel(std::vector<std::string>& journal, const std::string& tag, int framesIn = 1, int framesOut = 1,
               int* deletions = nullptr)
        : journal_(journal), tag_(tag), framesIn_(framesIn), framesOut_(framesOut), deletions_(deletions) {}
    ~TraceLevel() override {
        if (deletions_) ++*deletions_;
    }

    void Load() override { Note("Load"); }
    void Unload() override { Note("Unload"); }
    void Initialize() override { Note("Initialize"); }
    int TransitionIn(float) override {
        Note("TransitionIn");
        return ++inCalls_ >= framesIn_ ? 1 : 0;
    }
    void OnEntered() override {
        inCalls_ = 0;
        Note("OnEntered");
    }
    void BeginExit() override { Note("BeginExit"); }
    int TransitionOut(float) override {
        Note("TransitionOut");
        return ++outCalls_ >= framesOut_ ? 1 : 0;
    }
    void OnExited() override {
        outCalls_ = 0;
        Note("OnExited");
    }
    void Update(float dt) override { Note("Update(" + Number(dt) + ")"); }
    void UpdateRunning(float dt) override { Note("UpdateRunning(" + Number(dt) + ")"); }
    void UpdatePaused(float realDt) override { Note("UpdatePaused(" + Number(realDt) + ")"); }

private:
    static std::string Number(float value) {
        std::string text = std::to_string(value);
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
        return text;
    }
    void Note(const std::string& hook) { journal_.push_back(tag_ + ":" + hook); }

    std::vector<std::string>& journal_;
    std::string tag_;
    int framesIn_;
    int framesOut_;
    int* deletions_;
    int inCalls_ = 0;
    int outCalls_ = 0;
};

}  // namespace statetest
