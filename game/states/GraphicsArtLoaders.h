#pragma once
// Hands the loading states the graphics system's loaders, so the art the manifests list is
// loaded into its tables, and the physics mesh of the last model is read beside it.
namespace QV {

// Fills only the loaders not already set (a test world may have put in its own).
void InstallGraphicsArtLoaders();

}  // namespace QV
