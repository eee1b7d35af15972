// The wind field spreads its seeded rows one column a second, only on the update where a whole
// second has gathered, never diagonally and never past the grid's edge.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/Logger.h"
#include "core/MessageSystem.h"
#include "game/systems/WindSystem.h"
#include "graphics/Graphics.h"
#include "graphics/resources/ResourceManager.h"
#include "platform/window/Window.h"
#include "support/TempTree.h"

namespace {

using Field = QV::WindField;

// "x" for a cell blowing along the columns, "." for still air, one string per row.
std::vector<std::string> Picture(const Field& field) {
    std::vector<std::string> rows;
    for (int r = 0; r < Field::kSide; ++r) {
        std::string row;
        for (int c = 0; c < Field::kSide; ++c) {
            const QV::WindCell& cell = field.At(r, c);
            row += cell.dRow == 0 && cell.dCol == 0 ? '.' : (cell.dRow == 0 && cell.dCol == 1 ? 'x' : '?');
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(WindField, NeighboursAreTheSurroundingCellsInIndexOrder) {
    const Field field({});
    EXPECT_EQ(field.NeighboursOf(0, 0).size(), 3u);
    EXPECT_EQ(field.NeighboursOf(0, 5).size(), 5u);
    const Field::Neighbours& inner = field.NeighboursOf(4, 4);
    ASSERT_EQ(inner.size(), 8u);
    int previous = -1;
    for (const QV::WindCell* n : inner) {
        const int index = n->row * Field::kSide + n->col;
        EXPECT_GT(index, previous);
        EXPECT_LE(std::abs(n->row - 4), 1);
        EXPECT_LE(std::abs(n->col - 4), 1);
        previous = index;
    }
}

TEST(WindSystem, TheSeededRowsFillOneColumnASecond) {
    QV::WindSystem_ wind;
    wind.Initialize();
    const Field& field = *wind.GetField();
    EXPECT_EQ(Picture(field)[0], "x.........");
    EXPECT_EQ(Picture(field)[4], "..........");
    // Within the first second nothing spreads.
    for (int i = 0; i < 9; ++i) wind.Advance(0.1);
    EXPECT_EQ(Picture(field)[1], "x.........");
    wind.Advance(0.2);
    EXPECT_EQ(Picture(field)[1], "xx........");
    EXPECT_LT(wind.GetAccumulator(), 1.0);
    for (int second = 0; second < 12; ++second) wind.Advance(1.0);
    const std::vector<std::string> rows = Picture(field);
    for (int r = 0; r < 4; ++r) EXPECT_EQ(rows[r], "xxxxxxxxxx") << r;
    for (int r = 4; r < Field::kSide; ++r) EXPECT_EQ(rows[r], "..........") << r;
    wind.Shutdown();
    EXPECT_EQ(wind.GetField(), nullptr);
}

TEST(WindField, SeedsOutsideTheGridAreIgnoredAndDiagonalStepsSpreadOnlyWhereTheyLead) {
    Field field({{0, 1, -1, 0}, {0, 1, 10, 3}, {1, 1, 2, 2}});
    field.Step(true);
    EXPECT_EQ(field.At(3, 3).dRow, 1);
    EXPECT_EQ(field.At(3, 3).dCol, 1);
    EXPECT_EQ(field.At(3, 2).dRow, 0);
    EXPECT_EQ(field.At(2, 3).dCol, 0);
    int moving = 0;
    for (int r = 0; r < Field::kSide; ++r)
        for (int c = 0; c < Field::kSide; ++c) moving += field.At(r, c).dRow != 0 || field.At(r, c).dCol != 0;
    EXPECT_EQ(moving, 2);
}

// Once started, the wind system is told the area its field covers by the renderer's first
// grass pass; shut down, it no longer is.
TEST(WindSystem, TheRenderersFirstGrassPassGivesTheArea) {
    qvtest::TempTree tree;
    Debug::GlobalLogger logger;
    std::filesystem::copy(qvtest::SourceDir() + "/Graphics", tree.Path("Graphics"),
                          std::filesystem::copy_options::recursive);
    platform::Window window("game", 0, 0, 320, 180);
    const std::vector<Aperture::GrassInstance> blades(1);
    {
        Aperture::Graphics_ graphics;
        graphics.SetWindow(&window, 320, 180, false);
        graphics.Initialize();
        graphics.AddTexture("grass", graphics.GetDeviceLayer().GetResourceManager()->CreateRenderBuffer());
        QV::WindSystem_& wind = QV::WindSystem_::GetInstance();
        wind.Initialize();
        EXPECT_EQ(wind.GetAreaMax().x, 0.0f);
        graphics.DrawGrass("InstancedGrass", blades);
        EXPECT_EQ(wind.GetAreaMin().x, -20.0f);
        EXPECT_EQ(wind.GetAreaMin().y, -20.0f);
        EXPECT_EQ(wind.GetAreaMax().x, 20.0f);
        EXPECT_EQ(wind.GetAreaMax().y, 20.0f);
        wind.Shutdown();
        EXPECT_EQ(wind.GetField(), nullptr);
        graphics.Shutdown();
    }
    QV::WindSystem_::DestroyInstance();
    {
        // A renderer whose first pass comes after the shutdown writes nothing.
        Aperture::Graphics_ graphics;
        graphics.SetWindow(&window, 320, 180, false);
        graphics.Initialize();
        graphics.AddTexture("grass", graphics.GetDeviceLayer().GetResourceManager()->CreateRenderBuffer());
        QV::WindSystem_::GetInstance().Initialize();
        QV::WindSystem_::GetInstance().Shutdown();
        graphics.DrawGrass("InstancedGrass", blades);
        EXPECT_EQ(QV::WindSystem_::GetInstance().GetAreaMax().x, 0.0f);
        graphics.Shutdown();
    }
    QV::WindSystem_::DestroyInstance();
    SD::Message_System::DestroyInstance();
}

}  // namespace
