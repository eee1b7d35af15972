#pragma once
// A coarse wind field: a grid of cells, each holding a step towards a neighbour, through which
// wind spreads once a second as a cellular automaton. A still cell takes the step of the first
// neighbour that points at it; a cell never loses its step, so wind fronts only grow.
#include <deque>
#include <memory>
#include <vector>

#include "core/System.h"
#include "core/Vector.h"

namespace QV {

struct WindCell {
    int dRow = 0;
    int dCol = 0;
    int row = 0;
    int col = 0;
};

class WindField {
public:
    static constexpr int kSide = 10;
    using Neighbours = std::deque<const WindCell*>;

    // The seeds' steps are copied into the cells at their rows and columns; seeds outside the
    // grid are ignored.
    explicit WindField(const std::vector<WindCell>& seeds);
    WindField(const WindField&) = delete;
    WindField& operator=(const WindField&) = delete;

    // One pass over every cell; steps spread only when `spread` is set.
    void Step(bool spread);
    const WindCell& At(int row, int col) const { return cells_[current_][row * kSide + col]; }
    const Neighbours& NeighboursOf(int row, int col) const { return lists_[current_][row * kSide + col]; }

    static WindCell SpreadRule(const WindCell& cell, const Neighbours& neighbours, bool spread);

private:
    std::vector<WindCell> cells_[2];
    std::vector<Neighbours> lists_[2];
    int current_ = 0;
};

class WindSystem_ : public SD::ISystem {
public:
    static WindSystem_& GetInstance();
    static void DestroyInstance();

    const char* GetName() const override { return "WindSystem"; }
    void Initialize() override;
    // Stops the renderer writing the area and frees the field.
    void Shutdown() override;
    // Advances by the engine core's smoothed frame time (which runs on through pauses); the
    // frame time handed in is not used.
    void Update(float dt) override;
    // One step with an explicit elapsed time.
    void Advance(double seconds);

    // The world area the field covers, set by the renderer's first grass pass once Initialize
    // has handed it the writer.
    void SetArea(const SD::Vec2& minimum, const SD::Vec2& maximum) {
        areaMin_ = minimum;
        areaMax_ = maximum;
    }
    const SD::Vec2& GetAreaMin() const { return areaMin_; }
    const SD::Vec2& GetAreaMax() const { return areaMax_; }
    const WindField* GetField() const { return field_.get(); }
    double GetAccumulator() const { return accumulator_; }

private:
    SD::Vec2 areaMin_;
    SD::Vec2 areaMax_;
    std::unique_ptr<WindField> field_;
    double accumulator_ = 0.0;
};

}  // namespace QV
