#pragma once
// Type codes of the nodes of a value tree.

namespace SD {

enum SuperialType : unsigned {
    kSuperialNull = 0,
    kSuperialBoolean = 1,
    kSuperialObject = 2,
    kSuperialArray = 3,
    kSuperialString = 4,
    // Written like String; nothing but SetType leaves a node at this code.
    kSuperialText = 5,
    kSuperialInteger = 6,
    kSuperialFloat = 7,
    // Not a type: asks InsertAfter for the type of the node it inserts after.
    kSuperialSameType = 8,
};

inline bool IsContainerType(unsigned code) { return code == kSuperialObject || code == kSuperialArray; }

}  // namespace SD
