// The one rule every seam keeps: the first installer wins, a refusal leaves one line naming the
// seam, null empties it, and an owner leaving removes only itself.
#include <gtest/gtest.h>

#include <string>

#include "platform/Seam.h"
#include "support/TempTree.h"

namespace {

struct Greeter {
    virtual ~Greeter() = default;
    virtual int Greet() const = 0;
};
struct Fixed : Greeter {
    explicit Fixed(int v) : value(v) {}
    int Greet() const override { return value; }
    int value;
};

size_t Occurrences(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

int One() { return 1; }
int Two() { return 2; }

TEST(Seam, TheFirstInstallerWinsUntilItLeavesOrTheSeamIsEmptied) {
    Fixed first(1), second(2);
    enum Step { kInstall, kRemove };
    const struct {
        Step step;
        Greeter* who;
        bool accepted;
        Greeter* installedAfter;
    } steps[] = {
        {kInstall, &first, true, &first},    // an empty seam takes the first
        {kInstall, &second, false, &first},  // a second is refused, the first stays
        {kInstall, &first, true, &first},    // the installed one again changes nothing
        {kRemove, &second, true, &first},    // one that is not installed removes nothing
        {kRemove, &first, true, nullptr},    // the owner leaving empties it
        {kInstall, &second, true, &second},  // now another may come
        {kInstall, nullptr, true, nullptr},  // null empties whoever is installed
        {kInstall, &first, true, &first},
    };
    platform::Seam<Greeter> seam{"test::Greeter"};
    EXPECT_EQ(seam.Installed(), nullptr) << "a seam starts empty";
    int at = 0;
    for (const auto& s : steps) {
        if (s.step == kInstall) {
            qvtest::StderrCapture err;
            EXPECT_EQ(seam.Install(s.who), s.accepted) << "step " << at;
            const std::string said = err.Text();
            EXPECT_EQ(Occurrences(said, "seam \"test::Greeter\": a second implementation refused"),
                      s.accepted ? 0u : 1u)
                << "step " << at << ": " << said;
            EXPECT_EQ(Occurrences(said, "\n"), s.accepted ? 0u : 1u) << said;
        } else {
            seam.Remove(s.who);
        }
        EXPECT_EQ(seam.Installed(), s.installedAfter) << "step " << at;
        ++at;
    }
}

TEST(Seam, APlainCallbackSeamKeepsTheFirstFunction) {
    platform::Seam<int()> seam{"test::callback"};
    ASSERT_TRUE(seam.Install(&One));
    {
        qvtest::StderrCapture err;
        EXPECT_FALSE(seam.Install(&Two));
        EXPECT_EQ(Occurrences(err.Text(), "test::callback"), 1u);
    }
    EXPECT_EQ(seam.Installed()(), 1);
    seam.Remove(&One);
    ASSERT_TRUE(seam.Install(&Two));
    EXPECT_EQ(seam.Installed()(), 2);
}

}  // namespace
