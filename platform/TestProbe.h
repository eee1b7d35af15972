#pragma once
// How tests read state a class keeps private without the class carrying accessors for them.
// The class names `friend struct platform::TestProbe<Class>;` and nothing more; the tests'
// support code specialises TestProbe for it (tests/<library>/...Probe.h), so the probes and
// their code live with the tests and the product holds only the one friend line.
namespace platform {

template <class T>
struct TestProbe;

}  // namespace platform
