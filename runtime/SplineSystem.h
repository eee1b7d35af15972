#pragma once
// Timed paths through 3D points: a natural cubic curve per axis, advanced every frame on the
// engine clock (which runs through pauses), known by a weak handle and optionally by name.
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/SharedString.h"
#include "core/System.h"
#include "core/Vector.h"

namespace SD {

struct Spline;
class Spline_System;

// Resolves to its spline while the slot still holds it (same generation).
struct SplineHandle {
    uint32_t index = 0;
    uint32_t generation = 0;
    Spline_System* table = nullptr;

    Spline* Get() const;
    explicit operator bool() const { return Get() != nullptr; }
};

struct Spline {
    std::vector<double> x, y, z;  // curve coefficients of each axis
    std::vector<double> durations;
    double totalDuration = 0.0;
    double startTime = 0.0;
    double elapsed = 0.0;
    bool finished = false;
    Vec3 position;
    SplineHandle handle;

    // The point `time` seconds after the start, the time clamped to [0, total duration].
    Vec3 GetPointAtLength(double time) const;
    // Curve parameter of the time since the start: stretch i + the fraction of it passed.
    double Parameter(double elapsed) const;
    // Runs again from the engine clock now.
    void Restart();
};

class Spline_System : public ISystem {
public:
    static constexpr uint32_t kSlotCount = 101;
    static constexpr uint32_t kWrap = 100;
    static constexpr double kFourPointDuration = 6.0;
    // The fit solves a dense system of about n by n, so a path has a bounded number of points.
    static constexpr size_t kMaxPoints = 1000;
    static constexpr const char* kSplineFile = "../Assets/Splines/Splines.txt";

    static Spline_System& GetInstance();
    static void DestroyInstance();

    Spline_System();
    ~Spline_System() override;

    const char* GetName() const override { return "SplineSystem"; }
    void Initialize() override;
    void Update(float dt) override;

    // An empty handle (and a logged warning) for fewer than two points or no free slot.
    SplineHandle CreateSpline(const std::vector<Vec3>& points, const std::vector<double>& durations,
                              const SharedString& name, SplineHandle* out = nullptr);
    SplineHandle CreateFourPointSpline(const Vec3 points[4], const SharedString& name, SplineHandle* out = nullptr);
    Spline* FindSpline(const SharedString& name) const;
    // Restarts the spline of that name; null when there is none.
    Spline* StartSpline(const SharedString& name);
    void DestroySpline(const SplineHandle& handle);
    void DestroyAllSplines();

    Vec3 GetPositionAtTime(const Spline& spline, double time) const;
    Vec3 GetCurvatureAtTime(const Spline& spline, double time) const;

    // Appends one record to the spline file; false (logged) when it cannot be written.
    bool SaveSpline(const std::vector<Vec3>& points, const std::vector<double>& durations, const std::string& name,
                    const std::string& path = kSplineFile);
    // Creates every spline of the file; returns how many were made.
    int LoadSplines(const std::string& path = kSplineFile);

    size_t Count() const { return splines_.size(); }
    Spline* Resolve(uint32_t index, uint32_t generation) const;

private:
    struct Slot {
        Spline* spline = nullptr;
        uint32_t generation = 1;
    };
    SplineHandle AllocateSlot(Spline* spline);
    SplineHandle Link(std::unique_ptr<Spline> spline, const SharedString& name, SplineHandle* out);

    Slot slots_[kSlotCount];
    uint32_t usedSlots_ = 0;
    uint32_t cursor_ = 0;
    std::list<std::unique_ptr<Spline>> splines_;
    std::unordered_map<SharedString, SplineHandle, NameHash> names_;
};

}  // namespace SD
