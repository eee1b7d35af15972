#pragma once
// The math types visited through SD::IStream: each is an Array group of unlabelled "Float"
// values in storage order, and written straight into a value tree as a node holding one
// Float child per element.
#include "core/Matrix.h"
#include "core/Quaternion.h"
#include "core/Vector.h"
#include "engine/IStream.h"

namespace SD {

class SuperialValue;

// A group of count unlabelled "Float" values under the given name and type name.
void SerializeFloats(IStream& stream, float* values, int count, const char* name, const char* typeName);

inline void SerializeVec2(IStream& stream, const char* name, Vec2& v) {
    SerializeFloats(stream, &v.x, 2, name, "Vector2");
}
inline void SerializeVec3(IStream& stream, const char* name, Vec3& v) {
    SerializeFloats(stream, &v.x, 3, name, "Vector3");
}
inline void SerializeFloat4(IStream& stream, Vec4& v, const char* name, const char* typeName) {
    SerializeFloats(stream, &v.x, 4, name, typeName);
}
// Storage order w, x, y, z.
inline void SerializeFloat4(IStream& stream, Quaternion& q, const char* name, const char* typeName) {
    SerializeFloats(stream, &q.w, 4, name, typeName);
}
inline void SerializeMtx33(IStream& stream, const char* name, Mtx33& m) {
    SerializeFloats(stream, m.m, 9, name, "Matrix3x3");
}

// Gives node the name and appends one Float child per value (a Null node becomes an Array;
// false when node cannot hold children).
bool WriteFloats(SuperialValue* node, const char* name, const float* values, int count);
// The first count children of an Object or Array node as floats; false (values untouched
// from the first missing one on) when there are fewer.
bool ReadFloats(const SuperialValue* node, float* values, int count);

}  // namespace SD
