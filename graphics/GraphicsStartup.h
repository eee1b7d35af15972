#pragma once
// Joins the graphics system to start-up: made at its place in the update order and handed the
// game window, and counted in the run's summary.
namespace SD {
class Registrations;
}

namespace Aperture {

void InstallGraphics(SD::Registrations& registrations);

}  // namespace Aperture
