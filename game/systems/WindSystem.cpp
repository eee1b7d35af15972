#include "game/systems/WindSystem.h"

#include <cmath>

#include "core/EngineCore.h"
#include "graphics/Graphics.h"

namespace QV {
namespace {

std::unique_ptr<WindSystem_>& Instance() {
    static std::unique_ptr<WindSystem_> instance;
    return instance;
}

constexpr int kCells = WindField::kSide * WindField::kSide;

void WriteArea(const SD::Vec2& minimum, const SD::Vec2& maximum) {
    WindSystem_::GetInstance().SetArea(minimum, maximum);
}

}  // namespace

WindField::WindField(const std::vector<WindCell>& seeds) {
    for (int a = 0; a < 2; ++a) {
        cells_[a].resize(kCells);
        lists_[a].resize(kCells);
        for (int i = 0; i < kCells; ++i) {
            cells_[a][i].row = i / kSide;
            cells_[a][i].col = i % kSide;
        }
    }
    for (const WindCell& seed : seeds) {
        if (seed.row < 0 || seed.row >= kSide || seed.col < 0 || seed.col >= kSide) continue;
        WindCell& cell = cells_[0][seed.row * kSide + seed.col];
        cell.dRow = seed.dRow;
        cell.dCol = seed.dCol;
    }
    // The eight surrounding cells, each list in ascending index order.
    for (int i = 0; i < kCells; ++i) {
        for (int j = i + 1; j < kCells; ++j) {
            const int dr = i / kSide - j / kSide;
            const int dc = i % kSide - j % kSide;
            if (std::sqrt(static_cast<double>(dr * dr + dc * dc)) >= 2.0) continue;
            for (int a = 0; a < 2; ++a) {
                lists_[a][i].push_back(&cells_[a][j]);
                lists_[a][j].push_back(&cells_[a][i]);
            }
        }
    }
}

WindCell WindField::SpreadRule(const WindCell& cell, const Neighbours& neighbours, bool spread) {
    WindCell next = cell;
    if (cell.dRow != 0 || cell.dCol != 0 || !spread) return next;
    for (const WindCell* n : neighbours) {
        if (n->row + n->dRow == cell.row && n->col + n->dCol == cell.col) {
            next.dRow = n->dRow;
            next.dCol = n->dCol;
            break;
        }
    }
    return next;
}

void WindField::Step(bool spread) {
    const int next = 1 - current_;
    for (int c = 0; c < kCells; ++c) {
        const WindCell stepped = SpreadRule(cells_[current_][c], lists_[current_][c], spread);
        cells_[next][c].dRow = stepped.dRow;
        cells_[next][c].dCol = stepped.dCol;
    }
    current_ = next;
}

WindSystem_& WindSystem_::GetInstance() {
    if (!Instance()) Instance() = std::make_unique<WindSystem_>();
    return *Instance();
}

void WindSystem_::DestroyInstance() { Instance().reset(); }

void WindSystem_::Initialize() {
    std::vector<WindCell> seeds;
    for (int k = 0; k < 4; ++k) seeds.push_back(WindCell{0, 1, k, 0});
    field_ = std::make_unique<WindField>(seeds);
    // The renderer's scene set-up gives the area the field covers.
    if (Aperture::Graphics_* graphics = Aperture::Graphics_::Peek())
        graphics->GetGrassField().SetWindAreaWriter(&WriteArea);
}

void WindSystem_::Shutdown() {
    if (Aperture::Graphics_* graphics = Aperture::Graphics_::Peek())
        graphics->GetGrassField().RemoveWindAreaWriter(&WriteArea);
    field_.reset();
}

void WindSystem_::Update(float) {
    SD::Core* core = SD::Core::GetInstance();
    Advance(core ? core->GetSmoothedFrameTime() : 0.0);
}

void WindSystem_::Advance(double seconds) {
    accumulator_ += seconds;
    const bool spread = accumulator_ >= 1.0;
    if (field_) field_->Step(spread);
    if (spread) accumulator_ = 0.0;
}

}  // namespace QV
