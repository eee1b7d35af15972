#pragma once
// Physics mesh data files: one chunk tagged "hsem" holding the vertices with their normals, the
// triangles and the extents. A missing file is built from the model of the same name and
// written out; loaded data is cached by name for the run.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "physics/MeshData.h"

namespace Gedankenexperiment {

constexpr uint32_t kMeshChunkTag = 0x6d657368;

// The mesh data of a file name: from the cache, else read from "../Assets/PhysicsMeshData/",
// else built from "../Assets/Models/fin/" and saved. Never null: data that cannot be had is
// logged and yields a mesh without triangles.
std::shared_ptr<const MeshData> LoadPhysicsMesh(const std::string& name);
// Builds the data from the model and writes the data file; returns the data.
std::shared_ptr<const MeshData> SavePhysicsMesh(const std::string& name);
// Builds the data from the model file and caches it.
std::shared_ptr<const MeshData> BuildPhysicsMesh(const std::string& name);

// The offset of the payload of the first mesh chunk, skipping chunks of other tags by their
// size (the payload's length); false when a zero tag, the end of the bytes or a chunk that
// runs past them comes first.
bool FindMeshChunk(const std::vector<unsigned char>& bytes, size_t* payload);

// Parses a data file's bytes. False, with what is wrong and where in `error`, for bytes that
// hold no mesh chunk (`foreign` set) or a malformed one.
bool ParseMeshDataFile(const std::vector<unsigned char>& bytes, MeshData& mesh, std::string& error, bool& foreign);
// The bytes of a data file; the chunk size counts the 8 header bytes.
std::vector<unsigned char> WriteMeshDataFile(const MeshData& mesh);

// Reads the first mesh chunk of a model file's bytes into positions and triangles (whole
// triangles of the index list; the last index count % 3 indices are skipped). False, with
// `error`, for a model without a mesh chunk or a malformed one.
bool ParseModelMesh(const std::vector<unsigned char>& bytes, std::vector<SD::Vec3>& positions,
                    std::vector<MeshTriangle>& triangles, std::string& error);
// Mesh data from model positions and triangles: welded, with vertex normals, extents, quadrant
// lists and tree.
MeshData BuildMeshData(const std::vector<SD::Vec3>& positions, std::vector<MeshTriangle> triangles);
// The two above in turn: the mesh data of a model file's bytes; false, with `error`, when the
// model does not read.
bool BuildModelMeshData(const std::vector<unsigned char>& model, MeshData& mesh, std::string& error);

}  // namespace Gedankenexperiment
