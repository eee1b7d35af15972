#include "runtime/SplineSystem.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "core/EngineCore.h"
#include "core/Logger.h"
#include "core/Singleton.h"
#include "platform/os/Files.h"
#include "runtime/CurveSampling.h"

namespace SD {
namespace {

bool ReadLine(std::istream& in, std::string& line) {
    if (!std::getline(in, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

}  // namespace

double Spline::Parameter(double elapsed) const {
    if (durations.empty()) return elapsed;
    double accumulated = 0.0;
    for (size_t i = 0; i < durations.size(); ++i) {
        double d = durations[i];
        // A stretch of no duration is passed at once rather than divided by.
        if (d > 0.0 && accumulated + d >= elapsed) return static_cast<double>(i) + (elapsed - accumulated) / d;
        accumulated += d;
    }
    return static_cast<double>(durations.size());
}

Vec3 Spline::GetPointAtLength(double time) const {
    if (time < 0.0) time = 0.0;
    if (time > totalDuration) time = totalDuration;
    double t = Parameter(time);
    return Vec3(static_cast<float>(EvaluateCurve(x, t)), static_cast<float>(EvaluateCurve(y, t)),
                static_cast<float>(EvaluateCurve(z, t)));
}

void Spline::Restart() {
    finished = false;
    elapsed = 0.0;
    startTime = Core::GetTime();
}

Spline* SplineHandle::Get() const { return table ? table->Resolve(index, generation) : nullptr; }

Spline_System& Spline_System::GetInstance() { return *Singleton<Spline_System>::Get(); }

void Spline_System::DestroyInstance() { Singleton<Spline_System>::Destroy(); }

Spline_System::Spline_System() = default;

Spline_System::~Spline_System() { DestroyAllSplines(); }

void Spline_System::Initialize() {
    // The system outlives a run of the program; a new run starts from the file's splines alone,
    // not beside those of the run before (whose clock and users are gone).
    DestroyAllSplines();
    LoadSplines();
}

Spline* Spline_System::Resolve(uint32_t index, uint32_t generation) const {
    if (index >= kSlotCount) return nullptr;
    const Slot& slot = slots_[index];
    return slot.spline && slot.generation == generation ? slot.spline : nullptr;
}

SplineHandle Spline_System::AllocateSlot(Spline* spline) {
    // The search cycles through 1 to 100 once it has left slot 0, so it is bounded by one lap.
    uint32_t tries = 0;
    while (slots_[cursor_].spline) {
        if (++tries > kSlotCount) return {};
        cursor_ = cursor_ % kWrap + 1;
    }
    Slot& slot = slots_[cursor_];
    slot.spline = spline;
    ++usedSlots_;
    return {cursor_, slot.generation, this};
}

SplineHandle Spline_System::Link(std::unique_ptr<Spline> spline, const SharedString& name, SplineHandle* out) {
    SplineHandle handle = AllocateSlot(spline.get());
    if (!handle.table) {
        SD_WARNING(Debug::kLogData, "no free spline slot for \"%s\": all %u are in use", name.c_str(), kSlotCount);
        if (out) *out = {};
        return {};
    }
    spline->handle = handle;
    spline->startTime = Core::GetTime();
    splines_.push_back(std::move(spline));
    if (name.Length() != 0) names_[name] = handle;
    if (out) *out = handle;
    return handle;
}

SplineHandle Spline_System::CreateSpline(const std::vector<Vec3>& points, const std::vector<double>& durations,
                                         const SharedString& name, SplineHandle* out) {
    if (points.size() < 2 || points.size() > kMaxPoints) {
        SD_WARNING(Debug::kLogData, "spline \"%s\" needs 2 to %zu points, has %zu", name.c_str(), kMaxPoints,
                   points.size());
        if (out) *out = {};
        return {};
    }
    auto spline = std::make_unique<Spline>();
    std::vector<double> xs, ys, zs;
    for (const Vec3& p : points) {
        xs.push_back(p.x);
        ys.push_back(p.y);
        zs.push_back(p.z);
    }
    FitNaturalCubic(xs, spline->x);
    FitNaturalCubic(ys, spline->y);
    FitNaturalCubic(zs, spline->z);
    spline->durations = durations;
    for (double d : durations) spline->totalDuration += d;
    spline->position = points.front();
    return Link(std::move(spline), name, out);
}

SplineHandle Spline_System::CreateFourPointSpline(const Vec3 points[4], const SharedString& name, SplineHandle* out) {
    auto spline = std::make_unique<Spline>();
    FitNaturalCubic4(points[0].x, points[1].x, points[2].x, points[3].x, spline->x);
    FitNaturalCubic4(points[0].y, points[1].y, points[2].y, points[3].y, spline->y);
    FitNaturalCubic4(points[0].z, points[1].z, points[2].z, points[3].z, spline->z);
    spline->totalDuration = kFourPointDuration;
    spline->position = points[0];
    return Link(std::move(spline), name, out);
}

Spline* Spline_System::FindSpline(const SharedString& name) const {
    auto it = names_.find(name);
    return it == names_.end() ? nullptr : it->second.Get();
}

Spline* Spline_System::StartSpline(const SharedString& name) {
    Spline* spline = FindSpline(name);
    if (spline) spline->Restart();
    return spline;
}

void Spline_System::DestroySpline(const SplineHandle& handle) {
    Spline* spline = handle.table == this ? handle.Get() : nullptr;
    if (!spline) return;
    Slot& slot = slots_[handle.index];
    slot.spline = nullptr;
    ++slot.generation;
    --usedSlots_;
    for (auto it = splines_.begin(); it != splines_.end(); ++it) {
        if (it->get() == spline) {
            splines_.erase(it);
            break;
        }
    }
}

void Spline_System::DestroyAllSplines() {
    while (!splines_.empty()) DestroySpline(splines_.front()->handle);
}

Vec3 Spline_System::GetPositionAtTime(const Spline& spline, double time) const { return spline.GetPointAtLength(time); }

Vec3 Spline_System::GetCurvatureAtTime(const Spline& spline, double time) const {
    if (time < 0.0) time = 0.0;
    if (time > spline.totalDuration) time = spline.totalDuration;
    double t = spline.Parameter(time);
    return Vec3(static_cast<float>(EvaluateCurveSecondDerivative(spline.x, t)),
                static_cast<float>(EvaluateCurveSecondDerivative(spline.y, t)),
                static_cast<float>(EvaluateCurveSecondDerivative(spline.z, t)));
}

void Spline_System::Update(float) {
    for (const std::unique_ptr<Spline>& s : splines_) {
        double elapsed = Core::GetTime() - s->startTime;
        if (!(elapsed < s->totalDuration)) {
            s->finished = true;
            elapsed = s->totalDuration;
        }
        s->elapsed = elapsed;
        s->position = s->GetPointAtLength(elapsed);
    }
}

bool Spline_System::SaveSpline(const std::vector<Vec3>& points, const std::vector<double>& durations,
                               const std::string& name, const std::string& path) {
    FILE* f = std::fopen(platform::NativePath(path).c_str(), "a");
    if (!f) {
        SD_WARNING(Debug::kLogData, "cannot open %s to save spline \"%s\"", path.c_str(), name.c_str());
        return false;
    }
    bool ok = std::fprintf(f, "%s\n%zu\n", name.c_str(), points.size()) > 0;
    for (const Vec3& p : points) ok = ok && std::fprintf(f, "%0.6f\n%0.6f\n%0.6f\n", p.x, p.y, p.z) > 0;
    if (points.size() != 1)
        for (size_t i = 0; i + 1 < points.size(); ++i)
            ok = ok && std::fprintf(f, "%0.6f\n", i < durations.size() ? durations[i] : 0.0) > 0;
    ok = std::fclose(f) == 0 && ok;
    if (!ok) SD_WARNING(Debug::kLogData, "writing spline \"%s\" to %s failed", name.c_str(), path.c_str());
    return ok;
}

int Spline_System::LoadSplines(const std::string& path) {
    std::ifstream in(platform::NativePath(path));
    if (!in) {
        SD_WARNING(Debug::kLogData, "%s cannot be opened: no splines are loaded, and what follows one stands still",
                   path.c_str());
        return 0;
    }
    int created = 0;
    std::string name, line;
    int record = 0;
    while (ReadLine(in, name) && !name.empty()) {
        ++record;
        if (!ReadLine(in, line)) {
            SD_WARNING(Debug::kLogData, "%s: spline %d (\"%s\") has no point count", path.c_str(), record,
                       name.c_str());
            break;
        }
        long count = std::strtol(line.c_str(), nullptr, 10);
        if (count < 2 || count > static_cast<long>(kMaxPoints)) {
            SD_WARNING(Debug::kLogData, "%s: spline %d (\"%s\") has a point count of \"%s\"", path.c_str(), record,
                       name.c_str(), line.c_str());
            break;
        }
        std::vector<Vec3> points(static_cast<size_t>(count));
        std::vector<double> durations(static_cast<size_t>(count - 1));
        bool complete = true;
        for (Vec3& p : points) {
            float* axes[] = {&p.x, &p.y, &p.z};
            for (float* axis : axes) {
                if (!(complete = ReadLine(in, line))) break;
                *axis = static_cast<float>(std::atof(line.c_str()));
            }
            if (!complete) break;
        }
        for (size_t i = 0; complete && i < durations.size(); ++i) {
            if (!(complete = ReadLine(in, line))) break;
            durations[i] = std::atof(line.c_str());
        }
        if (!complete) {
            SD_WARNING(Debug::kLogData, "%s: spline %d (\"%s\") is cut short", path.c_str(), record, name.c_str());
            break;
        }
        if (CreateSpline(points, durations, SharedString(name))) ++created;
    }
    if (record == 0) SD_WARNING(Debug::kLogData, "%s holds no splines: what follows one stands still", path.c_str());
    return created;
}

}  // namespace SD
